// Effect files on disk: the text of a .fx file, or the baked file made from it, each read with the
// same refusals (missing, not a regular file, too large, damaged) and the same located messages.
// No OpenGL and no compiler here. Internal to platform/fx.
#pragma once

#include <string>
#include <vector>

#include "platform/fx/fx_effect_compiler.h"
#include "platform/gfx/gfx.h"

namespace fx::detail {

// The text of the effect file at path; a failing result with the reason at (1,1) otherwise
// (E_FAIL: missing or unreadable, D3DXERR_INVALIDDATA: too large or not text).
gfx::HRESULT ReadEffectText(const std::string& path, std::string* text,
                            std::vector<Diagnostic>* errors);

// The description baked for the effect at path (read from path + ".baked"), or the failure and
// messages the bake recorded, in *log. A missing baked file reads as a missing effect; a damaged
// one is D3DXERR_INVALIDDATA.
gfx::HRESULT LoadBakedEffect(const std::string& path, CompiledEffect* out, std::string* log);

}  // namespace fx::detail
