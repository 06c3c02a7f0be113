// The matrix and quaternion functions against GLM (configured for Direct3D's conventions) over many
// random inputs, and the scene builders against worked examples. (The vector overloads are the
// scenes' floor transform, checked there.)
#define GLM_FORCE_LEFT_HANDED
#define GLM_FORCE_DEPTH_ZERO_TO_ONE
#define GLM_ENABLE_EXPERIMENTAL
#include "scene_core/matrix.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
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

// Random inputs for one round of every comparison.
struct Inputs {
    explicit Inputs(std::mt19937& rng) {
        auto uniform = [&rng](float lo, float hi) {
            return std::uniform_real_distribution<float>(lo, hi)(rng);
        };
        for (float* angle : {&yaw, &pitch, &roll}) *angle = uniform(-7.0f, 7.0f);
        for (int c = 0; c < 4; ++c)
            for (int r = 0; r < 4; ++r) a[c][r] = uniform(-50, 50), b[c][r] = uniform(-50, 50);
        s = {uniform(-50, 50), uniform(-50, 50), uniform(-50, 50)};
        t = {uniform(-50, 50), uniform(-50, 50), uniform(-50, 50)};
        at = {uniform(-50, 50), uniform(-50, 50), uniform(-50, 50)};
        up = glm::normalize(glm::vec3(uniform(-50, 50), uniform(-50, 50), uniform(-50, 50)));
        std::normal_distribution<float> n;
        q = glm::normalize(glm::quat(n(rng), n(rng), n(rng), n(rng)));
        fov = uniform(0.1f, 3.0f);
        scale = uniform(0.1f, 20.0f), aspect = uniform(0.1f, 20.0f), zn = uniform(0.1f, 20.0f);
        zf = zn + uniform(0.1f, 20.0f) * 100.0f;
        w = uniform(10.0f, 2000.0f), h = uniform(10.0f, 2000.0f);
    }
    float yaw, pitch, roll, scale, fov, aspect, zn, zf, w, h;
    glm::mat4 a, b;
    glm::vec3 s, t, at, up;
    glm::quat q;
};

TEST(MatrixFunctions, MatchGlmOverRandomInputs) {
    const glm::mat4 one(1.0f);
    struct Case {
        const char* name;
        float tolerance;
        std::function<Matrix(const Inputs&)> ours;
        std::function<glm::mat4(const Inputs&)> theirs;
    };
    const Case cases[] = {
        // Row vectors: p x (A x B) = (p x A) x B; in column form that is (B x A) x p.
        {"product", 1e-5f, [](const Inputs& i) { return FromGlm(i.a) * FromGlm(i.b); },
         [](const Inputs& i) { return i.b * i.a; }},
        {"yaw pitch roll", 1e-5f,
         [](const Inputs& i) { return MatrixYawPitchRoll(i.yaw, i.pitch, i.roll); },
         [](const Inputs& i) { return glm::eulerAngleYXZ(i.yaw, i.pitch, i.roll); }},
        {"quaternion", 1e-5f,
         [](const Inputs& i) {
             return MatrixRotationQuaternion({i.q.x, i.q.y, i.q.z, i.q.w});
         },
         [](const Inputs& i) { return glm::mat4_cast(i.q); }},
        {"scaling", 0,
         [](const Inputs& i) {
             return MatrixScaling({i.s.x, i.s.y, i.s.z});
         },
         [one](const Inputs& i) { return glm::scale(one, i.s); }},
        {"translation", 0, [](const Inputs& i) { return MatrixTranslation(i.t.x, i.t.y, i.t.z); },
         [one](const Inputs& i) { return glm::translate(one, i.t); }},
        {"world", 1e-4f,
         [](const Inputs& i) {
             return MatrixWorld(i.t.x, i.t.y, i.t.z, i.yaw, i.pitch, i.roll, i.scale);
         },
         [one](const Inputs& i) {
             return glm::translate(one, i.t) * glm::scale(one, glm::vec3(i.scale)) *
                    glm::eulerAngleYXZ(i.yaw, i.pitch, i.roll);
         }},
        {"look at", 2e-4f,
         [](const Inputs& i) {
             return vmath::MatrixLookAtLH({i.t.x, i.t.y, i.t.z}, {i.at.x, i.at.y, i.at.z},
                                          {i.up.x, i.up.y, i.up.z});
         },
         [](const Inputs& i) { return glm::lookAtLH(i.t, i.at, i.up); }},
        {"perspective", 1e-5f,
         [](const Inputs& i) { return vmath::MatrixPerspectiveFovLH(i.fov, i.aspect, i.zn, i.zf); },
         [](const Inputs& i) { return glm::perspectiveLH_ZO(i.fov, i.aspect, i.zn, i.zf); }},
        {"ortho", 1e-5f, [](const Inputs& i) { return vmath::MatrixOrthoLH(i.w, i.h, i.zn, i.zf); },
         [](const Inputs& i) {
             return glm::orthoLH_ZO(-i.w / 2, i.w / 2, -i.h / 2, i.h / 2, i.zn, i.zf);
         }},
        {"screen ortho", 1e-6f, [](const Inputs&) { return MatrixOrtho(800, 450); },
         [](const Inputs&) {
             return glm::orthoLH_ZO(-400.0f, 400.0f, -225.0f, 225.0f, 0.0f, 100000.0f);
         }},
    };
    std::mt19937 rng(12345);
    for (int round = 0; round < 300; ++round) {
        const Inputs in(rng);
        for (const Case& c : cases) {
            const Matrix ours = c.ours(in);
            const glm::mat4 theirs = c.theirs(in);
            for (int r = 0; r < 4; ++r)
                for (int col = 0; col < 4; ++col) {
                    const float expected = theirs[r][col];
                    ASSERT_NEAR(ours.m[r][col], expected,
                                c.tolerance * std::max(1.0f, std::fabs(expected)))
                        << c.name << " [" << r << "][" << col << "] round " << round;
                }
        }
        // Points divide by w.
        const glm::vec3 p(in.s.x, in.s.y, std::fabs(in.t.z) + 1.0f);
        const glm::mat4 projection = glm::perspectiveLH_ZO(1.0f, 1.5f, 1.0f, 100.0f);
        const glm::vec4 clip = projection * glm::vec4(p, 1.0f);
        ExpectNearVector(TransformCoord({p.x, p.y, p.z}, FromGlm(projection)), clip.x / clip.w,
                         clip.y / clip.w, clip.z / clip.w, 1e-4f);
    }
}

