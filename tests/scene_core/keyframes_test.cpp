#include "scene_core/keyframes.h"

#include <gtest/gtest.h>

#include <cstring>
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

class ThreeKeys : public ::testing::Test {
  protected:
    ThreeKeys() {
        Bytes bytes;
        bytes.F(0).F(0).F(0).F(10).F(20).F(-30).F(20).F(0).F(10);
        ByteReader reader(bytes.data.data(), bytes.data.size());
        track.ReadKeys(reader, 3);
    }
    KeyTrack<Vector3> track;
};

TEST_F(ThreeKeys, InterpolatesTenKeysPerSecondAndHoldsTheLast) {
    ExpectVector(track.Sample(0.0f), 0, 0, 0);
    ExpectVector(track.Sample(0.05f), 5, 10, -15);
    const Vector3 b = track.Sample(0.1f);
    EXPECT_NEAR(b.x, 10.0f, 1e-4f);
    EXPECT_NEAR(b.z, -30.0f, 1e-4f);
    ExpectVector(track.Sample(0.15f), 15, 10, -10);
    ExpectVector(track.Sample(0.2f), 20, 0, 10);
    ExpectVector(track.Sample(7.0f), 20, 0, 10);
    ExpectVector(track.Sample(1e30f), 20, 0, 10);
}

TEST_F(ThreeKeys, NegativeTimesGiveZero) {
    ExpectVector(track.Sample(-0.5f), 0, 0, 0);
    ExpectVector(track.Sample(-1e-7f), 0, 0, 0);
}

TEST(KeyTrackSample, EmptyAndSingleKeyTracks) {
    KeyTrack<Vector3> empty;
    ExpectVector(empty.Sample(1.0f), 0, 0, 0);
    KeyTrack<Quaternion> noRotation;
    const Quaternion zero = noRotation.Sample(0.0f);
    EXPECT_EQ(zero.x + zero.y + zero.z + zero.w, 0.0f);
    const Matrix identity = MatrixRotationQuaternion(zero);
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) EXPECT_EQ(identity.m[r][c], r == c ? 1.0f : 0.0f);

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
