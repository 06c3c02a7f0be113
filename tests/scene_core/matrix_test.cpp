// The matrix functions against GLM (configured for Direct3D's conventions) over many random inputs
// (the rotation keys' slerp: the key track tests), and the colour conversion.
#define GLM_FORCE_LEFT_HANDED
#define GLM_FORCE_DEPTH_ZERO_TO_ONE
#define GLM_ENABLE_EXPERIMENTAL
#include "scene_core/matrix.h"

#include <gtest/gtest.h>

#include <cmath>
#include <glm/glm.hpp>
#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/quaternion.hpp>
#include <glm/gtx/euler_angles.hpp>
#include <random>
#include <tuple>

#include "platform/math/vector_math.h"

namespace {

// Direct3D's row-vector matrix has the memory layout of GLM's column-vector matrix of the same
// transform: m[row][column] of the one is [column][row] of the other. (Products, scaling and
// translation are checked through the world matrix.)
TEST(MatrixFunctions, MatchGlmOverRandomInputs) {
    std::mt19937 rng(12345);
    auto u = [&rng](float lo, float hi) {
        return std::uniform_real_distribution<float>(lo, hi)(rng);
    };
    auto v = [&u] { return glm::vec3(u(-50, 50), u(-50, 50), u(-50, 50)); };
    const glm::mat4 one(1.0f);
    for (int round = 0; round < 300; ++round) {
        const float yaw = u(-7, 7), pitch = u(-7, 7), roll = u(-7, 7), scale = u(0.1f, 20);
        const float fov = u(0.1f, 3), aspect = u(0.1f, 20), zn = u(0.1f, 20);
        const float zf = zn + u(0.1f, 20) * 100, w = u(10, 2000), h = u(10, 2000);
        const glm::vec3 t = v(), at = v(), up = glm::normalize(v());
        const glm::quat q = glm::normalize(glm::quat(u(-1, 1), u(-1, 1), u(-1, 1), u(-1, 1)));
        const struct {
            const char* name;
            float tolerance;
            Matrix ours;
            glm::mat4 theirs;
        } cases[] = {
            {"yaw pitch roll", 1e-5f, MatrixYawPitchRoll(yaw, pitch, roll),
             glm::eulerAngleYXZ(yaw, pitch, roll)},
            {"quaternion", 1e-5f, MatrixRotationQuaternion({q.x, q.y, q.z, q.w}),
             glm::mat4_cast(q)},
            {"world", 1e-4f, MatrixWorld(t.x, t.y, t.z, yaw, pitch, roll, scale),
             glm::translate(one, t) * glm::scale(one, glm::vec3(scale)) *
                 glm::eulerAngleYXZ(yaw, pitch, roll)},
            {"look at", 2e-4f,
             vmath::MatrixLookAtLH({t.x, t.y, t.z}, {at.x, at.y, at.z}, {up.x, up.y, up.z}),
             glm::lookAtLH(t, at, up)},
            {"perspective", 1e-5f, vmath::MatrixPerspectiveFovLH(fov, aspect, zn, zf),
             glm::perspectiveLH_ZO(fov, aspect, zn, zf)},
            {"ortho", 1e-5f, vmath::MatrixOrthoLH(w, h, zn, zf),
             glm::orthoLH_ZO(-w / 2, w / 2, -h / 2, h / 2, zn, zf)},
            {"screen ortho", 1e-6f, MatrixOrtho(800, 450),
             glm::orthoLH_ZO(-400.0f, 400.0f, -225.0f, 225.0f, 0.0f, 100000.0f)},
        };
        for (const auto& c : cases)
            for (int i = 0; i < 16; ++i) {
                const float expected = c.theirs[i / 4][i % 4];
                ASSERT_NEAR(c.ours.m[i / 4][i % 4], expected,
                            c.tolerance * std::max(1.0f, std::fabs(expected)))
                    << c.name << " element " << i << " round " << round;
            }
    }
}

TEST(ColorFromArgb, ScalesEachChannelByOne255th) {
    const Vector4 c = ColorFromArgb(0xFF010203);
    constexpr float k = 0.003921569f;
    EXPECT_EQ(std::tuple(c.r, c.g, c.b, c.a), std::tuple(1.0f * k, 2.0f * k, 3.0f * k, 255.0f * k));
}

}  // namespace