TEST(QuaternionSlerp, MatchesGlmAlongTheShorterArc) {
    std::mt19937 rng(99);
    std::normal_distribution<float> n;
    for (int i = 0; i < 500; ++i) {
        const glm::quat a = glm::normalize(glm::quat(n(rng), n(rng), n(rng), n(rng)));
        // Every fourth pair nearly equal, to reach the linear branch.
        const glm::quat b = i % 4 == 0 ? glm::normalize(a + glm::quat(1e-4f, 0, 0, 0))
                                       : glm::normalize(glm::quat(n(rng), n(rng), n(rng), n(rng)));
        const float t = std::uniform_real_distribution<float>(0.0f, 1.0f)(rng);
        const glm::quat expected = glm::slerp(a, b, t);
        const Quaternion got =
            vmath::QuaternionSlerp({a.x, a.y, a.z, a.w}, {b.x, b.y, b.z, b.w}, t);
        const float error =
            std::max({std::fabs(got.x - expected.x), std::fabs(got.y - expected.y),
                      std::fabs(got.z - expected.z), std::fabs(got.w - expected.w)});
        ASSERT_LT(error, 1e-4f) << "round " << i;
    }
    // The ends are the inputs themselves (b negated when that is the shorter way).
    const Quaternion a{0, 0, 0, 1}, b{0, -0.6f, 0, -0.8f};
    const Quaternion end = vmath::QuaternionSlerp(a, b, 1.0f);
    EXPECT_NEAR(end.y, 0.6f, 1e-6f);
    EXPECT_NEAR(end.w, 0.8f, 1e-6f);
    EXPECT_NEAR(vmath::QuaternionSlerp(a, b, 0.0f).w, 1.0f, 1e-6f);
}

TEST(MatrixWorld, ScalesFirstAndTranslatesLast) {
    ExpectNearVector(TransformCoord({1, 0, 0}, MatrixWorld(5, 0, 0, 0, 0, 0, 10)), 15, 0, 0);
    // Yaw and roll of pi together turn the object upside down.
    const float pi = std::numbers::pi_v<float>;
    ExpectNearVector(TransformCoord({0, 1, 0}, MatrixWorld(0, -1, 3, pi, 0, pi, 1)), 0, -2, 3);
    // Roll turns about z before yaw turns about y: (1,0,0) rolls to (0,1,0), which yaw keeps.
    ExpectNearVector(TransformCoord({1, 0, 0}, MatrixYawPitchRoll(pi / 2, 0, pi / 2)), 0, 1, 0);
}

TEST(ColorFromArgb, ScalesEachChannelByOne255th) {
    const Vector4 a = ColorFromArgb(0xB29180);
    EXPECT_NEAR(a.r, 0.698f, 5e-4f);
    EXPECT_NEAR(a.g, 0.569f, 5e-4f);
    EXPECT_NEAR(a.b, 0.502f, 5e-4f);
    EXPECT_EQ(a.a, 0.0f);
    const Vector4 c = ColorFromArgb(0xFF010203);
    EXPECT_EQ(c.a, 255.0f * 0.003921569f);
    EXPECT_EQ(c.b, 3.0f * 0.003921569f);
}

TEST(Lerp, InterpolatesEachComponentAndExtrapolates) {
    const Vector3 v = Lerp({0, 10, -4}, {2, 20, 4}, 0.25f);
    ExpectNearVector(v, 0.5f, 12.5f, -2.0f);
    EXPECT_FLOAT_EQ(Lerp({1, 1, 1}, {2, 3, 4}, 2.0f).z, 7.0f);
}

}  // namespace
