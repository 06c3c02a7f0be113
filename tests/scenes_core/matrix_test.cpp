// The matrix and quaternion functions against GLM (configured for Direct3D's conventions) over many
// random inputs, and the scene builders against worked examples.
#define GLM_FORCE_LEFT_HANDED
#define GLM_FORCE_DEPTH_ZERO_TO_ONE
#define GLM_ENABLE_EXPERIMENTAL
#include "scenes/matrix.h"

#include <gtest/gtest.h>

#include <cmath>
#include <glm/glm.hpp>
#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/quaternion.hpp>
#include <glm/gtx/euler_angles.hpp>
#include <numbers>
#include <random>

#include "platform/math/vector_math.h"

namespace {

// Direct3D's row-vector matrix has the memory layout of GLM's column-vector matrix of the same
// transform: m[row][column] of the one is [column][row] of the other.
void ExpectSameMatrix(const Matrix& ours, const glm::mat4& glm, float tolerance) {
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            const float expected = glm[r][c];
            EXPECT_NEAR(ours.m[r][c], expected, tolerance * std::max(1.0f, std::fabs(expected)))
                << "element [" << r << "][" << c << "]";
        }
    }
}

Matrix FromGlm(const glm::mat4& g) {
    Matrix m;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) m.m[r][c] = g[r][c];
    return m;
}

void ExpectNearVector(const Vector3& v, float x, float y, float z, float tolerance = 1e-5f) {
    EXPECT_NEAR(v.x, x, tolerance);
    EXPECT_NEAR(v.y, y, tolerance);
    EXPECT_NEAR(v.z, z, tolerance);
}

class RandomInputs : public ::testing::Test {
  protected:
    float Angle() { return std::uniform_real_distribution<float>(-7.0f, 7.0f)(rng_); }
    float Value() { return std::uniform_real_distribution<float>(-50.0f, 50.0f)(rng_); }
    float Positive() { return std::uniform_real_distribution<float>(0.1f, 20.0f)(rng_); }
    glm::quat UnitQuat() {
        std::normal_distribution<float> n;
        return glm::normalize(glm::quat(n(rng_), n(rng_), n(rng_), n(rng_)));
    }
    glm::mat4 RandomMatrix() {
        glm::mat4 m;
        for (int c = 0; c < 4; ++c)
            for (int r = 0; r < 4; ++r) m[c][r] = Value();
        return m;
    }
    std::mt19937 rng_{12345};
    static constexpr int kRounds = 500;
};

TEST_F(RandomInputs, ProductAppliesLeftFactorFirst) {
    for (int i = 0; i < kRounds; ++i) {
        const glm::mat4 a = RandomMatrix(), b = RandomMatrix();
        // Row vectors: p x (A x B) = (p x A) x B; in column form that is (B x A) x p.
        ExpectSameMatrix(FromGlm(a) * FromGlm(b), b * a, 1e-5f);
    }
}

TEST_F(RandomInputs, RotationBuildersMatchGlm) {
    for (int i = 0; i < kRounds; ++i) {
        const float yaw = Angle(), pitch = Angle(), roll = Angle();
        ExpectSameMatrix(MatrixYawPitchRoll(yaw, pitch, roll), glm::eulerAngleYXZ(yaw, pitch, roll),
                         1e-5f);
        ExpectSameMatrix(MatrixYawPitchRoll(Vector3{yaw, pitch, roll}),
                         glm::eulerAngleYXZ(yaw, pitch, roll), 1e-5f);

        const glm::quat q = UnitQuat();
        ExpectSameMatrix(MatrixRotationQuaternion({q.x, q.y, q.z, q.w}), glm::mat4_cast(q), 1e-5f);
    }
}

