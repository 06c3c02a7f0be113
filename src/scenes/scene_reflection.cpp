// Part 2: ten pigs upside down one unit below a floor drawn with alpha blending, and the upright
// row above it; the camera is used as the frame loop set it.
#include "platform/gfx/gfx.h"
#include "resources/effect_parameters.h"
#include "resources/static_resources.h"
#include "scene_core/camera.h"
#include "scene_core/matrix.h"
#include "scene_core/render_state.h"
#include "scenes/pig.h"
#include "scenes/scenes.h"

namespace {

constexpr float kPi = 3.1415927f;
constexpr float kHalfPi = 1.5707964f;

// Along z from -15 to 12 in steps of 3.
float RowZ(int i) {
    return static_cast<float>(3 * i) - 15.0f;
}

}  // namespace

void SceneReflection(float /*seconds*/) {
    scene_frame::Begin(true);
    SetCullAndDepth(gfx::D3DCULL_CCW, true);
    scene_frame::Blend(false);
    // Yaw pi with roll pi maps (x, y, z) to (x, -y, -z): the mirrored row.
    for (int i = 0; i < 10; ++i) DrawPig(MatrixWorld(0.0f, -1.0f, RowZ(i), kPi, 0.0f, kPi, 1.0f));

    // The floor quad laid flat in the plane y = 0: (x, y, 1) -> (1.5x, 0, -1.5y).
    const Matrix floorWorld =
        MatrixWorld(Vector3{0.0f, -1.5f, 0.0f}, Vector3{0.0f, -kHalfPi, 0.0f}, 1.5f);
    scene_frame::Blend(true);
    sceneEffects.SetCurrentRef("floor");
    SetMatrixParameter(sceneEffects, "matWorldViewProjection",
                       floorWorld * g_camera.ViewProjection());
    sceneEffects.Begin(0, nullptr);
    floorQuad.Draw();
    sceneEffects.End(nullptr);
    scene_frame::Blend(false);

    for (int i = 0; i < 10; ++i) DrawPig(MatrixWorld(0.0f, 0.0f, RowZ(i), 0.0f, 0.0f, 0.0f, 1.0f));
    scene_frame::End();
}
