// The six scene renderers. Each draws into sceneTarget (begun, cleared, drawn, ended) through the
// scene camera g_camera, which the frame loop sets just before; parts 1 and 4 orbit its eye first.
// Everything that moves is computed from the arguments: no state between frames, no allocation.
#pragma once

#include "scene_core/math_types.h"

void ScenePig(float seconds);                    // part 1: one pig (seconds unused)
void SceneReflection(float seconds);             // part 2: a mirrored row under a blended floor
void SceneParade(float seconds);                 // part 3: ten pigs marching along x, one giant pig
void SceneSwarm(float seconds, float fade);      // part 4: 200 pigs on noise paths over a backdrop
void SceneImage(const char* name, float alpha);  // parts 5 and 6: one full-target image

// Where the moving pigs are at a music time (world translation of their MatrixWorld).
constexpr int kParadePigCount = 10;
constexpr int kSwarmPigCount = 200;
float ParadePigX(int index, float seconds);
Vector3 SwarmPigPosition(int index, float seconds);

// ---- Shared by the renderers
// ----------------------------------------------------------------------
namespace scene_frame {
// sceneTarget.Begin(), then clear its colour to black (and its depth to 1 when clearDepth).
void Begin(bool clearDepth);
// sceneTarget.End().
void End();
// SetAlphaBlend(enable, D3DBLENDOP_ADD, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA).
void Blend(bool enable);
// The "texture" effect's pass 0 over backdropQuad, which fills the target under MatrixOrtho(800,
// 450).
void DrawBackdrop(const char* textureName, float alpha);
}  // namespace scene_frame