TEST_F(RandomInputs, ScalingTranslationAndWorldMatchGlm) {
    for (int i = 0; i < kRounds; ++i) {
        const glm::vec3 s(Value(), Value(), Value()), t(Value(), Value(), Value());
        ExpectSameMatrix(MatrixScaling({s.x, s.y, s.z}), glm::scale(glm::mat4(1.0f), s), 0);
        ExpectSameMatrix(MatrixTranslation(t.x, t.y, t.z), glm::translate(glm::mat4(1.0f), t), 0);
        ExpectSameMatrix(MatrixTranslation(Vector3{t.x, t.y, t.z}),
                         glm::translate(glm::mat4(1.0f), t), 0);

        const float yaw = Angle(), pitch = Angle(), roll = Angle(), scale = Positive();
        // Rotate, then scale, then translate.
        const glm::mat4 world = glm::translate(glm::mat4(1.0f), t) *
                                glm::scale(glm::mat4(1.0f), glm::vec3(scale)) *
                                glm::eulerAngleYXZ(yaw, pitch, roll);
        ExpectSameMatrix(MatrixWorld(t.x, t.y, t.z, yaw, pitch, roll, scale), world, 1e-4f);
        ExpectSameMatrix(MatrixWorld({t.x, t.y, t.z}, {yaw, pitch, roll}, scale), world, 1e-4f);
    }
}

TEST_F(RandomInputs, ViewAndProjectionBuildersMatchGlm) {
    for (int i = 0; i < kRounds; ++i) {
        const glm::vec3 eye(Value(), Value(), Value()), at(Value(), Value(), Value());
        const glm::vec3 up = glm::normalize(glm::vec3(Value(), Value(), Value()));
        ExpectSameMatrix(
            vmath::MatrixLookAtLH({eye.x, eye.y, eye.z}, {at.x, at.y, at.z}, {up.x, up.y, up.z}),
            glm::lookAtLH(eye, at, up), 2e-4f);

        const float fov = std::uniform_real_distribution<float>(0.1f, 3.0f)(rng_);
        const float aspect = Positive(), zn = Positive(), zf = zn + Positive() * 100.0f;
        ExpectSameMatrix(vmath::MatrixPerspectiveFovLH(fov, aspect, zn, zf),
                         glm::perspectiveLH_ZO(fov, aspect, zn, zf), 1e-5f);

        const float w = Positive() * 100.0f, h = Positive() * 100.0f;
        ExpectSameMatrix(vmath::MatrixOrthoLH(w, h, zn, zf),
                         glm::orthoLH_ZO(-w / 2, w / 2, -h / 2, h / 2, zn, zf), 1e-5f);
    }
    ExpectSameMatrix(MatrixOrtho(800, 450),
                     glm::orthoLH_ZO(-400.0f, 400.0f, -225.0f, 225.0f, 0.0f, 100000.0f), 1e-6f);
}

TEST_F(RandomInputs, SlerpMatchesGlmAlongTheShorterArc) {
    for (int i = 0; i < kRounds; ++i) {
        const glm::quat a = UnitQuat();
        // Every fourth pair nearly equal, to reach the linear branch.
        const glm::quat b = i % 4 == 0 ? glm::normalize(a + glm::quat(1e-4f, 0, 0, 0)) : UnitQuat();
        const float t = std::uniform_real_distribution<float>(0.0f, 1.0f)(rng_);
        const glm::quat expected = glm::slerp(a, b, t);
        const Quaternion got =
            vmath::QuaternionSlerp({a.x, a.y, a.z, a.w}, {b.x, b.y, b.z, b.w}, t);
        EXPECT_NEAR(got.x, expected.x, 1e-4f);
        EXPECT_NEAR(got.y, expected.y, 1e-4f);
        EXPECT_NEAR(got.z, expected.z, 1e-4f);
        EXPECT_NEAR(got.w, expected.w, 1e-4f);
    }
    // The ends are the inputs themselves (b negated when that is the shorter way).
    const Quaternion a{0, 0, 0, 1}, b{0, -0.6f, 0, -0.8f};
    const Quaternion end = vmath::QuaternionSlerp(a, b, 1.0f);
    EXPECT_NEAR(end.y, 0.6f, 1e-6f);
    EXPECT_NEAR(end.w, 0.8f, 1e-6f);
    const Quaternion start = vmath::QuaternionSlerp(a, b, 0.0f);
    EXPECT_NEAR(start.w, 1.0f, 1e-6f);
}

