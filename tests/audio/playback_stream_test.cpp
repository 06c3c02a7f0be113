// One stream's state and what it hands to the mixer, with simulated time (pause and resume: the
// manual clock's tests and, bit for bit, the disk driver's). Sample i of the ramp is i, so any
// misplaced read shows in the values.
#include "platform/audio/playback_stream.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

using State = audio::PlaybackStream::State;
constexpr int64_t kPeriod = 256;

// Sample i of the interleaved ramp is i; counts the seeks it is asked for.
class RampSource final : public audio::SampleSource {
  public:
    explicit RampSource(int* seeks) : seeks_(seeks) {}
    int64_t Length() const override { return 6000; }
    int64_t Tell() const override { return next_; }
    bool Seek(int64_t frame) override {
        ++*seeks_;
        next_ = frame;
        return true;
    }
    int64_t Read(float* out, int64_t frames) override {
        const int64_t n = std::min(frames, Length() - next_);
        for (int64_t i = 0; i < n * 2; ++i) out[i] = static_cast<float>(next_ * 2 + i);
        next_ += n;
        return n;
    }

  private:
    int64_t next_ = 0;
    int* seeks_;
};

// A 6000-frame ramp with the given latency (period).
audio::PlaybackStream Ramp(int* seeks, int64_t period = kPeriod) {
    return audio::PlaybackStream(std::make_unique<RampSource>(seeks), period);
}

// Mixes one period; returns its first left sample, or -1 when nothing was mixed.
float MixOnce(audio::PlaybackStream& s, double now) {
    std::vector<float> out(kPeriod * 2, 0.0f);
    return s.Mix(out.data(), kPeriod, now) > 0 ? out[0] : -1.0f;
}

}  // namespace

TEST(PlaybackStream, HandsOutTheSamplesInOrderSeekingOnlyWhenTheReadHeadJumpsAndStopsAtTheEnd) {
    int seeks = 0;
    audio::PlaybackStream s = Ramp(&seeks);
    EXPECT_EQ(MixOnce(s, 0.0), -1.0f);  // stopped: nothing mixed
    s.Play(false, 0.0);
    std::vector<float> big(5000 * 2, 0.5f);  // longer than one decoding chunk; mixed on top
    EXPECT_EQ(s.Mix(big.data(), 5000, 0.0), 5000);
    for (int64_t i = 0; i < 5000 * 2; ++i) ASSERT_EQ(big[i], static_cast<float>(i) + 0.5f) << i;
    EXPECT_EQ(seeks, 0);                       // playing on from the start needs no seek
    EXPECT_EQ(s.Mix(nullptr, 500, 0.1), 500);  // moves on without decoding
    EXPECT_EQ(MixOnce(s, 0.2), 5500.0f * 2);
    EXPECT_EQ(seeks, 1);
    std::vector<float> tail(kPeriod * 2, 0.0f);
    EXPECT_EQ(s.Mix(tail.data(), kPeriod, 0.3), 244);  // the last 244 frames, then silence
    EXPECT_EQ(tail[244 * 2 - 1], 11999.0f);
    EXPECT_EQ(tail[244 * 2], 0.0f);

    MixOnce(s, 0.4);
    EXPECT_EQ(s.Position(1.0), 6000);
    EXPECT_EQ(s.StateAt(1.0), State::Stopped);
    s.Play(false, 1.1);  // at the end without restart: stays stopped
    EXPECT_EQ(s.StateAt(1.1), State::Stopped);
    s.Play(true, 1.2);
    EXPECT_EQ(MixOnce(s, 1.2), 0.0f);
    EXPECT_TRUE(s.SetPosition(100, 1.3));
    EXPECT_EQ(MixOnce(s, 1.3), 200.0f);
}

TEST(PlaybackStream, ALoopWrapsInsideABufferSampleExactlyAndAHeadPastItsEndPlaysOn) {
    // No latency (the manual clock's case): the position is exactly where the read head is.
    int seeks = 0;
    audio::PlaybackStream s = Ramp(&seeks, 0);
    EXPECT_FALSE(s.SetLoop(100, 6001));  // past the end: refused, no loop
    EXPECT_TRUE(s.SetLoop(1000, 1100));
    s.Play(false, 0.0);
    ASSERT_TRUE(s.SetPosition(1090, 0.0));
    std::vector<float> out(30 * 2, 0.0f);
    EXPECT_EQ(s.Mix(out.data(), 30, 0.0), 30);
    for (int i = 0; i < 30; ++i) {
        const int frame = i < 10 ? 1090 + i : 1000 + (i - 10);  // 1099 is followed by 1000
        ASSERT_EQ(out[2 * i], static_cast<float>(frame * 2)) << i;
        ASSERT_EQ(out[2 * i + 1], static_cast<float>(frame * 2 + 1)) << i;
    }
    EXPECT_EQ(s.Mix(nullptr, 250, 0.0), 250);  // 80 to the end, a whole loop of 100, then 70
    EXPECT_EQ(s.Position(0.0), 1070);

    ASSERT_TRUE(s.SetPosition(2000, 0.0));  // beyond the loop: plays on
    EXPECT_EQ(s.Mix(nullptr, 500, 0.0), 500);
    EXPECT_EQ(s.Position(0.0), 2500);
    EXPECT_TRUE(s.SetLoop(0, 0));  // removed
    ASSERT_TRUE(s.SetPosition(1090, 0.0));
    s.Mix(nullptr, 30, 0.0);
    EXPECT_EQ(s.Position(0.0), 1120);

    // With a device's latency the heard position restarts at the loop's start, never before it.
    audio::PlaybackStream late = Ramp(&seeks);
    ASSERT_TRUE(late.SetLoop(1000, 1100));
    late.Play(false, 0.0);
    ASSERT_TRUE(late.SetPosition(1090, 0.0));
    late.Mix(nullptr, 30, 0.0);
    EXPECT_EQ(late.Position(0.0), 1000);
    // Between frames a pause keeps the frame heard, not the next one.
    audio::PlaybackStream paused = Ramp(&seeks);
    paused.Play(false, 0.0);
    paused.Mix(nullptr, 2 * kPeriod, 0.0);  // heard: a period behind what is handed out
    ASSERT_TRUE(paused.Pause(10.5 / 44100));
    EXPECT_EQ(paused.Position(1.0), kPeriod + 10);
}
