// Pieces shared by the filters: the projection every pass uses, the back-buffer prologue and
// epilogue of a final filter, and the quad a pass draws.
#pragma once

#include "resources/mesh.h"
#include "scene_core/math_types.h"

namespace filter_passes {

// MatrixOrtho(screenWidth, screenHeight): one unit per screen pixel.
Matrix ScreenProjection();

// BeginScene, clear the back buffer to black, blending off, no culling, no depth test.
void FinalPrologue();
// The border line, then EndScene.
void FinalEpilogue();

// renderQuad on the back buffer, screenQuad inside a render texture.
const Mesh& PassQuad(bool final);

// No blending, no culling, no depth test: the states every filter draws with.
void SetFilterStates();

}  // namespace filter_passes
