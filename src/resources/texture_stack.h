// TextureStack: the registry of textures loaded from image files (JPEG, PNG) on g_device.
#pragma once

#include "platform/gfx/gfx.h"
#include "resources/registry.h"

class TextureStack : public Registry<gfx::Texture> {
  public:
    TextureStack() = default;
    ~TextureStack();

    // Loads each image; stops at the first failure, reported with ReportD3DError under the caption
    // "TextureStack" and the entry's name.
    void Load(ParameterList list);
    // Drops one reference on every texture; run at exit by the destructor.
    void Release();
};
