// The smooth position clock, driven with simulated callbacks and query times.
#include <random>

#include <gtest/gtest.h>

#include "platform/audio/position_clock.h"

namespace {
constexpr double kRate = 44100.0;
constexpr int64_t kPeriod = 1024;
}  // namespace

TEST(PositionClock, FollowsTimeSmoothlyAndNeverStepsBack) {
    const int64_t end = 10 * 44100;
    audio::PositionClock clock(kRate, end, kPeriod);
    clock.Set(0, 0.0);
    std::mt19937 random(3);
    std::uniform_real_distribution<double> jitter(-0.003, 0.003);  // late and early callbacks

    double nextCallback = 0.0;
    int64_t handedOut = 0;
    double last = 0.0;
    double worstDeviation = 0.0;
    for (double now = 0.0; now < 9.0; now += 0.0007) {
        while (now >= nextCallback) {
            handedOut += kPeriod;
            clock.OnBuffer(handedOut, nextCallback);
            nextCallback += kPeriod / kRate + jitter(random) * 0.5;
        }
        const double position = clock.Position(now);
        ASSERT_GE(position, last) << "at " << now;
        last = position;
        // The ideal line: real time, one period behind what was handed out at the start.
        worstDeviation = std::max(worstDeviation, std::abs(position - now * kRate));
    }
    EXPECT_LT(worstDeviation, 2.0 * kPeriod);
    EXPECT_GT(last, 8.9 * kRate);
}

TEST(PositionClock, MovesBetweenCallbacksButAtMostOnePeriod) {
    audio::PositionClock clock(kRate, 44100, kPeriod);
    clock.Set(0, 0.0);
    clock.OnBuffer(2 * kPeriod, 1.0);
    EXPECT_DOUBLE_EQ(clock.Position(1.0), kPeriod);
    EXPECT_NEAR(clock.Position(1.0 + 0.5 * kPeriod / kRate), 1.5 * kPeriod, 1e-6);
    // A stalled device: no callback for a long time, the clock waits after one period.
    EXPECT_DOUBLE_EQ(clock.Position(5.0), 2.0 * kPeriod);
}

TEST(PositionClock, StopsAtTheEndAndSetMovesBothWays) {
    audio::PositionClock clock(kRate, 5000, kPeriod);
    clock.Set(4000, 0.0);
    EXPECT_DOUBLE_EQ(clock.Position(0.0), 4000.0);
    clock.OnBuffer(6000 + kPeriod, 0.1);
    EXPECT_DOUBLE_EQ(clock.Position(0.2), 5000.0);
    clock.Set(100, 0.3);  // seek backwards
    EXPECT_DOUBLE_EQ(clock.Position(0.3), 100.0);
    EXPECT_DOUBLE_EQ(clock.Last(), 100.0);
    clock.Set(9999, 0.4);  // beyond the end: clamped
    EXPECT_DOUBLE_EQ(clock.Position(0.4), 5000.0);
}

TEST(PositionClock, WithoutAPeriodIsExactlyTheFramesHandedOut) {
    audio::PositionClock clock(kRate, 100000, 0);
    clock.Set(10, 0.0);
    clock.OnBuffer(745, 0.0);
    EXPECT_DOUBLE_EQ(clock.Position(123.0), 745.0);  // time plays no part
    clock.OnBuffer(1480, 0.0);
    EXPECT_DOUBLE_EQ(clock.Position(0.0), 1480.0);
}
