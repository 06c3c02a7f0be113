#include "scene_core/camera.h"

#include <gtest/gtest.h>

#include <tuple>

#include "scene_core/matrix.h"

namespace {

TEST(Camera, LooksAtTheTargetWithUpDownAndDepthFromOneTo10000) {
    Camera camera;
    camera.Set(10, 20, -30, 10, 20, 70, 1.5707964f);
    EXPECT_EQ(std::tuple(camera.up.y, camera.zNear, camera.zFar, camera.aspect),
              std::tuple(-1.0f, 1.0f, 10000.0f, 16.0f / 9.0f));
    const Matrix vp = camera.ViewProjection();
    const Vector3 centre = TransformCoord({10, 20, 70}, vp);
    EXPECT_NEAR(centre.x, 0.0f, 1e-5f);
    EXPECT_NEAR(centre.y, 0.0f, 1e-5f);
    EXPECT_NEAR(TransformCoord({10, 20, -29}, vp).z, 0.0f, 1e-5f);
    EXPECT_NEAR(TransformCoord({10, 20, 9970}, vp).z, 1.0f, 1e-4f);
    // 90 degrees: the edges at 45 degrees, 16/9 times wider across; up points down, so world +y
    // is the bottom of the picture and world +x its left.
    EXPECT_NEAR(TransformCoord({10, 30, -20}, vp).y, -1.0f, 1e-5f);
    EXPECT_NEAR(TransformCoord({10 + 16.0f / 9.0f, 20, -29}, vp).x, -1.0f, 1e-5f);
    EXPECT_EQ(g_camera.up.y, -1.0f);
}

}  // namespace
