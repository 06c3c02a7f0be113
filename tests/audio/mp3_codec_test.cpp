// MP3 writing and decoding: exact gapless length, signal fidelity, streaming reads and seeks that
// match the whole-file decode bit for bit, foreign files (truncated ones: the audio misuse cases).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <random>

#include "audio/test_signal.h"
#include "platform/audio/mp3_decoder.h"
#include "platform/audio/mp3_stream.h"
#include "support/scratch_dir.h"

TEST(Mp3Codec, DecodesExactlyTheEncodedLengthAlignedAndInChannelOrder) {
    vmtest::ScratchDir dir;
    const size_t frames = 44100 + 123;  // not a multiple of the 1152-sample MP3 frame
    const std::vector<float> input = StereoSine(frames);
    std::string error, warning;
    ASSERT_TRUE(audio::WriteMp3(dir.File("a.mp3").c_str(), input.data(), frames, 44100, &error))
        << error;
    audio::DecodedAudio decoded;
    ASSERT_TRUE(audio::DecodeMp3File(dir.File("a.mp3").c_str(), &decoded, &error, &warning))
        << error;
    EXPECT_EQ(decoded.frames, static_cast<int64_t>(frames));
    EXPECT_EQ(decoded.samples.size(), input.size());
    EXPECT_EQ(decoded.announcedFrames, static_cast<int64_t>(frames));
    EXPECT_TRUE(warning.empty()) << warning;
    // A decoder delay left in (about 25 ms) or swapped channels would give errors near the
    // amplitude.
    for (int channel = 0; channel < 2; ++channel) {
        double sum = 0.0;
        for (size_t i = channel; i < input.size(); i += 2)
            sum += std::pow(decoded.samples[i] - input[i], 2);
        EXPECT_LT(std::sqrt(sum / frames), 0.01) << "channel " << channel;
    }
}

TEST(Mp3Codec, StreamReadsInAnyChunksAndSeeksSampleExactly) {
    vmtest::ScratchDir dir;
    const int64_t frames = 3 * 44100 + 17;
    WriteTestMp3(dir.File("a.mp3"), static_cast<size_t>(frames));
    audio::DecodedAudio whole;
    std::string error, warning;
    ASSERT_TRUE(audio::DecodeMp3File(dir.File("a.mp3").c_str(), &whole, &error, nullptr)) << error;
    ASSERT_EQ(whole.frames, frames);

    audio::Mp3Stream stream;
    ASSERT_TRUE(stream.Open(dir.File("a.mp3").c_str(), &error, &warning)) << error;
    EXPECT_TRUE(warning.empty()) << warning;
    ASSERT_EQ(stream.Length(), frames);
    ASSERT_EQ(stream.Tell(), 0);  // the frames decoded to check the file are not skipped
    std::vector<float> chunk(5000 * 2);
    const int64_t sizes[] = {1, 735, 1024, 1152, 4999};
    for (int64_t at = 0, i = 0; at < frames; ++i) {
        const int64_t want = sizes[i % 5];
        const int64_t got = stream.Read(chunk.data(), want);
        ASSERT_EQ(got, std::min(want, frames - at)) << "at " << at;
        ASSERT_EQ(std::memcmp(chunk.data(), &whole.samples[at * 2], got * 2 * sizeof(float)), 0)
            << "at " << at;
        at += got;
    }
    EXPECT_EQ(stream.Read(chunk.data(), 10), 0);

    // Jumps both ways, on and off MP3 frame boundaries: the same samples as the sequential decode.
    for (int64_t to : {int64_t{50000}, int64_t{1}, int64_t{1151}, int64_t{1152}, int64_t{100003},
                       int64_t{0}, frames - 5, int64_t{77777}}) {
        ASSERT_TRUE(stream.Seek(to)) << to;
        EXPECT_EQ(stream.Tell(), to);
        const int64_t got = stream.Read(chunk.data(), 3000);
        ASSERT_EQ(got, std::min<int64_t>(3000, frames - to)) << to;
        EXPECT_EQ(std::memcmp(chunk.data(), &whole.samples[to * 2], got * 2 * sizeof(float)), 0)
            << "after a seek to " << to;
    }
    EXPECT_TRUE(stream.Seek(frames));
    EXPECT_EQ(stream.Read(chunk.data(), 10), 0);
    EXPECT_FALSE(stream.Seek(frames + 1));
    EXPECT_FALSE(stream.Seek(-1));
    EXPECT_TRUE(stream.Failure().empty()) << stream.Failure();
}

TEST(Mp3Codec, RefusesFilesWithoutMpegAudioAndBadWriterArguments) {
    vmtest::ScratchDir dir;
    std::mt19937 random(7);
    std::string noise(100000, '\0');
    for (char& c : noise) c = static_cast<char>(random());
    const std::pair<const char*, std::string> files[] = {
        {"empty.mp3", ""},
        {"text.mp3", std::string(500, 'a')},
        {"noise.mp3", noise},
        {"png.mp3", std::string("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR", 16)}};
    for (const auto& [name, content] : files)
        std::ofstream(dir.File(name), std::ios::binary) << content;
    for (const char* name : {"missing.mp3", "empty.mp3", "text.mp3", "noise.mp3", "png.mp3"}) {
        audio::DecodedAudio decoded;
        std::string error;
        EXPECT_FALSE(audio::DecodeMp3File(dir.File(name).c_str(), &decoded, &error, nullptr))
            << name;
        EXPECT_NE(error.find(name), std::string::npos) << error;
    }

    const std::vector<float> samples(200, 0.0f);
    std::string error;
    EXPECT_FALSE(
        audio::WriteMp3(dir.File("no/dir/a.mp3").c_str(), samples.data(), 100, 44100, &error));
    EXPECT_NE(error.find("no/dir"), std::string::npos) << error;
    EXPECT_FALSE(audio::WriteMp3(dir.File("a.mp3").c_str(), samples.data(), 100, 1000, &error));
    EXPECT_FALSE(audio::WriteMp3(dir.File("a.mp3").c_str(), nullptr, 100, 44100, &error));
}
