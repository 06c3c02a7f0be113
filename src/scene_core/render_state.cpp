#include "scene_core/render_state.h"

#include "display/device_globals.h"

void SetCullAndDepth(uint32_t cullMode, bool depthEnable) {
    if (g_device == nullptr) return;
    g_device->SetRenderState(gfx::D3DRS_CULLMODE, cullMode);
    g_device->SetRenderState(gfx::D3DRS_ZENABLE, depthEnable ? 1u : 0u);
}

void SetAlphaBlend(bool enable, uint32_t blendOp, uint32_t srcBlend, uint32_t destBlend) {
    if (g_device == nullptr) return;
    g_device->SetRenderState(gfx::D3DRS_ALPHABLENDENABLE, enable ? 1u : 0u);
    if (!enable) return;
    g_device->SetRenderState(gfx::D3DRS_BLENDOP, blendOp);
    g_device->SetRenderState(gfx::D3DRS_SRCBLEND, srcBlend);
    g_device->SetRenderState(gfx::D3DRS_DESTBLEND, destBlend);
}
