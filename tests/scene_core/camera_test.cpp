#include "scene_core/camera.h"

#include <gtest/gtest.h>

#include "scene_core/matrix.h"

namespace {

TEST(Camera, SetChangesOnlyEyeTargetAndFovOfTheFixedUpAndPlanes) {
    Camera camera;
    EXPECT_EQ(camera.fov, 0.0f);
    camera.Set(1, 2, 3, 4, 5, 6, 0.8f);
    const float got[] = {camera.eye.x,    camera.eye.y,    camera.eye.z, camera.target.x,
                         camera.target.y, camera.target.z, camera.fov,   camera.up.x,
                         camera.up.y,     camera.up.z,     camera.zNear, camera.zFar};
    const float expected[] = {1, 2, 3, 4, 5, 6, 0.8f, 0, -1, 0, 1, 10000};
    for (int i = 0; i < 12; ++i) EXPECT_EQ(got[i], expected[i]) << i;
    EXPECT_EQ(camera.aspect, 16.0f / 9.0f);
    EXPECT_EQ(g_camera.up.y, -1.0f);
}

TEST(Camera, ViewProjectionPutsTheTargetInTheCentreBetweenTheDepthPlanes) {
    Camera camera;
    camera.Set(10, 20, -30, 10, 20, 70, 1.0f);
    const Vector3 inView = TransformCoord({10, 20, 70}, camera.View());
    EXPECT_NEAR(inView.x, 0.0f, 1e-4f);
    EXPECT_NEAR(inView.y, 0.0f, 1e-4f);
    EXPECT_NEAR(inView.z, 100.0f, 1e-3f);
    const Matrix vp = camera.ViewProjection();
    const Vector3 clip = TransformCoord({10, 20, 70}, vp);
    EXPECT_NEAR(clip.x, 0.0f, 1e-5f);
    EXPECT_NEAR(clip.y, 0.0f, 1e-5f);
    // Near plane at depth 0, far plane at depth 1.
    EXPECT_NEAR(TransformCoord({10, 20, -29}, vp).z, 0.0f, 1e-5f);
    EXPECT_NEAR(TransformCoord({10, 20, 9970}, vp).z, 1.0f, 1e-4f);
    // Up is (0, -1, 0): a point above the eye in world y lands in the lower half of the picture.
    EXPECT_LT(TransformCoord({10, 30, 70}, vp).y, 0.0f);
    // A field of 90 degrees puts the edges at 45 degrees, 16/9 times wider across (and world +x
    // on the left, as up points down).
    camera.Set(0, 0, 0, 0, 0, 1, 1.5707964f);
    EXPECT_NEAR(TransformCoord({0, -1, 1}, camera.ViewProjection()).y, 1.0f, 1e-5f);
    EXPECT_NEAR(TransformCoord({16.0f / 9.0f, 0, 1}, camera.ViewProjection()).x, -1.0f, 1e-5f);
}

}  // namespace
