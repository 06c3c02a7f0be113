// Track evaluation: empty and single-key tracks, each interpolation kind, rows outside the keys.
#include "sync/track.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>

namespace {

sync::Track Keys(std::initializer_list<std::pair<uint32_t, sync::TrackKey>> keys) {
    sync::Track track;
    for (const auto& [row, key] : keys) track.setKey(row, key);
    return track;
}

}  // namespace

TEST(Track, EmptyIsZeroAndASingleKeyHoldsItsValueBeforeAndAfter) {
    for (float row : {-5.0f, 0.0f, 100.5f, 1e9f, std::numeric_limits<float>::quiet_NaN()}) {
        EXPECT_EQ(sync::Track().valueAt(row), 0.0f) << row;
        EXPECT_EQ(Keys({{100, {3.5f, sync::Linear}}}).valueAt(row), 3.5f) << row;
    }
}

// Keys 0 at row 10 (of the given kind) and 1 at row 20: the value at each row.
TEST(Track, EachKindShapesTheSegmentAfterItsKey) {
    const struct {
        int32_t kind;
        float row, value;
    } cases[] = {
        {sync::Linear, 9.9f, 0.0f},
        {sync::Linear, 15.0f, 0.5f},
        {sync::Linear, 1000.0f, 1.0f},
        {sync::Cosine, 12.5f, 0.1464466f},
        {sync::Quadratic, 12.5f, 0.0625f},
        // Step and unknown kinds hold the earlier value up to the next key.
        {sync::Step, 19.99f, 0.0f},
        {4, 15.0f, 0.0f},
        {-1, 12.5f, 0.0f},
        // floor(-0.5) = -1 becomes row 4294967295 as an unsigned row: after every key.
        {sync::Linear, -0.5f, 1.0f},
        {sync::Linear, std::numeric_limits<float>::quiet_NaN(), 1.0f},
    };
    for (const auto& c : cases) {
        const sync::Track track = Keys({{10, {0.0f, c.kind}}, {20, {1.0f, sync::Cosine}}});
        EXPECT_NEAR(track.valueAt(c.row), c.value, 1e-6) << "kind " << c.kind << " row " << c.row;
    }
}

// Only V1 - V0 and the result are rounded to float: the product is kept in double.
TEST(Track, InterpolationRoundsOnlyTheDifferenceAndTheResult) {
    const struct {
        int32_t kind;
        float row;
        uint32_t expectedBits;
    } cases[] = {
        // 0.1 + (-0.8f) * 0.1f: 0.0199999996 (0x3CA3D70A), not 0.0199999958 (0x3CA3D708).
        {sync::Linear, 1.0f, 0x3CA3D70Au},
        {sync::Quadratic, 2.0f, 0x3D8B4395u},   // float product: ...96
        {sync::Quadratic, 3.75f, 0xBC4CCCCDu},  // float product: ...D0
        {sync::Cosine, 2.25f, 0x3B8864A7u},     // float product: ...A0
    };
    for (const auto& c : cases) {
        const float value = Keys({{0, {0.1f, c.kind}}, {10, {-0.7f, sync::Step}}}).valueAt(c.row);
        uint32_t bits;
        std::memcpy(&bits, &value, sizeof bits);
        EXPECT_EQ(bits, c.expectedBits) << "kind " << c.kind << " value " << value;
    }
}

// Rows beyond the signed 32-bit range search from row 2^31: between keys on either side of it the
// fraction leaves 0..1 and the curve goes on past its keys.
TEST(Track, RowsOutsideTheSignedRangeExtendTheSegmentAcrossRowTwoToThe31) {
    const sync::Track track = Keys({{0, {0.0f, sync::Linear}}, {2147483658u, {1.0f, sync::Step}}});
    EXPECT_EQ(track.valueAt(4294967296.0f), static_cast<float>(4294967296.0 / 2147483658.0));
    EXPECT_EQ(track.valueAt(-1e10f), static_cast<float>(-1e10 / 2147483658.0));
    // The fraction is taken in double: a key row past 2^24 is not rounded to a float.
    const sync::Track far = Keys({{16777217u, {0.0f, sync::Linear}}, {16777227u, {1.0f, 0}}});
    EXPECT_EQ(far.valueAt(16777218.0f), 0.1f);
}
