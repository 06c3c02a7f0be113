// Names of the render states and sampler states a pass or sampler_state may set, and of their
// values (Direct3D 9 names, case-insensitive; plain integers are accepted as values too).
// Internal to platform/fx.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "platform/gfx/gfx.h"

namespace fx::detail {

// The render state (D3DRS_*) a pass assignment names, or nothing for an unsupported state.
std::optional<gfx::D3DRENDERSTATETYPE> RenderStateByName(std::string_view name);

// The value of a render state from its text (e.g. "InvSrcAlpha", "CCW", "true", "4", "Red").
std::optional<uint32_t> RenderStateValue(gfx::D3DRENDERSTATETYPE state, std::string_view text);

// States of the fixed-function pipeline (lighting, fog, materials, texture stages, transforms):
// without effect on shaders, so a pass may set them and they are ignored.
bool IsFixedFunctionState(std::string_view name);

enum class SamplerField {
    MinFilter,
    MagFilter,
    MipFilter,
    AddressU,
    AddressV,
    AddressW,
    Texture,
    BorderColor,
};
std::optional<SamplerField> SamplerFieldByName(std::string_view name);

// Texture filter (D3DTEXF_*: None 0, Point 1, Linear 2, Anisotropic 3) from its text.
std::optional<uint32_t> FilterValue(std::string_view text);

// Texture address mode (D3DTADDRESS_*: Wrap 1, Mirror 2, Clamp 3, Border 4, MirrorOnce 5).
std::optional<uint32_t> AddressValue(std::string_view text);

constexpr uint32_t kAddressWrap = 1;
constexpr uint32_t kAddressMirror = 2;
constexpr uint32_t kAddressClamp = 3;
constexpr uint32_t kAddressBorder = 4;
constexpr uint32_t kAddressMirrorOnce = 5;
constexpr uint32_t kFilterAnisotropic = 3;

}  // namespace fx::detail
