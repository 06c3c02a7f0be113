// Baked effects: what compiling an effect file gave (its description with GLSL ES 3.00 per stage,
// or the result and messages loading it fails with), written at build time by vessmark-fxbake and
// read back by the browser build, which carries no HLSL compiler. The reader takes any bytes:
// truncated, oversized or foreign files get a reason, never a crash. No OpenGL here. Internal to
// platform/fx.
//
// Layout (little-endian 32-bit words; strings as a length and bytes): "VMFXBAKE", version,
// result, messages; on success the warnings, parameters, textures, samplers, techniques with
// their passes, compiled stages, and for each pass its stages and samplers by index.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/fx/fx_effect_compiler.h"
#include "platform/gfx/gfx.h"

namespace fx::detail {

// A baked file sits beside its effect: "shaders/pig.fx" -> "shaders/pig.fx.baked".
constexpr std::string_view kBakedSuffix = ".baked";
// Larger files are refused before reading.
constexpr size_t kMaxBakedBytes = 16u << 20;

struct BakedEffect {
    gfx::HRESULT result = gfx::D3D_OK;
    std::string messages;   // why loading fails, when result is a failure
    CompiledEffect effect;  // the description, when result is a success
};

// The bytes of a baked file: the failure, or (result a success) the description of effect.
std::string WriteBakedEffect(gfx::HRESULT result, const std::string& messages,
                             const CompiledEffect* effect);

// False with a reason when bytes are not one whole baked file of this version.
bool ReadBakedEffect(std::string_view bytes, BakedEffect* out, std::string* reason);

}  // namespace fx::detail
