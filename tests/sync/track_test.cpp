// Track evaluation: empty and single-key tracks, each interpolation kind, rows outside the keys.
#include <cmath>
#include <limits>

#include <gtest/gtest.h>

#include "sync/track.h"

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
        for (float row : {0.0f, 99.9f, 100.0f, 100.5f, 5000.0f}) EXPECT_EQ(track.valueAt(row), 3.5f) << kind << " " << row;
    }
}

TEST(Track, LinearSegmentUsesTheFractionalRowAndNeverExtrapolates) {
    const sync::Track track = TwoKeys(sync::Linear);
    EXPECT_EQ(track.valueAt(9.9f), 0.0f);
    EXPECT_EQ(track.valueAt(10.0f), 0.0f);
    EXPECT_EQ(track.valueAt(15.0f), 0.5f);
    EXPECT_NEAR(track.valueAt(19.99f), 0.999f, 1e-5);
    EXPECT_EQ(track.valueAt(20.0f), 1.0f);
    EXPECT_EQ(track.valueAt(1000.0f), 1.0f);

    // Only the earlier key's kind shapes a segment.
    EXPECT_EQ(TwoKeys(sync::Linear, sync::Cosine).valueAt(15.0f), 0.5f);

    sync::Track unit;
    unit.setKey(0, {0.0f, sync::Linear});
    unit.setKey(1, {1.0f, sync::Linear});
    EXPECT_EQ(unit.valueAt(0.25f), 0.25f);
}

TEST(Track, CosineAndQuadraticEase) {
    const sync::Track cosine = TwoKeys(sync::Cosine);
    EXPECT_NEAR(cosine.valueAt(15.0f), 0.5f, 1e-7);
    EXPECT_NEAR(cosine.valueAt(12.5f), 0.1464466f, 1e-6);
    EXPECT_NEAR(cosine.valueAt(17.5f), 0.8535534f, 1e-6);
    const sync::Track quadratic = TwoKeys(sync::Quadratic);
    EXPECT_EQ(quadratic.valueAt(15.0f), 0.25f);
    EXPECT_EQ(quadratic.valueAt(12.5f), 0.0625f);

    // Descending values and a long span: value0 + (value1 - value0) * u.
    sync::Track down;
    down.setKey(0, {8.0f, sync::Quadratic});
    down.setKey(1000, {-2.0f, sync::Step});
    EXPECT_EQ(down.valueAt(500.0f), 5.5f);
}

TEST(Track, StepAndUnknownKindsHoldTheEarlierValueUntilTheNextKey) {
    for (int32_t kind : {0, 4, 7, -1, 127, -128}) {
        const sync::Track track = TwoKeys(kind);
        for (float row : {10.0f, 12.5f, 15.0f, 19.99f}) EXPECT_EQ(track.valueAt(row), 0.0f) << kind << " " << row;
        EXPECT_EQ(track.valueAt(20.0f), 1.0f) << kind;
    }
}

TEST(Track, SettingARowAgainReplacesValueAndKind) {
    sync::Track track = TwoKeys(sync::Step);
    track.setKey(10, {0.5f, sync::Linear});
    EXPECT_EQ(track.keyCount(), 2u);
    EXPECT_EQ(track.valueAt(10.0f), 0.5f);
    EXPECT_EQ(track.valueAt(15.0f), 0.75f);
}

TEST(Track, NegativeAndUnrepresentableRowsLandAfterEveryKey) {
    const sync::Track track = TwoKeys(sync::Linear);
    // floor(-0.5) = -1 becomes row 4294967295 as an unsigned row.
    EXPECT_EQ(track.valueAt(-0.5f), 1.0f);
    EXPECT_EQ(track.valueAt(-1000.0f), 1.0f);
    EXPECT_EQ(track.valueAt(std::numeric_limits<float>::quiet_NaN()), 1.0f);
    EXPECT_EQ(track.valueAt(std::numeric_limits<float>::infinity()), 1.0f);

    sync::Track withTopRow;  // a key on the very last unsigned row is still found
    withTopRow.setKey(0, {1.0f, sync::Step});
    withTopRow.setKey(4294967295u, {9.0f, sync::Step});
    EXPECT_EQ(withTopRow.valueAt(-1.0f), 9.0f);
    EXPECT_EQ(withTopRow.valueAt(5.0f), 1.0f);
}
