#include "display/device_globals.h"
#include "resources/effect_parameters.h"
#include "resources/static_resources.h"
#include "scene_core/matrix.h"
#include "scene_core/render_state.h"
#include "scenes/scenes.h"

namespace scene_frame {

void Begin(bool clearDepth) {
    sceneTarget.Begin();
    const uint32_t flags =
        clearDepth ? gfx::D3DCLEAR_TARGET | gfx::D3DCLEAR_ZBUFFER : gfx::D3DCLEAR_TARGET;
    g_device->Clear(0, nullptr, flags, 0x00000000, 1.0f, 0);
}

void End() {
    sceneTarget.End();
}

void Blend(bool enable) {
    SetAlphaBlend(enable, gfx::D3DBLENDOP_ADD, gfx::D3DBLEND_SRCALPHA, gfx::D3DBLEND_INVSRCALPHA);
}

void DrawBackdrop(const char* textureName, float alpha) {
    sceneEffects.SetCurrentRef("texture");
    SetMatrixParameter(sceneEffects, "matWorldViewProjection", MatrixOrtho(800.0f, 450.0f));
    if (gfx::Texture* texture = textures.Find(textureName))
        SetTextureParameter(sceneEffects, "tex0", texture);
    SetFloatParameter(sceneEffects, "alpha", alpha);
    sceneEffects.Begin(0, nullptr);
    backdropQuad.Draw();
    sceneEffects.End(nullptr);
}

}  // namespace scene_frame
