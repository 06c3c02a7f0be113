#include "scene_core/noise.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>

namespace {

uint32_t Bits(float f) {
    return std::bit_cast<uint32_t>(f);
}

// The hash and the cubic are computed in double and rounded to float once: in float arithmetic
// most of these differ in the last bit.
TEST(Noise, IntNoiseAndCubicInterpolateGiveTheKnownValuesExactly) {
    const struct {
        int32_t n;
        uint32_t bits;
    } hashes[] = {{0, 0xBE9046E8u}, {1, 0xBE67CE56u}, {2, 0x3E96570Du},
                  {3, 0xBE83ADC7u}, {5, 0xBF368353u}, {43, 0xBF6535F2u}};
    for (const auto& h : hashes) EXPECT_EQ(Bits(IntNoise(h.n)), h.bits) << h.n;
    // Wrap-around arithmetic stays defined and in (-1, 1].
    for (int32_t n : {INT32_MIN, -1, INT32_MAX}) EXPECT_LE(std::fabs(IntNoise(n)), 1.0f) << n;

    EXPECT_EQ(CubicInterpolate(3, -1, 5, 2, 0), -1.0f);  // through the inner samples
    EXPECT_EQ(CubicInterpolate(3, -1, 5, 2, 1), 5.0f);
    EXPECT_EQ(CubicInterpolate(0, 0, 0, 2, 0.5f), -0.25f);
    const float a = IntNoise(0), b = IntNoise(1), c = IntNoise(2), d = IntNoise(3);
    EXPECT_EQ(Bits(CubicInterpolate(a, b, c, d, std::bit_cast<float>(0x3D25119Du))), 0xBE4F5C81u);
    EXPECT_EQ(Bits(CubicInterpolate(a, b, c, d, std::bit_cast<float>(0x3DBFB15Cu))), 0xBE2D1F5Du);
}

TEST(Noise, Noise1DHitsIntNoiseAtWholeWavelengthsAndIsContinuousBetween) {
    const struct {
        float x, wavelength;
        int32_t seed, n;
    } knots[] = {{0, 10.1f, 43, 43}, {40, 10, 1, 5}, {-20, 10, 0, -2}};
    for (const auto& k : knots) EXPECT_EQ(Noise1D(k.x, k.wavelength, k.seed), IntNoise(k.n)) << k.x;
    float previous = Noise1D(0, 10, 7);
    for (int step = 1; step <= 6000; ++step) {
        const float value = Noise1D(step * 0.01f, 10, 7);
        ASSERT_LT(std::fabs(value - previous), 0.05f) << "jump at step " << step;
        previous = value;
    }
    // Halfway between knots all four samples count: IntNoise(4..7) around x = 5.5.
    EXPECT_EQ(Noise1D(55, 10, 0),
              CubicInterpolate(IntNoise(4), IntNoise(5), IntNoise(6), IntNoise(7), 0.5f));
}

TEST(Noise, WrapReducesOnlyValuesAbovePeriod) {
    const struct {
        float value, offset, period, wrapped;
    } cases[] = {{400, 0, 400, 400}, {430, 7, 400, 37}, {100, 7, 400, 100}, {95, 1, 30, 6}};
    for (const auto& c : cases)
        EXPECT_EQ(Wrap(c.value, c.offset, c.period), c.wrapped) << c.value << " " << c.period;
}

}  // namespace
