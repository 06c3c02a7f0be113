// MP3 writing and decoding: exact gapless length, signal fidelity, damaged and foreign files.
#include <filesystem>
#include <random>

#include <gtest/gtest.h>

#include "audio/scratch_dir.h"
#include "audio/test_signal.h"
#include "platform/audio/mp3_decoder.h"

TEST(Mp3Codec, DecodesExactlyTheEncodedLengthAlignedAndInChannelOrder) {
    ScratchDir dir;
    const size_t frames = 44100 + 123;  // not a multiple of the 1152-sample MP3 frame
    const std::vector<float> input = StereoSine(frames);
    std::string error, warning;
    ASSERT_TRUE(audio::WriteMp3(dir.File("a.mp3").c_str(), input.data(), frames, 44100, &error)) << error;
    audio::DecodedAudio decoded;
    ASSERT_TRUE(audio::DecodeMp3File(dir.File("a.mp3").c_str(), &decoded, &error, &warning)) << error;
    EXPECT_EQ(decoded.frames, static_cast<int64_t>(frames));
    EXPECT_EQ(decoded.samples.size(), input.size());
    EXPECT_EQ(decoded.announcedFrames, static_cast<int64_t>(frames));
    EXPECT_TRUE(warning.empty()) << warning;
    // A decoder delay left in (about 25 ms) or swapped channels would give errors near the amplitude.
    for (int channel = 0; channel < 2; ++channel) {
        double sum = 0.0;
        for (size_t i = channel; i < input.size(); i += 2) sum += std::pow(decoded.samples[i] - input[i], 2);
        EXPECT_LT(std::sqrt(sum / frames), 0.01) << "channel " << channel;
    }
}

TEST(Mp3Codec, TruncatedFileDecodesWhatThereIsWithAWarning) {
    ScratchDir dir;
    WriteTestMp3(dir.File("cut.mp3"), 44100);
    std::filesystem::resize_file(dir.File("cut.mp3"), std::filesystem::file_size(dir.File("cut.mp3")) / 2);
    audio::DecodedAudio decoded;
    std::string error, warning;
    ASSERT_TRUE(audio::DecodeMp3File(dir.File("cut.mp3").c_str(), &decoded, &error, &warning)) << error;
    EXPECT_GT(decoded.frames, 0);
    EXPECT_LT(decoded.frames, 44100);
    EXPECT_EQ(decoded.announcedFrames, 44100);
    EXPECT_NE(warning.find("cut.mp3"), std::string::npos) << warning;
    EXPECT_NE(warning.find("truncated"), std::string::npos) << warning;
}

TEST(Mp3Codec, RefusesFilesWithoutMpegAudioAndBadWriterArguments) {
    ScratchDir dir;
    std::mt19937 random(7);
    std::string noise(100000, '\0');
    for (char& c : noise) c = static_cast<char>(random());
    const std::pair<const char*, std::string> files[] = {
        {"empty.mp3", ""}, {"text.mp3", std::string(500, 'a')}, {"noise.mp3", noise},
        {"png.mp3", std::string("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR", 16)}};
    for (const auto& [name, content] : files) std::ofstream(dir.File(name), std::ios::binary) << content;
    for (const char* name : {"missing.mp3", "empty.mp3", "text.mp3", "noise.mp3", "png.mp3"}) {
        audio::DecodedAudio decoded;
        std::string error;
        EXPECT_FALSE(audio::DecodeMp3File(dir.File(name).c_str(), &decoded, &error, nullptr)) << name;
        EXPECT_NE(error.find(name), std::string::npos) << error;
    }

    const std::vector<float> samples(200, 0.0f);
    std::string error;
    EXPECT_FALSE(audio::WriteMp3(dir.File("no/dir/a.mp3").c_str(), samples.data(), 100, 44100, &error));
    EXPECT_NE(error.find("no/dir"), std::string::npos) << error;
    EXPECT_FALSE(audio::WriteMp3(dir.File("a.mp3").c_str(), samples.data(), 100, 1000, &error));
    EXPECT_FALSE(audio::WriteMp3(dir.File("a.mp3").c_str(), nullptr, 100, 44100, &error));
}
