// Parts 5 and 6: one image over the whole target, its "alpha" following "0_flash". Only the colour
// is cleared.
#include "platform/gfx/gfx.h"
#include "scene_core/render_state.h"
#include "scenes/scenes.h"

void SceneImage(const char* name, float alpha) {
    scene_frame::Begin(false);
    SetCullAndDepth(gfx::D3DCULL_NONE, false);
    scene_frame::Blend(true);
    scene_frame::DrawBackdrop(name, alpha);
    scene_frame::End();
}
