// One stream's state and what it hands to the mixer, with simulated time. Sample i of the ramp is i,
// so any misplaced read shows in the values.
#include <algorithm>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "platform/audio/playback_stream.h"

namespace {

using State = audio::PlaybackStream::State;
constexpr int64_t kPeriod = 256;

// Sample i of the interleaved ramp is i; counts the seeks it is asked for.
class RampSource final : public audio::SampleSource {
public:
    RampSource(int64_t frames, int* seeks) : frames_(frames), seeks_(seeks) {}
    int64_t Length() const override { return frames_; }
    int64_t Tell() const override { return next_; }
    bool Seek(int64_t frame) override {
        ++*seeks_;
        next_ = frame;
        return true;
    }
    int64_t Read(float* out, int64_t frames) override {
        const int64_t n = std::min(frames, frames_ - next_);
        for (int64_t i = 0; i < n * 2; ++i) out[i] = static_cast<float>(next_ * 2 + i);
        next_ += n;
        return n;
    }

private:
    int64_t frames_;
    int64_t next_ = 0;
    int* seeks_;
};

audio::PlaybackStream RampStream(int64_t frames, int* seeks = nullptr) {
    static int ignored = 0;
    return audio::PlaybackStream(std::make_unique<RampSource>(frames, seeks ? seeks : &ignored), kPeriod);
}

// Mixes one period; returns its first left sample, or -1 when nothing was mixed.
float MixOnce(audio::PlaybackStream& s, double now, int64_t* covered = nullptr) {
    std::vector<float> out(kPeriod * 2, 0.0f);
    const int64_t n = s.Mix(out.data(), kPeriod, now);
    if (covered) *covered = n;
    return n > 0 ? out[0] : -1.0f;
}

}  // namespace

TEST(PlaybackStream, HandsOutTheSamplesInOrderThenSilenceAndStopsAtTheEnd) {
    audio::PlaybackStream s = RampStream(600);
    EXPECT_EQ(MixOnce(s, 0.0), -1.0f);  // stopped: nothing mixed
    s.Play(false, 0.0);
    std::vector<float> out(kPeriod * 2, 0.0f);
    EXPECT_EQ(s.Mix(out.data(), kPeriod, 0.0), kPeriod);
    for (int64_t i = 0; i < kPeriod * 2; ++i) ASSERT_EQ(out[i], static_cast<float>(i));
    EXPECT_EQ(MixOnce(s, 0.01), 512.0f);
    std::vector<float> tail(kPeriod * 2, 0.0f);
    EXPECT_EQ(s.Mix(tail.data(), kPeriod, 0.02), 88);  // the last 88 frames, then silence
    EXPECT_EQ(tail[88 * 2 - 1], 1199.0f);
    EXPECT_EQ(tail[88 * 2], 0.0f);

    MixOnce(s, 0.03);
    EXPECT_EQ(s.Position(1.0), 600);
    EXPECT_EQ(s.StateAt(1.0), State::Stopped);
    s.Play(false, 1.1);  // at the end without restart: stays stopped
    EXPECT_EQ(s.StateAt(1.1), State::Stopped);
    s.Play(true, 1.2);
    EXPECT_EQ(MixOnce(s, 1.2), 0.0f);
}

TEST(PlaybackStream, PauseFreezesAndResumeReplaysFromTheFrozenPosition) {
    audio::PlaybackStream s = RampStream(44100);
    s.Play(false, 0.0);
    for (int i = 0; i < 4; ++i) MixOnce(s, i * kPeriod / 44100.0);  // 1024 frames handed out
    const double now = 3.5 * kPeriod / 44100.0;
    const int64_t heard = s.Position(now);
    EXPECT_GT(heard, 2 * kPeriod);
    EXPECT_LT(heard, 4 * kPeriod);  // behind what was handed out

    EXPECT_TRUE(s.Pause(now));
    EXPECT_FALSE(s.Pause(now));
    EXPECT_EQ(s.StateAt(now + 5.0), State::Paused);
    EXPECT_EQ(s.Position(now + 5.0), heard);
    EXPECT_EQ(MixOnce(s, now + 5.0), -1.0f);
    EXPECT_TRUE(s.SetPosition(heard, now + 5.0));  // seeking keeps the pause
    EXPECT_FALSE(s.SetPosition(44101, now + 5.0));
    EXPECT_EQ(s.StateAt(now + 5.0), State::Paused);

    s.Play(false, 10.0);
    EXPECT_EQ(s.Position(10.0), heard);
    EXPECT_EQ(MixOnce(s, 10.0), static_cast<float>(heard * 2));
}

TEST(PlaybackStream, DecodesOnlyWhatItHandsOutAndSeeksOnlyWhenTheReadHeadJumps) {
    int seeks = 0;
    audio::PlaybackStream s = RampStream(20000, &seeks);
    s.Play(false, 0.0);
    std::vector<float> big(5000 * 2, 0.5f);  // longer than one decoding chunk; mixed on top
    EXPECT_EQ(s.Mix(big.data(), 5000, 0.0), 5000);
    for (int64_t i = 0; i < 5000 * 2; ++i) ASSERT_EQ(big[i], static_cast<float>(i) + 0.5f) << i;
    EXPECT_EQ(seeks, 0);  // playing on from the start needs no seek

    EXPECT_EQ(s.Mix(nullptr, 1000, 0.1), 1000);  // moves on without decoding
    EXPECT_EQ(MixOnce(s, 0.2), 6000.0f * 2);
    EXPECT_EQ(seeks, 1);
    EXPECT_EQ(MixOnce(s, 0.3), (6000.0f + kPeriod) * 2);
    EXPECT_EQ(seeks, 1);

    EXPECT_TRUE(s.SetPosition(100, 0.4));
    EXPECT_EQ(MixOnce(s, 0.4), 200.0f);
    EXPECT_EQ(seeks, 2);
}
