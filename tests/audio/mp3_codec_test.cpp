// MP3 writing and decoding: exact gapless length, signal fidelity, streaming reads and seeks that
// match the whole-file decode bit for bit, other rates, damage. (Truncated and missing files: the
// audio misuse cases; garbage: the MP3 fuzzer.)
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>

#include "audio/test_signal.h"
#include "platform/audio/mp3_decoder.h"
#include "platform/audio/mp3_stream.h"
#include "support/scratch_dir.h"

namespace {

// Rising zero crossings of the left channel in [from, to) frames.
int Crossings(const std::vector<float>& stereo, size_t from, size_t to) {
    int n = 0;
    for (size_t i = from + 1; i < to; ++i) n += stereo[2 * (i - 1)] < 0 && stereo[2 * i] >= 0;
    return n;
}

// The whole stream, read in uneven chunks.
std::vector<float> ReadAll(audio::Mp3Stream& stream) {
    std::vector<float> out(size_t(stream.Length()) * 2);
    for (int64_t at = 0; at < stream.Length();)
        at += stream.Read(&out[size_t(at) * 2], std::min<int64_t>(999, stream.Length() - at));
    return out;
}

}  // namespace

TEST(Mp3Codec, DecodesExactlyTheEncodedLengthAndStreamsAndSeeksSampleExactly) {
    vmtest::ScratchDir dir;
    const int64_t frames = 3 * 44100 + 17;  // not a multiple of the 1152-sample MP3 frame
    const std::vector<float> input = StereoSine(size_t(frames));
    std::string error, warning;
    ASSERT_TRUE(
        audio::WriteMp3(dir.File("a.mp3").c_str(), input.data(), size_t(frames), 44100, &error))
        << error;
    audio::DecodedAudio whole;
    ASSERT_TRUE(audio::DecodeMp3File(dir.File("a.mp3").c_str(), &whole, &error, &warning)) << error;
    EXPECT_EQ(whole.frames, frames);
    EXPECT_EQ(whole.announcedFrames, frames);
    EXPECT_TRUE(warning.empty()) << warning;
    // A decoder delay left in (about 25 ms) or swapped channels would give errors near 0.5.
    for (int channel = 0; channel < 2; ++channel) {
        double sum = 0.0;
        for (size_t i = channel; i < input.size(); i += 2)
            sum += std::pow(whole.samples[i] - input[i], 2);
        EXPECT_LT(std::sqrt(sum / double(frames)), 0.01) << "channel " << channel;
    }

    audio::Mp3Stream stream;
    ASSERT_TRUE(stream.Open(dir.File("a.mp3").c_str(), &error, &warning)) << error;
    ASSERT_EQ(stream.Length(), frames);
    ASSERT_EQ(stream.Tell(), 0);  // the frames decoded to check the file are not skipped
    EXPECT_EQ(ReadAll(stream), whole.samples);
    EXPECT_EQ(stream.Read(nullptr, 10), 0);
    // Jumps both ways, on and off MP3 frame boundaries: the same samples as the whole decode.
    std::vector<float> chunk(3000 * 2);
    for (int64_t to : {int64_t{50000}, int64_t{1}, int64_t{1152}, frames - 5, int64_t{77777}}) {
        ASSERT_TRUE(stream.Seek(to)) << to;
        EXPECT_EQ(stream.Tell(), to);
        const int64_t got = stream.Read(chunk.data(), 3000);
        ASSERT_EQ(got, std::min<int64_t>(3000, frames - to)) << to;
        EXPECT_EQ(std::memcmp(chunk.data(), &whole.samples[to * 2], got * 2 * sizeof(float)), 0)
            << "after a seek to " << to;
    }
    EXPECT_TRUE(stream.Seek(frames));
    EXPECT_FALSE(stream.Seek(frames + 1));
    EXPECT_FALSE(stream.Seek(-1));
    EXPECT_TRUE(stream.Failure().empty()) << stream.Failure();
}

