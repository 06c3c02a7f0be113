// RenderTexture: an off-screen colour texture with its own depth surface and, when multisampled, a
// multisampled colour surface resolved into the texture at End.
//   Create/CreateSized once; then per frame Begin(); clear and draw; End(); Release at exit.
// Begin saves the device's render target and depth surface, End puts them back (same objects, same
// reference counts). Every failure shows a box captioned "RenderTexture" and empties the record.
#pragma once

#include <cstdint>

#include "platform/gfx/gfx.h"

class RenderTexture {
  public:
    RenderTexture() = default;
    RenderTexture(const RenderTexture&) = delete;
    RenderTexture& operator=(const RenderTexture&) = delete;
    ~RenderTexture() { Release(); }

    // Size = render area x scale, truncated toward zero.
    void Create(float scaleX, float scaleY, bool multisampled, gfx::D3DFORMAT format);
    void CreateSized(int32_t width, int32_t height, bool multisampled, gfx::D3DFORMAT format);
    void Begin();
    void End();
    // Releases msTarget, texture, depth, surface, savedTarget, savedDepth (each if held); keeps the
    // size and the multisampled flag.
    void Release();

    int32_t width = 512;
    int32_t height = 512;
    bool multisampled = false;
    gfx::Texture* texture = nullptr;  // bind this to read the result
    gfx::Surface* surface = nullptr;  // level 0 of texture
    gfx::Surface* depth = nullptr;
    gfx::Surface* msTarget = nullptr;
    gfx::Surface* savedDepth = nullptr;   // held from Begin to End
    gfx::Surface* savedTarget = nullptr;  // held from Begin to End
};
