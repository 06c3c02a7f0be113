// MP3 writing and decoding: exact gapless length, signal fidelity, damaged and foreign files.
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>

#include <gtest/gtest.h>

#include "audio/scratch_dir.h"
#include "audio/test_signal.h"
#include "platform/audio/mp3_decoder.h"

namespace {

double RmsError(const std::vector<float>& a, const std::vector<float>& b, int channel) {
    double sum = 0.0;
    const size_t frames = std::min(a.size(), b.size()) / 2;
    for (size_t i = 0; i < frames; ++i) {
        const double d = a[2 * i + channel] - b[2 * i + channel];
        sum += d * d;
    }
    return std::sqrt(sum / static_cast<double>(frames));
}

void WriteBytes(const std::string& path, const std::vector<unsigned char>& bytes) {
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
}

}  // namespace

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
    EXPECT_LT(RmsError(decoded.samples, input, 0), 0.01);
    EXPECT_LT(RmsError(decoded.samples, input, 1), 0.01);
}

TEST(Mp3Codec, TruncatedFileDecodesWhatThereIsWithAWarning) {
    ScratchDir dir;
    const size_t frames = 44100;
    WriteTestMp3(dir.File("full.mp3"), frames);
    const auto size = std::filesystem::file_size(dir.File("full.mp3"));
    std::filesystem::copy_file(dir.File("full.mp3"), dir.File("cut.mp3"));
    std::filesystem::resize_file(dir.File("cut.mp3"), size / 2);

    audio::DecodedAudio decoded;
    std::string error, warning;
    ASSERT_TRUE(audio::DecodeMp3File(dir.File("cut.mp3").c_str(), &decoded, &error, &warning)) << error;
    EXPECT_GT(decoded.frames, 0);
    EXPECT_LT(decoded.frames, static_cast<int64_t>(frames));
    EXPECT_EQ(decoded.announcedFrames, static_cast<int64_t>(frames));
    EXPECT_NE(warning.find("truncated"), std::string::npos) << warning;
    EXPECT_NE(warning.find("cut.mp3"), std::string::npos) << warning;
}

TEST(Mp3Codec, RefusesFilesWithoutMpegAudioNamingTheFile) {
    ScratchDir dir;
    std::mt19937 random(7);
    std::vector<unsigned char> noise(100000);
    for (auto& b : noise) b = static_cast<unsigned char>(random());
    WriteBytes(dir.File("empty.mp3"), {});
    WriteBytes(dir.File("text.mp3"), std::vector<unsigned char>(500, 'a'));
    WriteBytes(dir.File("noise.mp3"), noise);
    WriteBytes(dir.File("png.mp3"), {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13, 'I', 'H', 'D', 'R'});

    for (const char* name : {"missing.mp3", "empty.mp3", "text.mp3", "noise.mp3", "png.mp3"}) {
        audio::DecodedAudio decoded;
        std::string error, warning;
        EXPECT_FALSE(audio::DecodeMp3File(dir.File(name).c_str(), &decoded, &error, &warning)) << name;
        EXPECT_NE(error.find(name), std::string::npos) << error;
    }
}

TEST(Mp3Codec, WriterReportsBadArguments) {
    ScratchDir dir;
    const std::vector<float> samples(200, 0.0f);
    std::string error;
    EXPECT_FALSE(audio::WriteMp3(dir.File("no/such/dir/a.mp3").c_str(), samples.data(), 100, 44100, &error));
    EXPECT_NE(error.find("no/such/dir"), std::string::npos) << error;
    EXPECT_FALSE(audio::WriteMp3(dir.File("a.mp3").c_str(), samples.data(), 100, 1000, &error));
    EXPECT_FALSE(audio::WriteMp3(dir.File("a.mp3").c_str(), nullptr, 100, 44100, &error));
}
