// The fixed-function vertex stage of a pass that has a pixel shader only (post-processing,
// sprites): positions transformed by the device's world, view and projection, texture coordinates
// and colours passed through from the vertex declaration. Generated as GLSL for the pixel shader it
// feeds. Internal to platform/fx.
#pragma once

#include <string>

#include "platform/fx/fx_stage_compiler.h"

namespace fx::detail {

// The uniform the generated stage transforms positions by: world * view * projection, Direct3D
// layout, uploaded untransposed.
constexpr const char* kFixedFunctionMatrix = "fxWorldViewProjection";

// False with *problem when the pixel shader reads something the fixed-function stage does not
// give (a NORMAL, say, or an array).
bool FixedFunctionVertexStage(const CompiledStage& pixel, const AttributeLocator& locate,
                              GlslFlavour flavour, CompiledStage* out, std::string* problem);

}  // namespace fx::detail
