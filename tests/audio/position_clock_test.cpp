// The smooth position clock, driven with simulated callbacks and query times.
#include "platform/audio/position_clock.h"

#include <gtest/gtest.h>

#include <random>

namespace {
constexpr double kRate = 44100.0;
constexpr int64_t kPeriod = 1024;
}  // namespace

TEST(PositionClock, FollowsTimeSmoothlyNeverStepsBackAndStopsAtTheEnd) {
    audio::PositionClock clock(kRate, 9 * 44100, kPeriod);
    clock.Set(0, 0.0);
    std::mt19937 random(3);
    std::uniform_real_distribution<double> jitter(-0.0015, 0.0015);  // late and early callbacks
    double nextCallback = 0.0, last = 0.0, worst = 0.0;
    int64_t handedOut = 0;
    for (double now = 0.0; now < 10.0; now += 0.0007) {
        while (now >= nextCallback) {
            handedOut += kPeriod;
            clock.OnBuffer(handedOut, nextCallback);
            nextCallback += kPeriod / kRate + jitter(random);
        }
        const double position = clock.Position(now);
        ASSERT_GE(position, last) << "at " << now;
        last = position;
        if (now < 8.9) worst = std::max(worst, std::abs(position - now * kRate));
    }
    EXPECT_LT(worst, 2.0 * kPeriod);
    EXPECT_EQ(last, 9 * 44100);
}

TEST(PositionClock, MovesAtMostOnePeriodPastACallbackAndSetMovesBothWays) {
    audio::PositionClock clock(kRate, 44100, kPeriod);
    clock.Set(0, 0.0);
    clock.OnBuffer(2 * kPeriod, 1.0);
    EXPECT_EQ(clock.Position(1.0), kPeriod);
    EXPECT_NEAR(clock.Position(1.0 + 0.5 * kPeriod / kRate), 1.5 * kPeriod, 1e-6);
    EXPECT_EQ(clock.Position(5.0), 2.0 * kPeriod);  // a stalled device: the clock waits
    clock.Set(100, 6.0);
    EXPECT_EQ(clock.Position(6.0), 100.0);
    clock.Set(99999, 7.0);
    EXPECT_EQ(clock.Position(7.0), 44100.0);  // clamped to the length

    audio::PositionClock manual(kRate, 100000, 0);  // no period: exactly the frames handed out
    manual.Set(10, 0.0);
    manual.OnBuffer(745, 0.0);
    EXPECT_EQ(manual.Position(123.0), 745.0);
}