// Makers' music is often 48 kHz: every rate and channel count plays, converted to 44100 Hz stereo,
// with the length and the pitch of the file's own time.
TEST(Mp3Codec, EveryRateAndChannelCountPlaysAt44100InTheFilesOwnTime) {
    vmtest::ScratchDir dir;
    const std::pair<int, bool> cases[] = {
        {48000, false}, {32000, false}, {8000, false}, {22050, true}};
    for (const auto& [rate, mono] : cases) {
        SCOPED_TRACE(std::to_string(rate) + (mono ? " mono" : " stereo"));
        const std::string path = dir.File("r" + std::to_string(rate) + ".mp3");
        std::string error, warning;
        const std::vector<float> sine = StereoSine(size_t(2 * rate), 441.0, 441.0, rate);
        ASSERT_TRUE(
            audio::WriteMp3(path.c_str(), sine.data(), size_t(2 * rate), rate, &error, mono));
        audio::Mp3Stream stream;
        ASSERT_TRUE(stream.Open(path.c_str(), &error, &warning)) << error;
        EXPECT_EQ(stream.FileRate(), rate);
        EXPECT_EQ(stream.FileChannels(), mono ? 1 : 2);
        ASSERT_EQ(stream.Length(), 2 * 44100);
        const std::vector<float> out = ReadAll(stream);
        // 441 Hz is 441 crossings a second; 1 % off in time would be 4 more or fewer.
        EXPECT_NEAR(Crossings(out, 22050, 66150), 441, 1);
        for (size_t i = 0; i < out.size(); i += 2 * 997) ASSERT_NEAR(out[i], out[i + 1], 1e-6f);
        // A seek lands at the music time of reading there, give or take the converter's latency.
        std::vector<float> after(4410 * 2);
        ASSERT_TRUE(stream.Seek(44100));
        ASSERT_EQ(stream.Read(after.data(), 4410), 4410);
        EXPECT_NEAR(Crossings(after, 0, 4410), 44, 1);
        for (size_t i = 441; i < 4410; i += 97)
            EXPECT_NEAR(after[2 * i], out[2 * (44100 + i)], 0.2);  // a few frames
    }
}

// A stretch of garbage in the middle: the music after it plays at its own time, silence in place
// of the damage, and one note says where and how much.
TEST(Mp3Codec, DamagedStretchIsSkippedWithSilenceThatKeepsTime) {
    vmtest::ScratchDir dir;
    const std::vector<float> sine = StereoSine(10 * 44100, 441.0, 441.0);
    std::string error, warning;
    ASSERT_TRUE(audio::WriteMp3(dir.File("a.mp3").c_str(), sine.data(), 10 * 44100, 44100, &error));
    std::string bytes = dir.Read("a.mp3");
    std::mt19937 random(11);
    for (size_t i = bytes.size() / 2; i < bytes.size() / 2 + 8192; ++i)
        bytes[i] = static_cast<char>(random());
    dir.Write("a.mp3", bytes);

    audio::Mp3Stream stream;
    ASSERT_TRUE(stream.Open(dir.File("a.mp3").c_str(), &error, &warning)) << error;
    EXPECT_EQ(std::count(warning.begin(), warning.end(), '\n'), 0) << warning;
    EXPECT_NE(warning.find("damaged bytes at byte"), std::string::npos) << warning;
    EXPECT_NE(warning.find("of silence in their place"), std::string::npos) << warning;
    // The lost time is estimated from the damaged bytes and the average frame: a few frames off.
    EXPECT_NEAR(double(stream.Length()), 10.0 * 44100, 4 * 1152.0);
    const std::vector<float> out = ReadAll(stream);
    EXPECT_TRUE(stream.Failure().empty()) << stream.Failure();
    // Music before and after, silence where the damage was (about 5 s in).
    EXPECT_NEAR(Crossings(out, 44100, 88200), 441, 1);
    EXPECT_NEAR(Crossings(out, 8 * 44100, 9 * 44100), 441, 1);
    size_t silent = 0;
    for (size_t i = 2 * 44100; i < 8 * 44100; ++i) silent += out[2 * i] == 0.0f;
    EXPECT_GT(silent, 1152u) << "at least a frame of silence";
}
