// Direct3D render-state values and their OpenGL counterparts. Internal to platform/gfx.
#pragma once

#include <cstdint>

namespace gfx::gl {

// False for values the device cannot apply (unknown compare functions, blend factors, ...).
bool IsValidRenderState(uint32_t state, uint32_t value);

unsigned GlCompareFunc(uint32_t d3dCmp);
unsigned GlBlendFactor(uint32_t d3dBlend);
unsigned GlBlendOp(uint32_t d3dBlendOp);
unsigned GlStencilOp(uint32_t d3dStencilOp);

// The front face that makes GL_BACK culling drop what the cull mode drops: D3DCULL_CCW removes
// triangles that appear counter-clockwise on screen, D3DCULL_CW clockwise ones. yFlippedInShader:
// the vertex stage turns the picture over (ES, no clip control).
unsigned GlFrontFaceFor(uint32_t d3dCull, bool yFlippedInShader);

}  // namespace gfx::gl
