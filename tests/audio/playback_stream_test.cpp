// One stream's play/pause/seek/end state and what it hands to the mixer, with simulated time.
#include <vector>

#include <gtest/gtest.h>

#include "platform/audio/playback_stream.h"

namespace {

using State = audio::PlaybackStream::State;
constexpr int64_t kPeriod = 256;

// Sample i of the ramp is i: any misplaced read shows in the values.
audio::DecodedAudio Ramp(int64_t frames) {
    audio::DecodedAudio a;
    a.frames = frames;
    for (int64_t i = 0; i < frames * 2; ++i) a.samples.push_back(static_cast<float>(i));
    return a;
}

// Runs the mixer for one period at `now`, returning the left channel's first sample (-1 for silence).
float MixOnce(audio::PlaybackStream& s, double now, int64_t* covered = nullptr) {
    std::vector<float> out(kPeriod * 2, 0.0f);
    const int64_t n = s.Mix(out.data(), kPeriod, now);
    if (covered) *covered = n;
    return n > 0 ? out[0] : -1.0f;
}

}  // namespace

TEST(PlaybackStream, HandsOutTheSamplesInOrderThenSilenceAndStopsAtTheEnd) {
    audio::PlaybackStream s(Ramp(600), kPeriod);
    EXPECT_EQ(s.StateAt(0.0), State::Stopped);
    EXPECT_EQ(MixOnce(s, 0.0), -1.0f);  // not playing: nothing mixed

    s.Play(false, 0.0);
    std::vector<float> out(kPeriod * 2, 0.0f);
    EXPECT_EQ(s.Mix(out.data(), kPeriod, 0.0), kPeriod);
    for (int64_t i = 0; i < kPeriod * 2; ++i) ASSERT_EQ(out[i], static_cast<float>(i));
    int64_t covered = 0;
    EXPECT_EQ(MixOnce(s, 0.01, &covered), 512.0f);  // frame 256
    EXPECT_EQ(covered, kPeriod);
    std::vector<float> tail(kPeriod * 2, 0.0f);
    EXPECT_EQ(s.Mix(tail.data(), kPeriod, 0.02), 600 - 2 * kPeriod);  // 88 frames, then silence
    EXPECT_EQ(tail[(600 - 2 * kPeriod) * 2 - 1], static_cast<float>(600 * 2 - 1));
    EXPECT_EQ(tail[(600 - 2 * kPeriod) * 2], 0.0f);

    MixOnce(s, 0.03);
    EXPECT_EQ(s.Position(1.0), 600);
    EXPECT_EQ(s.StateAt(1.0), State::Stopped);
    s.Play(false, 1.1);  // at the end without restart: stays stopped
    EXPECT_EQ(s.StateAt(1.1), State::Stopped);
    s.Play(true, 1.2);
    EXPECT_EQ(s.StateAt(1.2), State::Playing);
    EXPECT_EQ(MixOnce(s, 1.2), 0.0f);  // from frame 0 again
}

TEST(PlaybackStream, PauseFreezesAndResumeReplaysFromTheFrozenPosition) {
    audio::PlaybackStream s(Ramp(44100), kPeriod);
    s.Play(false, 0.0);
    for (int i = 0; i < 4; ++i) MixOnce(s, i * kPeriod / 44100.0);  // 1024 frames handed out
    const double now = 3.5 * kPeriod / 44100.0;
    const int64_t heard = s.Position(now);
    EXPECT_GT(heard, 2 * kPeriod);
    EXPECT_LT(heard, 4 * kPeriod);  // behind what was handed out

    EXPECT_TRUE(s.Pause(now));
    EXPECT_FALSE(s.Pause(now));  // already paused
    EXPECT_EQ(s.StateAt(now + 5.0), State::Paused);
    EXPECT_EQ(s.Position(now + 5.0), heard);
    EXPECT_EQ(MixOnce(s, now + 5.0), -1.0f);

    s.Play(false, 10.0);
    EXPECT_EQ(s.Position(10.0), heard);
    EXPECT_EQ(MixOnce(s, 10.0), static_cast<float>(heard * 2));
}

TEST(PlaybackStream, SeekKeepsTheStateAndRefusesPositionsPastTheEnd) {
    audio::PlaybackStream s(Ramp(1000), kPeriod);
    EXPECT_TRUE(s.SetPosition(300, 0.0));
    EXPECT_EQ(s.StateAt(0.0), State::Stopped);
    EXPECT_EQ(s.Position(0.0), 300);
    s.Play(false, 0.0);
    EXPECT_EQ(MixOnce(s, 0.0), 600.0f);
    EXPECT_TRUE(s.Pause(0.001));
    EXPECT_TRUE(s.SetPosition(700, 0.002));
    EXPECT_EQ(s.StateAt(0.002), State::Paused);
    EXPECT_EQ(s.Position(0.002), 700);
    EXPECT_FALSE(s.SetPosition(1001, 0.003));
    EXPECT_FALSE(s.SetPosition(-1, 0.003));
    EXPECT_EQ(s.Position(0.003), 700);
    s.Play(false, 0.004);
    EXPECT_EQ(MixOnce(s, 0.004), 1400.0f);
    EXPECT_TRUE(s.SetPosition(1000, 0.005));  // exactly the end: playing stops there
    EXPECT_EQ(s.StateAt(0.005), State::Stopped);
    EXPECT_EQ(s.Position(0.005), 1000);
}
