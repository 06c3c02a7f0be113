// DTexture: a fixed-size dynamic texture with its level-0 surface and a depth surface of its own.
#pragma once

#include <cstdint>

#include "platform/gfx/gfx.h"

class DTexture {
  public:
    DTexture() = default;
    DTexture(const DTexture&) = delete;
    DTexture& operator=(const DTexture&) = delete;
    ~DTexture() { Release(); }

    // False after a box captioned "DTexture"; what was created so far is kept until Release.
    bool Create(uint32_t width, uint32_t height, gfx::D3DFORMAT format);
    // Releases texture, surface, depth (each if held).
    void Release();

    gfx::Texture* texture = nullptr;
    gfx::Surface* surface = nullptr;
    gfx::Surface* depth = nullptr;
    uint32_t width = 0;  // set only by a successful Create
    uint32_t height = 0;
};
