#include "scene_core/keyframes.h"

#include <gtest/gtest.h>

#include <bit>
#include <vector>

#include "scene_core/matrix.h"

namespace {

// A reader over little-endian words: floats as their bits, other numbers as they are.
struct Words {
    explicit Words(std::initializer_list<float> floats) {
        for (float f : floats) words.push_back(std::bit_cast<uint32_t>(f));
    }
    ByteReader Reader() const {
        return {reinterpret_cast<const uint8_t*>(words.data()), words.size() * 4};
    }
    std::vector<uint32_t> words;
};

TEST(KeyTrack, InterpolatesTenKeysASecondHoldsTheLastAndGivesZeroBeforeTheStart) {
    KeyTrack<Vector3> track;
    const Words keys{2, 0, 0, 10, 20, -30, 20, 0, 10}, ramp{0, 0, 0, 0, 0, 0, 1, 1, 1};
    ByteReader reader = keys.Reader();
    ASSERT_TRUE(track.ReadKeys(reader, 3));
    const struct {
        float time, x, y, z;
    } samples[] = {{0, 2, 0, 0},   {0.05f, 6, 10, -15}, {0.15f, 15, 10, -10}, {0.2f, 20, 0, 10},
                   {7, 20, 0, 10}, {1e30f, 20, 0, 10},  {-1e-7f, 0, 0, 0},    {-0.5f, 0, 0, 0}};
    for (const auto& s : samples) {
        SCOPED_TRACE(s.time);
        const Vector3 v = track.Sample(s.time);
        EXPECT_FLOAT_EQ(v.x, s.x);
        EXPECT_FLOAT_EQ(v.y, s.y);
        EXPECT_FLOAT_EQ(v.z, s.z);
    }
    // The parameter is time x 10 in double, less the key index, rounded to float once: at 0.15 s
    // it is 0.50000006 (in float arithmetic it would round to 0.5).
    reader = ramp.Reader();
    ASSERT_TRUE(track.ReadKeys(reader, 3));
    EXPECT_EQ(track.Sample(0.15f).x, std::bit_cast<float>(0x3F000001u));
    EXPECT_EQ(KeyTrack<Vector3>().Sample(1.0f).x, 0.0f);
}

TEST(KeyTrack, RotationsInterpolateSpherically) {
    // Identity and a quarter turn about z: an eighth at the middle, unit length kept. The same turn
    // written negated is taken the short way round too.
    for (float sign : {1.0f, -1.0f}) {
        KeyTrack<Quaternion> track;
        const Words turn{0, 0, 0, 1, 0, 0, sign * 0.70710678f, sign * 0.70710678f};
        ByteReader reader = turn.Reader();
        ASSERT_TRUE(track.ReadKeys(reader, 2));
        EXPECT_EQ(track.Sample(0).w, 1.0f);
        EXPECT_NEAR(track.Sample(0.05f).z, 0.38268343f, 1e-6f) << sign;
        EXPECT_NEAR(track.Sample(0.05f).w, 0.92387953f, 1e-6f) << sign;
    }
}

}  // namespace