TEST_F(RandomInputs, TransformCoordDividesByW) {
    for (int i = 0; i < kRounds; ++i) {
        const glm::mat4 projection = glm::perspectiveLH_ZO(1.0f, 1.5f, 1.0f, 100.0f);
        const glm::vec3 p(Value(), Value(), Positive() * 4.0f);
        const glm::vec4 clip = projection * glm::vec4(p, 1.0f);
        ExpectNearVector(TransformCoord({p.x, p.y, p.z}, FromGlm(projection)), clip.x / clip.w,
                         clip.y / clip.w, clip.z / clip.w, 1e-4f);
    }
}

TEST(MatrixWorld, ScalesFirstAndTranslatesLast) {
    ExpectNearVector(TransformCoord({1, 0, 0}, MatrixWorld(5, 0, 0, 0, 0, 0, 10)), 15, 0, 0);
    // Yaw and roll of pi together turn the object upside down.
    const float pi = std::numbers::pi_v<float>;
    ExpectNearVector(TransformCoord({0, 1, 0}, MatrixWorld(0, -1, 3, pi, 0, pi, 1)), 0, -2, 3);
    // Roll turns about z before yaw turns about y: (1,0,0) rolls to (0,1,0), which yaw keeps.
    ExpectNearVector(TransformCoord({1, 0, 0}, MatrixYawPitchRoll(pi / 2, 0, pi / 2)), 0, 1, 0);
}

TEST(MatrixIdentity, IsNeutralForTheProduct) {
    const Matrix t = MatrixTranslation(1, 2, 3) * MatrixYawPitchRoll(0.3f, 0.2f, 0.1f);
    const Matrix left = MatrixIdentity() * t, right = t * MatrixIdentity();
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            EXPECT_EQ(left.m[r][c], t.m[r][c]);
            EXPECT_EQ(right.m[r][c], t.m[r][c]);
        }
    }
    EXPECT_EQ(t.data(), &t.m[0][0]);
}

TEST(ColorFromArgb, ScalesEachChannelByOne255th) {
    const Vector4 a = ColorFromArgb(0xB29180);
    EXPECT_NEAR(a.r, 0.698f, 5e-4f);
    EXPECT_NEAR(a.g, 0.569f, 5e-4f);
    EXPECT_NEAR(a.b, 0.502f, 5e-4f);
    EXPECT_EQ(a.a, 0.0f);
    const Vector4 b = ColorFromArgb(0x7F774E);
    EXPECT_NEAR(b.r, 0.498f, 5e-4f);
    EXPECT_NEAR(b.g, 0.467f, 5e-4f);
    EXPECT_NEAR(b.b, 0.306f, 5e-4f);
    EXPECT_EQ(b.a, 0.0f);
    const Vector4 c = ColorFromArgb(0xFF010203);
    EXPECT_EQ(c.a, 255.0f * 0.003921569f);
    EXPECT_EQ(c.r, 1.0f * 0.003921569f);
    EXPECT_EQ(c.g, 2.0f * 0.003921569f);
    EXPECT_EQ(c.b, 3.0f * 0.003921569f);
    EXPECT_EQ(c.data()[3], c.a);
}

TEST(Lerp, InterpolatesEachComponent) {
    const Vector3 v = Lerp({0, 10, -4}, {2, 20, 4}, 0.25f);
    EXPECT_FLOAT_EQ(v.x, 0.5f);
    EXPECT_FLOAT_EQ(v.y, 12.5f);
    EXPECT_FLOAT_EQ(v.z, -2.0f);
    const Vector3 beyond = Lerp({1, 1, 1}, {2, 3, 4}, 2.0f);
    EXPECT_FLOAT_EQ(beyond.z, 7.0f);
}

}  // namespace
