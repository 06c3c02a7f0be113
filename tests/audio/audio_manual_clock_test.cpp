// The audio calls through the manual clock: exact positions, pause/resume/seek, end of stream,
// the WAV output, and misuse.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "audio/test_signal.h"
#include "platform/audio/audio.h"
#include "platform/audio/mp3_decoder.h"
#include "support/scratch_dir.h"

namespace {

constexpr uint64_t kBytesPerFrame = 8;
constexpr int64_t kFrames = 22050;

class ManualClock : public ::testing::Test {
  protected:
    void SetUp() override {
        WriteTestMp3(dir.File("music.mp3"), kFrames);
        audio::Configure({.manualClock = true, .wavOutput = dir.File("out.wav")});
        ASSERT_TRUE(audio::Init(1, 44100, audio::BASS_DEVICE_LATENCY));
        stream = audio::StreamCreateFile(false, dir.File("music.mp3").c_str(), 0, 0, 0);
        ASSERT_NE(stream, 0u);
    }
    void TearDown() override {
        audio::Free();
        audio::Configure({});
    }
    int64_t Frame() {
        return static_cast<int64_t>(audio::ChannelGetPosition(stream) / kBytesPerFrame);
    }

    vmtest::ScratchDir dir;
    audio::Handle stream = 0;
};

std::string U32(uint32_t v) {
    return std::string(reinterpret_cast<const char*>(&v), 4);
}

}  // namespace

TEST_F(ManualClock, PositionMovesOnlyWhilePlayingByWholeFramesThatAddUp) {
    EXPECT_EQ(audio::ChannelGetLength(stream), kFrames * kBytesPerFrame);
    audio::AdvanceManualClock(0.1);
    EXPECT_EQ(Frame(), 0);
    EXPECT_EQ(audio::ChannelIsActive(stream), audio::BASS_ACTIVE_STOPPED);

    EXPECT_TRUE(audio::ChannelPlay(stream, false));
    EXPECT_EQ(audio::ChannelIsActive(stream), audio::BASS_ACTIVE_PLAYING);
    for (int i = 0; i < 12; ++i) audio::AdvanceManualClock(1.0 / 60.0);  // 735 frames each
    EXPECT_EQ(Frame(), 12 * 735);
    for (int i = 0; i < 2; ++i) audio::AdvanceManualClock(1.0 / 44100.0 / 3.0);  // thirds carry
    EXPECT_EQ(Frame(), 12 * 735);
    audio::AdvanceManualClock(1.0 / 44100.0 / 3.0);
    EXPECT_EQ(Frame(), 12 * 735 + 1);
    // Bytes to seconds by whole frames; seconds to bytes rounded to the nearest frame.
    EXPECT_EQ(audio::ChannelBytes2Seconds(stream, 88200 * kBytesPerFrame + 7), 2.0);
    EXPECT_EQ(audio::ChannelSeconds2Bytes(stream, 0.7 / 44100), kBytesPerFrame);
    EXPECT_EQ(audio::ChannelSeconds2Bytes(stream, 0.3 / 44100), 0u);

    EXPECT_TRUE(audio::ChannelSetPosition(stream, kFrames * kBytesPerFrame));  // the very end
    EXPECT_EQ(Frame(), kFrames);
    EXPECT_TRUE(audio::ChannelPlay(stream, true));  // restart
    EXPECT_EQ(Frame(), 0);
}

