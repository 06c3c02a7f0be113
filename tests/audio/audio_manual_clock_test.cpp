// The audio calls through the manual clock: exact positions, pause/resume/seek, end of stream,
// the WAV output, and misuse.
#include <cmath>

#include <gtest/gtest.h>

#include "audio/scratch_dir.h"
#include "audio/test_signal.h"
#include "audio/wav_reader.h"
#include "platform/audio/audio.h"
#include "platform/audio/mp3_decoder.h"

namespace {

constexpr uint64_t kBytesPerFrame = 8;
constexpr int64_t kFrames = 22050;  // half a second

class ManualClock : public ::testing::Test {
protected:
    void SetUp() override {
        WriteTestMp3(dir.File("music.mp3"), kFrames);
        std::string error;
        ASSERT_TRUE(audio::DecodeMp3File(dir.File("music.mp3").c_str(), &decoded, &error, nullptr)) << error;
        audio::Configure({.manualClock = true, .wavOutput = dir.File("out.wav")});
        ASSERT_TRUE(audio::Init(1, 44100, audio::BASS_DEVICE_LATENCY));
        stream = audio::StreamCreateFile(false, dir.File("music.mp3").c_str(), 0, 0, audio::BASS_STREAM_PRESCAN);
        ASSERT_NE(stream, 0u);
    }
    void TearDown() override {
        audio::Free();
        audio::Configure({});
    }
    int64_t Frame() { return static_cast<int64_t>(audio::ChannelGetPosition(stream) / kBytesPerFrame); }

    ScratchDir dir;
    audio::DecodedAudio decoded;
    audio::Handle stream = 0;
};

}  // namespace

TEST_F(ManualClock, PositionMovesOnlyWhilePlayingAndByWholeFramesThatAddUp) {
    EXPECT_EQ(audio::ChannelGetLength(stream), kFrames * kBytesPerFrame);
    EXPECT_EQ(audio::ChannelIsActive(stream), audio::BASS_ACTIVE_STOPPED);
    audio::AdvanceManualClock(0.1);
    EXPECT_EQ(Frame(), 0);

    EXPECT_TRUE(audio::Start());
    EXPECT_TRUE(audio::ChannelPlay(stream, false));
    EXPECT_EQ(audio::ChannelIsActive(stream), audio::BASS_ACTIVE_PLAYING);
    for (int i = 0; i < 12; ++i) audio::AdvanceManualClock(1.0 / 60.0);  // 735 frames each
    EXPECT_EQ(Frame(), 12 * 735);
    audio::AdvanceManualClock(1.0 / 44100.0 / 3.0);  // thirds of a frame carry over
    audio::AdvanceManualClock(1.0 / 44100.0 / 3.0);
    EXPECT_EQ(Frame(), 12 * 735);
    audio::AdvanceManualClock(1.0 / 44100.0 / 3.0);
    EXPECT_EQ(Frame(), 12 * 735 + 1);
    EXPECT_DOUBLE_EQ(audio::ChannelBytes2Seconds(stream, 88200 * kBytesPerFrame), 2.0);
    EXPECT_EQ(audio::ChannelSeconds2Bytes(stream, 2.0), 88200 * kBytesPerFrame);
}

