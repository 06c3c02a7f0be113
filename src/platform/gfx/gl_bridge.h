// What the effect layer needs to know about the OpenGL device, and nothing more.
// Vertex inputs meet shader inputs at fixed attribute locations chosen by semantic, so vertex
// declarations and programs never negotiate at draw time.
#pragma once

#include <cstdint>

#include "platform/gfx/gfx.h"

namespace gfx::gl {

constexpr int kMaxAttributes = 16;

// Attribute location for a declaration usage (D3DDECLUSAGE_*) and usage index, or -1 when the
// semantic has no location. POSITION0 0, BLENDWEIGHT0 1, NORMAL0 2, COLOR0 3, TANGENT0 4,
// BINORMAL0 5, TEXCOORDn 6 + n (n < 8).
int AttributeLocation(uint8_t usage, uint8_t usageIndex);

// The OpenGL texture object behind a texture of the OpenGL device; 0 for null or foreign textures.
unsigned TextureName(Texture* texture);
// Its target: GL_TEXTURE_2D, GL_TEXTURE_CUBE_MAP or GL_TEXTURE_3D; 0 for null or foreign textures.
unsigned TextureTarget(Texture* texture);

// True when the device is the OpenGL device (its context is current on this thread).
bool IsGlDevice(Device* device);
// True when it is the OpenGL device on an OpenGL ES 3.0 context (the browser's flavour): its
// shaders are GLSL ES 3.00 and turn y over and remap depth themselves.
bool IsEsDevice(Device* device);

}  // namespace gfx::gl
