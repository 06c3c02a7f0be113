#include "scene_core/noise.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(IntNoise, GivesTheKnownHashValuesInRange) {
    EXPECT_FLOAT_EQ(IntNoise(0), -0.28179097f);
    EXPECT_FLOAT_EQ(IntNoise(1), -0.22637305f);
    EXPECT_FLOAT_EQ(IntNoise(43), -0.89535439f);
    // Wrap-around arithmetic at the ends of the range stays defined and in (-1, 1].
    for (int32_t n : {INT32_MIN, INT32_MIN + 1, -1, INT32_MAX - 2, INT32_MAX}) {
        const float v = IntNoise(n);
        EXPECT_GT(v, -1.0f) << n;
        EXPECT_LE(v, 1.0f) << n;
    }
    for (int32_t n = -5000; n < 5000; ++n) {
        const float v = IntNoise(n);
        ASSERT_GT(v, -1.0f) << n;
        ASSERT_LE(v, 1.0f) << n;
    }
}

TEST(CubicInterpolate, PassesThroughTheInnerSamples) {
    EXPECT_FLOAT_EQ(CubicInterpolate(3, -1, 5, 2, 0), -1.0f);
    EXPECT_FLOAT_EQ(CubicInterpolate(3, -1, 5, 2, 1), 5.0f);
    // On a straight line the cubic is the line: P = Q = 0, R = 2 x step.
    EXPECT_FLOAT_EQ(CubicInterpolate(0, 1, 2, 3, 0.5f), 1.5f);
    // P = (d-c)-(a-b) = 2, Q = (a-b)-P = -2, R = c-a = 0, b = 0 at x = 0.5: 0.25 - 0.5.
    EXPECT_FLOAT_EQ(CubicInterpolate(0, 0, 0, 2, 0.5f), -0.25f);
}

TEST(Noise1D, HitsIntNoiseAtWholeWavelengthsAndIsContinuousBetween) {
    EXPECT_FLOAT_EQ(Noise1D(0, 10.1f, 43), IntNoise(43));
    EXPECT_FLOAT_EQ(Noise1D(0, 10.1f, 1), IntNoise(1));
    EXPECT_FLOAT_EQ(Noise1D(40, 10, 1), IntNoise(5));
    EXPECT_FLOAT_EQ(Noise1D(-20, 10, 0), IntNoise(-2));
    float previous = Noise1D(0, 10, 7);
    for (int step = 1; step <= 6000; ++step) {
        const float x = step * 0.01f;
        const float value = Noise1D(x, 10, 7);
        ASSERT_LT(std::fabs(value - previous), 0.05f) << "jump at x = " << x;
        previous = value;
    }
    // Seeds select different curves.
    EXPECT_NE(Noise1D(3.3f, 10, 1), Noise1D(3.3f, 10, 43));
}

TEST(Wrap, ReducesOnlyValuesAboveOnePeriod) {
    EXPECT_EQ(Wrap(400, 0, 400), 400.0f);
    EXPECT_EQ(Wrap(430, 7, 400), 37.0f);
    EXPECT_EQ(Wrap(100, 7, 400), 100.0f);
    EXPECT_EQ(Wrap(45, 0, 30), 15.0f);
    EXPECT_EQ(Wrap(-5, 0, 30), -5.0f);
    EXPECT_EQ(Wrap(95, 1, 30), 6.0f);
}

}  // namespace