TEST_F(ManualClock, PauseResumeSeekAndEndAreWrittenExactlyToTheWav) {
    audio::ChannelPlay(stream, false);
    audio::AdvanceManualClock(0.1);  // frames [0, 4410)
    EXPECT_TRUE(audio::ChannelPause(stream));
    EXPECT_EQ(audio::ChannelIsActive(stream), audio::BASS_ACTIVE_PAUSED);
    audio::AdvanceManualClock(0.1);  // paused: nothing moves, nothing is written
    EXPECT_EQ(Frame(), 4410);
    EXPECT_FALSE(audio::ChannelPause(stream));

    EXPECT_TRUE(audio::ChannelPlay(stream, false));  // resumes, no restart
    audio::AdvanceManualClock(0.05);                 // [4410, 6615)
    EXPECT_EQ(Frame(), 6615);
    EXPECT_TRUE(audio::ChannelSetPosition(stream, 20000 * kBytesPerFrame));
    EXPECT_FALSE(audio::ChannelSetPosition(stream, (kFrames + 1) * kBytesPerFrame));
    EXPECT_EQ(Frame(), 20000);
    audio::AdvanceManualClock(1.0);  // [20000, 22050), then the stream ends
    EXPECT_EQ(Frame(), kFrames);
    EXPECT_EQ(audio::ChannelIsActive(stream), audio::BASS_ACTIVE_STOPPED);
    audio::AdvanceManualClock(0.1);
    EXPECT_EQ(Frame(), kFrames);
    EXPECT_TRUE(audio::StreamFree(stream));
    EXPECT_TRUE(audio::Free());

    const WavData wav = ReadWav(dir.File("out.wav"));
    ASSERT_TRUE(wav.ok);
    EXPECT_EQ(wav.sampleRate, 44100u);
    EXPECT_EQ(wav.channels, 2);
    EXPECT_EQ(wav.bits, 16);
    std::vector<float> expected(decoded.samples.begin(), decoded.samples.begin() + 6615 * 2);
    expected.insert(expected.end(), decoded.samples.begin() + 20000 * 2, decoded.samples.end());
    ASSERT_EQ(wav.samples.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i)
        ASSERT_NEAR(wav.samples[i], std::lround(expected[i] * 32767.0f), 1) << "sample " << i;
}

TEST_F(ManualClock, RestartPlaysFromTheStartAndFreedHandlesAreRefused) {
    audio::ChannelPlay(stream, false);
    audio::AdvanceManualClock(0.2);
    EXPECT_TRUE(audio::ChannelPlay(stream, true));
    EXPECT_EQ(Frame(), 0);
    EXPECT_TRUE(audio::StreamFree(stream));
    EXPECT_FALSE(audio::StreamFree(stream));
    EXPECT_EQ(audio::ChannelGetPosition(stream), ~uint64_t{0});
    EXPECT_LT(audio::ChannelBytes2Seconds(stream, 0), 0.0);
    EXPECT_FALSE(audio::ChannelPlay(stream, false));
    EXPECT_FALSE(audio::ChannelSetPosition(stream, 0));
    EXPECT_EQ(audio::ChannelIsActive(stream), audio::BASS_ACTIVE_STOPPED);
}

TEST(AudioMisuse, RefusedCallsSayWhyAndLeaveNothingBehind) {
    ScratchDir dir;
    WriteTestMp3(dir.File("music.mp3"), 4410);
    testing::internal::CaptureStderr();
    EXPECT_EQ(audio::StreamCreateFile(false, dir.File("music.mp3").c_str(), 0, 0, 0), 0u);  // before Init
    audio::Configure({.manualClock = true});
    EXPECT_FALSE(audio::Init(1, 48000, 0));
    ASSERT_TRUE(audio::Init(1, 44100, 0));
    EXPECT_FALSE(audio::Init(1, 44100, 0));
    EXPECT_EQ(audio::StreamCreateFile(false, dir.File("nothing.mp3").c_str(), 0, 0, 0), 0u);
    EXPECT_EQ(audio::StreamCreateFile(true, dir.File("music.mp3").c_str(), 0, 0, 0), 0u);
    const audio::Handle ok = audio::StreamCreateFile(false, dir.File("music.mp3").c_str(), 0, 0, 0);
    const std::string messages = testing::internal::GetCapturedStderr();
    EXPECT_NE(ok, 0u);
    EXPECT_NE(messages.find("before Init"), std::string::npos) << messages;
    EXPECT_NE(messages.find("48000"), std::string::npos) << messages;
    EXPECT_NE(messages.find("nothing.mp3"), std::string::npos) << messages;
    EXPECT_TRUE(audio::Free());
    EXPECT_FALSE(audio::Free());
    EXPECT_EQ(audio::ChannelIsActive(ok), audio::BASS_ACTIVE_STOPPED);  // freed with the library
    audio::Configure({});
}
