// The two render-state helpers every scene and filter calls before drawing; they act on g_device
// (nothing happens while there is no device) and never restore a previous state.
#pragma once

#include <cstdint>

// D3DRS_CULLMODE := cullMode, then D3DRS_ZENABLE := depthEnable ? 1 : 0.
void SetCullAndDepth(uint32_t cullMode, bool depthEnable);
// D3DRS_ALPHABLENDENABLE := enable; only when enabling also D3DRS_BLENDOP, D3DRS_SRCBLEND and
// D3DRS_DESTBLEND, in that order.
void SetAlphaBlend(bool enable, uint32_t blendOp, uint32_t srcBlend, uint32_t destBlend);
