// Part 1: one pig at the origin, seen from the orbited eye.
#include "platform/gfx/gfx.h"
#include "scene_core/matrix.h"
#include "scene_core/render_state.h"
#include "scenes/orbit_camera.h"
#include "scenes/pig.h"
#include "scenes/scenes.h"

void ScenePig(float /*seconds*/) {
    scene_frame::Begin(true);
    OrbitCamera();
    SetCullAndDepth(gfx::D3DCULL_CCW, true);
    scene_frame::Blend(false);
    DrawPig(MatrixIdentity());
    scene_frame::End();
}
