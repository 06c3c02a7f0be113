// Track evaluation: empty and single-key tracks, each interpolation kind, rows outside the keys.
#include "sync/track.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

namespace {

sync::Track TwoKeys(int32_t firstKind, int32_t lastKind = sync::Step) {
    sync::Track track;
    track.setKey(10, {0.0f, firstKind});
    track.setKey(20, {1.0f, lastKind});
    return track;
}

}  // namespace

TEST(Track, EmptyTrackIsZeroEverywhere) {
    const sync::Track track;
    EXPECT_EQ(track.keyCount(), 0u);
    for (float row : {-5.0f, 0.0f, 0.5f, 1e9f, std::numeric_limits<float>::quiet_NaN()})
        EXPECT_EQ(track.valueAt(row), 0.0f) << row;
}

TEST(Track, SingleKeyHoldsItsValueBeforeAndAfterWhateverItsKind) {
    for (int32_t kind : {0, 1, 2, 3, 7, -1}) {
        sync::Track track;
        track.setKey(100, {3.5f, kind});
        for (float row : {0.0f, 99.9f, 100.0f, 100.5f, 5000.0f})
            EXPECT_EQ(track.valueAt(row), 3.5f) << kind << " " << row;
    }
}

// Keys 0 at row 10 (of the given kind) and 1 at row 20: the value at each row.
TEST(Track, EachKindShapesTheSegmentAfterItsKeyWithinTheKeysValues) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    struct Case {
        int32_t kind;
        float row, value;
    };
    const Case cases[] = {
        {sync::Linear, 9.9f, 0.0f},
        {sync::Linear, 10.0f, 0.0f},
        {sync::Linear, 15.0f, 0.5f},
        {sync::Linear, 20.0f, 1.0f},
        {sync::Linear, 1000.0f, 1.0f},
        {sync::Linear, 10.25f, 0.025f},
        {sync::Cosine, 15.0f, 0.5f},
        {sync::Cosine, 12.5f, 0.1464466f},
        {sync::Cosine, 17.5f, 0.8535534f},
        {sync::Quadratic, 15.0f, 0.25f},
        {sync::Quadratic, 12.5f, 0.0625f},
        // Step and unknown kinds hold the earlier value up to the next key.
        {sync::Step, 19.99f, 0.0f},
        {4, 15.0f, 0.0f},
        {-1, 12.5f, 0.0f},
        {127, 19.99f, 0.0f},
        {-128, 20.0f, 1.0f},
        // floor(-0.5) = -1 becomes row 4294967295 as an unsigned row: after every key.
        {sync::Linear, -0.5f, 1.0f},
        {sync::Linear, -1000.0f, 1.0f},
        {sync::Linear, nan, 1.0f},
        {sync::Linear, inf, 1.0f},
    };
    for (const Case& c : cases) {
        sync::Track track;
        track.setKey(10, {0.0f, c.kind});
        track.setKey(20, {1.0f, sync::Cosine});  // the later key's kind never matters
        EXPECT_NEAR(track.valueAt(c.row), c.value, 1e-6) << "kind " << c.kind << " row " << c.row;
    }

    // Descending values and a long span: value0 + (value1 - value0) * u.
    sync::Track down;
    down.setKey(0, {8.0f, sync::Quadratic});
    down.setKey(1000, {-2.0f, sync::Step});
    EXPECT_EQ(down.valueAt(500.0f), 5.5f);

    sync::Track withTopRow;  // a key on the very last unsigned row is still found
    withTopRow.setKey(0, {1.0f, sync::Step});
    withTopRow.setKey(4294967295u, {9.0f, sync::Step});
    EXPECT_EQ(withTopRow.valueAt(-1.0f), 9.0f);
    EXPECT_EQ(withTopRow.valueAt(5.0f), 1.0f);
}

TEST(Track, SettingARowAgainReplacesValueAndKind) {
    sync::Track track = TwoKeys(sync::Step, sync::Step);
    track.setKey(10, {0.5f, sync::Linear});
    EXPECT_EQ(track.keyCount(), 2u);
    EXPECT_EQ(track.valueAt(10.0f), 0.5f);
    EXPECT_EQ(track.valueAt(15.0f), 0.75f);
}

// Only V1 - V0 and the result are rounded to float: the product is kept in double.
TEST(Track, InterpolationRoundsOnlyTheDifferenceAndTheResult) {
    struct Case {
        int32_t kind;
        float v0, v1, row;
        uint32_t expectedBits;
    };
    const Case cases[] = {
        // 0.1 + (-0.8f) * 0.1f: 0.0199999996 (0x3CA3D70A), not 0.0199999958 (0x3CA3D708).
        {sync::Linear, 0.1f, -0.7f, 1.0f, 0x3CA3D70Au},
        {sync::Quadratic, 0.1f, -0.7f, 2.0f, 0x3D8B4395u},   // float product: ...96
        {sync::Quadratic, 0.1f, -0.7f, 3.75f, 0xBC4CCCCDu},  // float product: ...D0
        {sync::Cosine, 0.1f, -0.7f, 2.25f, 0x3B8864A7u},     // float product: ...A0
        {sync::Cosine, 0.1f, -0.7f, 5.0f, 0xBE99999Au},
    };
    for (const Case& c : cases) {
        sync::Track track;
        track.setKey(0, {c.v0, c.kind});
        track.setKey(10, {c.v1, sync::Step});
        const float value = track.valueAt(c.row);
        uint32_t bits;
        std::memcpy(&bits, &value, sizeof bits);
        EXPECT_EQ(bits, c.expectedBits) << "kind " << c.kind << " value " << value;
    }
}

// Rows beyond the signed 32-bit range search from row 2^31: between keys on either side of it the
// fraction leaves 0..1 and the curve goes on past its keys.
TEST(Track, RowsOutsideTheSignedRangeExtendTheSegmentAcrossRowTwoToThe31) {
    sync::Track track;
    track.setKey(0, {0.0f, sync::Linear});
    track.setKey(2147483658u, {1.0f, sync::Step});
    EXPECT_EQ(track.valueAt(4294967296.0f), static_cast<float>(4294967296.0 / 2147483658.0));
    EXPECT_EQ(track.valueAt(-1e10f), static_cast<float>(-1e10 / 2147483658.0));
    // The fraction is taken in double: a key row past 2^24 is not rounded to a float.
    sync::Track far;
    far.setKey(16777217u, {0.0f, sync::Linear});
    far.setKey(16777227u, {1.0f, sync::Step});
    EXPECT_EQ(far.valueAt(16777218.0f), 0.1f);
}