TEST_F(ManualClock, PauseResumeSeekAndEndAreWrittenExactlyToTheWav) {
    audio::ChannelPlay(stream, false);
    audio::AdvanceManualClock(0.1 + 1.0 / 44100 / 3);  // frames [0, 4410) and a third
    EXPECT_TRUE(audio::ChannelPause(stream));          // at the whole frame heard
    EXPECT_EQ(audio::ChannelIsActive(stream), audio::BASS_ACTIVE_PAUSED);
    audio::AdvanceManualClock(0.1);  // paused: nothing moves, nothing is written
    EXPECT_EQ(Frame(), 4410);
    EXPECT_TRUE(audio::ChannelPlay(stream, false));
    audio::AdvanceManualClock(0.05);                                             // [4410, 6615)
    EXPECT_TRUE(audio::ChannelSetPosition(stream, 20000 * kBytesPerFrame + 7));  // whole frames
    EXPECT_FALSE(audio::ChannelSetPosition(stream, (kFrames + 1) * kBytesPerFrame));
    audio::AdvanceManualClock(1.0);  // [20000, 22050), then the stream ends
    EXPECT_EQ(Frame(), kFrames);
    EXPECT_EQ(audio::ChannelIsActive(stream), audio::BASS_ACTIVE_STOPPED);
    EXPECT_TRUE(audio::StreamFree(stream));
    EXPECT_FALSE(audio::StreamFree(stream));
    EXPECT_EQ(audio::ChannelGetPosition(stream), ~uint64_t{0});
    EXPECT_TRUE(audio::Free());

    // The 44-byte header of 16-bit stereo 44100 Hz PCM, then exactly the frames played.
    audio::DecodedAudio decoded;
    std::string error;
    ASSERT_TRUE(audio::DecodeMp3File(dir.File("music.mp3").c_str(), &decoded, &error, nullptr));
    std::vector<float> expected(decoded.samples.begin(), decoded.samples.begin() + 6615 * 2);
    expected.insert(expected.end(), decoded.samples.begin() + 20000 * 2, decoded.samples.end());
    const std::string wav = dir.Read("out.wav");
    ASSERT_EQ(wav.size(), 44 + expected.size() * 2);
    const uint32_t data = static_cast<uint32_t>(expected.size() * 2);
    EXPECT_EQ(wav.substr(0, 44), "RIFF" + U32(36 + data) + "WAVEfmt " + U32(16) + U32(0x00020001) +
                                     U32(44100) + U32(44100 * 4) + U32(0x00100004) + "data" +
                                     U32(data));
    for (size_t i = 0; i < expected.size(); ++i) {
        int16_t sample;
        std::memcpy(&sample, &wav[44 + i * 2], 2);
        ASSERT_NEAR(sample, expected[i] * 32767.0f, 1.0) << "sample " << i;
    }
}

TEST(AudioMisuse, RefusedCallsSayWhyAndLeaveNothingBehind) {
    vmtest::ScratchDir dir;
    WriteTestMp3(dir.File("music.mp3"), 4410);
    std::filesystem::copy_file(dir.File("music.mp3"), dir.File("cut.mp3"));
    std::filesystem::resize_file(dir.File("cut.mp3"),
                                 std::filesystem::file_size(dir.File("cut.mp3")) / 2);
    auto open = [&](const char* name, bool memory = false) {
        return audio::StreamCreateFile(memory, dir.File(name).c_str(), 0, 0, 0);
    };
    testing::internal::CaptureStderr();
    EXPECT_EQ(open("music.mp3"), 0u);  // before Init
    audio::Configure({.manualClock = true});
    EXPECT_FALSE(audio::Init(1, 48000, 0));
    ASSERT_TRUE(audio::Init(1, 44100, 0));
    EXPECT_FALSE(audio::Init(1, 44100, 0));
    EXPECT_EQ(open("nothing.mp3"), 0u);
    EXPECT_EQ(open("music.mp3", true), 0u);
    const audio::Handle ok = open("music.mp3"), cut = open("cut.mp3");  // cut: plays what it has
    const std::string messages = testing::internal::GetCapturedStderr();
    EXPECT_LT(audio::ChannelGetLength(cut), audio::ChannelGetLength(ok));
    for (const char* why :
         {"before Init", "48000", "nothing.mp3", "whole files", "cut.mp3: holds", "truncated"})
        EXPECT_NE(messages.find(why), std::string::npos) << why << " in " << messages;
    EXPECT_TRUE(audio::Free());
    EXPECT_FALSE(audio::Free());
    EXPECT_EQ(audio::ChannelIsActive(ok), audio::BASS_ACTIVE_STOPPED);  // freed with the library
    audio::Configure({});
}
