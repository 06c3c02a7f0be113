#include "resources/texture_stack.h"

#include "display/device_globals.h"
#include "display/report_d3d_error.h"

TextureStack::~TextureStack() {
    Release();
}

void TextureStack::Release() {
    ReleaseAll([](gfx::Texture* texture) { texture->Release(); });
}

void TextureStack::Load(ParameterList list) {
    Walk(list, "Check Your Texture ParamenterList\n", "Error",
         [](const char* path, const char* name) -> gfx::Texture* {
             gfx::Texture* texture = nullptr;
             const gfx::HRESULT result = g_device != nullptr
                                             ? g_device->CreateTextureFromFile(path, &texture)
                                             : gfx::D3DERR_INVALIDCALL;
             if (gfx::Failed(result) || texture == nullptr) {
                 ReportD3DError(gfx::Failed(result) ? result : gfx::D3DERR_INVALIDCALL,
                                "TextureStack", name);
                 return nullptr;
             }
             return texture;
         });
}
