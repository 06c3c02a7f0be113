#include "scene_core/keyframes.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <initializer_list>
#include <vector>

#include "scene_core/matrix.h"

namespace {

class Bytes {
  public:
    Bytes& U32(uint32_t v) {
        for (int i = 0; i < 4; ++i) data.push_back(static_cast<uint8_t>(v >> (8 * i)));
        return *this;
    }
    Bytes& F(float v) {
        uint32_t bits;
        std::memcpy(&bits, &v, 4);
        return U32(bits);
    }
    std::vector<uint8_t> data;
};

void ExpectVector(const Vector3& v, float x, float y, float z) {
    EXPECT_FLOAT_EQ(v.x, x);
    EXPECT_FLOAT_EQ(v.y, y);
    EXPECT_FLOAT_EQ(v.z, z);
}

TEST(KeyTrackReadKeys, TakesTheCountFromTheCallerOrFromTheReader) {
    Bytes given;
    given.F(1).F(2).F(3).F(4).F(5).F(6).U32(99);
    ByteReader reader(given.data.data(), given.data.size());
    KeyTrack<Vector3> track;
    ASSERT_TRUE(track.ReadKeys(reader, 2));
    EXPECT_EQ(track.count, 2u);
    ExpectVector(track.keys[1], 4, 5, 6);
    EXPECT_EQ(reader.Remaining(), 4u);  // stops right after the keys

    Bytes counted;
    counted.U32(2).F(1).F(0).F(0).F(0).F(0).F(0).F(0.6f).F(0.8f);
    ByteReader second(counted.data.data(), counted.data.size());
    KeyTrack<Quaternion> rotations;
    ASSERT_TRUE(rotations.ReadKeys(second, 0));
    EXPECT_EQ(rotations.count, 2u);
    EXPECT_FLOAT_EQ(rotations.keys[0].x, 1.0f);
    EXPECT_FLOAT_EQ(rotations.keys[1].z, 0.6f);
    EXPECT_FLOAT_EQ(rotations.keys[1].w, 0.8f);
    EXPECT_EQ(second.Remaining(), 0u);
}

TEST(KeyTrackReadKeys, RefusesCountsTheBytesCannotHold) {
    Bytes bytes;
    bytes.F(1).F(2).F(3).F(4).F(5);  // one key and a bit
    KeyTrack<Vector3> track;
    ByteReader exact(bytes.data.data(), bytes.data.size());
    EXPECT_FALSE(track.ReadKeys(exact, 2));
    EXPECT_EQ(track.count, 0u);
    EXPECT_EQ(track.keys, nullptr);
    EXPECT_EQ(exact.Position(), 0u);

    Bytes absurd;
    absurd.U32(0xFFFFFFFFu).F(1).F(2).F(3);
    ByteReader fromFile(absurd.data.data(), absurd.data.size());
    EXPECT_FALSE(track.ReadKeys(fromFile, 0));
    EXPECT_EQ(track.count, 0u);

    ByteReader empty(nullptr, 0);
    EXPECT_FALSE(track.ReadKeys(empty, 0));  // not even a count
}

// Vector keys from a list of floats, three per key.
void Fill(KeyTrack<Vector3>& track, std::initializer_list<float> floats) {
    Bytes bytes;
    for (float f : floats) bytes.F(f);
    ByteReader reader(bytes.data.data(), bytes.data.size());
    EXPECT_TRUE(track.ReadKeys(reader, static_cast<uint32_t>(floats.size() / 3)));
}

TEST(KeyTrackSample, InterpolatesTenKeysPerSecondHoldsTheLastAndGivesZeroBeforeTheStart) {
    KeyTrack<Vector3> track;
    Fill(track, {0, 0, 0, 10, 20, -30, 20, 0, 10});
    const struct {
        float time, x, y, z;
    } samples[] = {{0, 0, 0, 0},   {0.05f, 5, 10, -15}, {0.15f, 15, 10, -10}, {0.2f, 20, 0, 10},
                   {7, 20, 0, 10}, {1e30f, 20, 0, 10},  {-0.5f, 0, 0, 0},     {-1e-7f, 0, 0, 0}};
    for (const auto& s : samples) {
        SCOPED_TRACE(s.time);
        ExpectVector(track.Sample(s.time), s.x, s.y, s.z);
    }
    // The parameter is time x 10 in double, less the key index, rounded to float once: at 0.15 s
    // it is 0.50000006 (in float arithmetic it would round to 0.5).
    Fill(track, {0, 0, 0, 0, 0, 0, 1, 1, 1});
    EXPECT_EQ(track.Sample(0.15f).x, std::bit_cast<float>(0x3F000001u));
    KeyTrack<Vector3> empty;
    ExpectVector(empty.Sample(1.0f), 0, 0, 0);
}

TEST(KeyTrackSample, RotationTracksHoldASingleKeyAndAnEmptyOneGivesTheZeroQuaternion) {
    KeyTrack<Quaternion> noRotation;
    const Quaternion zero = noRotation.Sample(0.0f);
    EXPECT_EQ(zero.x + zero.y + zero.z + zero.w, 0.0f);
    Bytes one;
    one.F(0).F(0).F(0).F(1);
    ByteReader reader(one.data.data(), one.data.size());
    KeyTrack<Quaternion> single;
    ASSERT_TRUE(single.ReadKeys(reader, 1));
    EXPECT_EQ(single.Sample(0).w, 1.0f);
    EXPECT_EQ(single.Sample(3.7f).w, 1.0f);
    EXPECT_EQ(single.Sample(-0.5f).w, 0.0f);
}

TEST(KeyTrackSample, RotationsInterpolateSpherically) {
    // Identity and a half turn about z (a quarter of the way around: 45 degrees at the middle).
    Bytes bytes;
    bytes.F(0).F(0).F(0).F(1).F(0).F(0).F(0.70710678f).F(0.70710678f);
    ByteReader reader(bytes.data.data(), bytes.data.size());
    KeyTrack<Quaternion> track;
    ASSERT_TRUE(track.ReadKeys(reader, 2));
    const Quaternion middle = track.Sample(0.05f);
    EXPECT_NEAR(middle.z, 0.38268343f, 1e-5f);  // sin(22.5 degrees): unit length kept
    EXPECT_NEAR(middle.w, 0.92387953f, 1e-5f);
}

}  // namespace
