#include "scene_core/camera.h"

#include <gtest/gtest.h>

#include "scene_core/matrix.h"

namespace {

TEST(Camera, StartsLookingDownTheNegativeUpAxisWithFixedPlanes) {
    const Camera camera;
    EXPECT_EQ(camera.up.x, 0.0f);
    EXPECT_EQ(camera.up.y, -1.0f);
    EXPECT_EQ(camera.up.z, 0.0f);
    EXPECT_EQ(camera.eye.x + camera.eye.y + camera.eye.z, 0.0f);
    EXPECT_EQ(camera.target.x + camera.target.y + camera.target.z, 0.0f);
    EXPECT_EQ(camera.zNear, 1.0f);
    EXPECT_EQ(camera.zFar, 10000.0f);
    EXPECT_FLOAT_EQ(camera.aspect, 1.7777778f);
    EXPECT_EQ(g_camera.up.y, -1.0f);
    EXPECT_EQ(g_camera.fov, 0.0f);
}

TEST(Camera, SetChangesOnlyEyeTargetAndFov) {
    Camera camera;
    camera.Set(1, 2, 3, 4, 5, 6, 0.8f);
    EXPECT_EQ(camera.eye.x, 1.0f);
    EXPECT_EQ(camera.eye.y, 2.0f);
    EXPECT_EQ(camera.eye.z, 3.0f);
    EXPECT_EQ(camera.target.x, 4.0f);
    EXPECT_EQ(camera.target.y, 5.0f);
    EXPECT_EQ(camera.target.z, 6.0f);
    EXPECT_EQ(camera.fov, 0.8f);
    EXPECT_EQ(camera.up.y, -1.0f);
    EXPECT_EQ(camera.zNear, 1.0f);
    EXPECT_EQ(camera.zFar, 10000.0f);
    EXPECT_FLOAT_EQ(camera.aspect, 16.0f / 9.0f);
}

TEST(Camera, ViewProjectionPutsTheTargetInTheCentreAndFollowsEverySet) {
    Camera camera;
    camera.Set(10, 20, -30, 10, 20, 70, 1.0f);
    // Straight ahead at distance 100: centre of the picture; the eye is the view's origin.
    const Vector3 inView = TransformCoord({10, 20, 70}, camera.View());
    EXPECT_NEAR(inView.x, 0.0f, 1e-4f);
    EXPECT_NEAR(inView.y, 0.0f, 1e-4f);
    EXPECT_NEAR(inView.z, 100.0f, 1e-3f);
    const Vector3 clip = TransformCoord({10, 20, 70}, camera.ViewProjection());
    EXPECT_NEAR(clip.x, 0.0f, 1e-5f);
    EXPECT_NEAR(clip.y, 0.0f, 1e-5f);
    EXPECT_GT(clip.z, 0.0f);
    EXPECT_LT(clip.z, 1.0f);
    // Near plane at depth 0, far plane at depth 1.
    EXPECT_NEAR(TransformCoord({10, 20, -29}, camera.ViewProjection()).z, 0.0f, 1e-5f);
    EXPECT_NEAR(TransformCoord({10, 20, 9970}, camera.ViewProjection()).z, 1.0f, 1e-4f);
    // Up is (0, -1, 0): a point above the eye in world y lands in the lower half of the picture.
    EXPECT_LT(TransformCoord({10, 30, 70}, camera.ViewProjection()).y, 0.0f);

    const Matrix product = camera.View() * camera.Projection();
    const Matrix combined = camera.ViewProjection();
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) EXPECT_EQ(combined.m[r][c], product.m[r][c]);

    camera.Set(0, 0, 0, 100, 0, 0, 1.0f);  // now looking along +x
    EXPECT_NEAR(TransformCoord({100, 0, 0}, camera.ViewProjection()).x, 0.0f, 1e-5f);
}

}  // namespace
