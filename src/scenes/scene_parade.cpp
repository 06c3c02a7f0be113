// Part 3: ten pigs 3 units apart marching toward +x at one unit a second (leaving at 15, coming
// back at -15), and one pig ten times larger at the origin, all in fog.
#include "platform/gfx/gfx.h"
#include "scene_core/matrix.h"
#include "scene_core/noise.h"
#include "scene_core/render_state.h"
#include "scenes/pig.h"
#include "scenes/scenes.h"

namespace {
constexpr float kParadeFogEnd = 12.0f;
}

float ParadePigX(int index, float seconds) {
    return Wrap(static_cast<float>(3 * index) + seconds, 0.0f, 30.0f) - 15.0f;
}

void SceneParade(float seconds) {
    scene_frame::Begin(true);
    SetCullAndDepth(gfx::D3DCULL_CCW, true);
    scene_frame::Blend(false);
    for (int i = 0; i < kParadePigCount; ++i)
        DrawPigFog(MatrixWorld(ParadePigX(i, seconds), 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 1.0f),
                   kParadeFogEnd);
    DrawPigFog(MatrixWorld(0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 10.0f), kParadeFogEnd);
    scene_frame::End();
}
