// MP3 writing and decoding: exact gapless length, signal fidelity, streaming reads and seeks that
// match the whole-file decode bit for bit, foreign files (truncated ones: the audio misuse cases).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <numbers>
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

namespace {

// A sine of `hz` at `rate` for `seconds`, the same in both channels, as an MP3.
void WriteSineMp3(const std::string& path, int rate, double seconds, double hz, bool mono) {
    const size_t frames = static_cast<size_t>(rate * seconds);
    std::vector<float> samples(frames * 2);
    for (size_t i = 0; i < frames; ++i)
        samples[2 * i] = samples[2 * i + 1] =
            0.5f * static_cast<float>(std::sin(2.0 * std::numbers::pi * hz * double(i) / rate));
    std::string error;
    ASSERT_TRUE(audio::WriteMp3(path.c_str(), samples.data(), frames, rate, &error, mono)) << error;
}

// Rising zero crossings of the left channel in [from, to) frames.
int Crossings(const std::vector<float>& stereo, size_t from, size_t to) {
    int n = 0;
    for (size_t i = from + 1; i < to; ++i) n += stereo[2 * (i - 1)] < 0 && stereo[2 * i] >= 0;
    return n;
}

}  // namespace

// Makers' music is often 48 kHz: every rate and channel count plays, converted to 44100 Hz stereo,
// with the length and the pitch of the file's own time.
TEST(Mp3Codec, EveryRateAndChannelCountPlaysAt44100InTheFilesOwnTime) {
    vmtest::ScratchDir dir;
    const struct {
        int rate;
        bool mono;
    } cases[] = {{48000, false}, {32000, false}, {22050, false}, {8000, false}, {22050, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.rate) + (c.mono ? " mono" : " stereo"));
        const std::string path = dir.File("r" + std::to_string(c.rate) + (c.mono ? "m" : ""));
        WriteSineMp3(path, c.rate, 2.0, 441.0, c.mono);
        audio::Mp3Stream stream;
        std::string error, warning;
        ASSERT_TRUE(stream.Open(path.c_str(), &error, &warning)) << error;
        EXPECT_TRUE(warning.empty()) << warning;
        EXPECT_EQ(stream.FileRate(), c.rate);
        EXPECT_EQ(stream.FileChannels(), c.mono ? 1 : 2);
        ASSERT_EQ(stream.Length(), 2 * 44100);
        std::vector<float> out(size_t(stream.Length()) * 2);
        for (int64_t at = 0; at < stream.Length();)  // in uneven chunks
            at += stream.Read(&out[size_t(at) * 2], std::min<int64_t>(999, stream.Length() - at));
        EXPECT_TRUE(stream.Failure().empty()) << stream.Failure();
        // 441 Hz is 441 crossings a second; 1 % off in time would be 4 more or fewer.
        EXPECT_NEAR(Crossings(out, 22050, 66150), 441, 1);
        for (size_t i = 0; i < out.size(); i += 2 * 997) ASSERT_NEAR(out[i], out[i + 1], 1e-6f);
        // A seek lands at the music time of reading there, give or take the converter's latency
        // (a few output frames, well under a millisecond).
        const std::vector<float> whole = out;
        ASSERT_TRUE(stream.Seek(44100));
        ASSERT_EQ(stream.Read(out.data(), 4410), 4410);
        double best = 1.0;
        for (int lag = -12; lag <= 12; ++lag) {
            double sum = 0.0;
            for (size_t i = 441; i < 4410; ++i)
                sum += std::pow(out[2 * i] - whole[2 * (44100 + i + size_t(lag))], 2);
            best = std::min(best, std::sqrt(sum / (4410 - 441)));
        }
        EXPECT_LT(best, 0.02);
    }
}

// A stretch of garbage in the middle: the music after it plays at its own time, silence in place
// of the damage, and one note says where and how much.
TEST(Mp3Codec, DamagedStretchIsSkippedWithSilenceThatKeepsTime) {
    vmtest::ScratchDir dir;
    const std::string path = dir.File("damaged.mp3");
    WriteSineMp3(path, 44100, 10.0, 441.0, false);
    std::vector<char> bytes;
    {
        std::ifstream in(path, std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), {});
    }
    const size_t damageAt = bytes.size() / 2;
    std::mt19937 random(11);
    for (size_t i = damageAt; i < damageAt + 8192; ++i) bytes[i] = static_cast<char>(random());
    std::ofstream(path, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));

    audio::Mp3Stream stream;
    std::string error, warning;
    ASSERT_TRUE(stream.Open(path.c_str(), &error, &warning)) << error;
    EXPECT_EQ(std::count(warning.begin(), warning.end(), '\n'), 0) << warning;
    EXPECT_NE(warning.find("damaged bytes at byte"), std::string::npos) << warning;
    EXPECT_NE(warning.find("of silence in their place"), std::string::npos) << warning;
    // The lost time is estimated from the damaged bytes and the average frame: good to a few
    // frames.
    EXPECT_NEAR(double(stream.Length()), 10.0 * 44100, 4 * 1152.0);
    std::vector<float> out(size_t(stream.Length()) * 2);
    ASSERT_EQ(stream.Read(out.data(), stream.Length()), stream.Length());
    EXPECT_TRUE(stream.Failure().empty()) << stream.Failure();
    // Music before and after, silence where the damage was (about 5 s in).
    EXPECT_NEAR(Crossings(out, 44100, 88200), 441, 1);
    EXPECT_NEAR(Crossings(out, 8 * 44100, 9 * 44100), 441, 1);
    size_t silent = 0;
    for (size_t i = 2 * 44100; i < 8 * 44100; ++i) silent += out[2 * i] == 0.0f;
    EXPECT_GT(silent, 1152u) << "at least a frame of silence";
}
