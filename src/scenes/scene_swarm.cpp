// Part 4: a faint backdrop, then 200 large pigs flying from x = 200 toward x = -200 at 7 units a
// second (jumping back by 400), their y and z on two independent noise curves of amplitude 60. The
// fog distance follows "0_fade".
#include "platform/gfx/gfx.h"
#include "scene_core/matrix.h"
#include "scene_core/noise.h"
#include "scene_core/render_state.h"
#include "scenes/orbit_camera.h"
#include "scenes/pig.h"
#include "scenes/scenes.h"

namespace {
constexpr float kBackdropAlpha = 0.4f;
constexpr float kNoiseWavelength = 10.1f;
constexpr float kAmplitude = 60.0f;
}  // namespace

Vector3 SwarmPigPosition(int index, float seconds) {
    const float i = static_cast<float>(index);
    const float a = i * 0.9f + seconds * 9.0f;
    const float w = Wrap(i * 1.5f + seconds * 7.0f, 0.0f, 400.0f);
    return Vector3{(400.0f - w) - 200.0f, Noise1D(a, kNoiseWavelength, 1) * kAmplitude,
                   Noise1D(a, kNoiseWavelength, 43) * kAmplitude};
}

void SceneSwarm(float seconds, float fade) {
    scene_frame::Begin(true);
    OrbitCamera();
    SetCullAndDepth(gfx::D3DCULL_NONE, false);
    scene_frame::Blend(true);
    scene_frame::DrawBackdrop("bg", kBackdropAlpha);
    SetCullAndDepth(gfx::D3DCULL_CCW, true);
    scene_frame::Blend(false);
    const float fogEnd = fade * 200.0f;
    for (int i = 0; i < kSwarmPigCount; ++i) {
        const Vector3 p = SwarmPigPosition(i, seconds);
        DrawPigFog(MatrixWorld(p.x, p.y, p.z, 0.0f, 0.0f, 0.0f, 10.0f), fogEnd);
    }
    scene_frame::End();
}
