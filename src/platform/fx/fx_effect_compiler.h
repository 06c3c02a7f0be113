// From effect-file text to everything an effect needs except OpenGL objects: the pre-pass result,
// the GLSL of every pass (each entry point compiled once), the parameter table with initial values,
// and each pass's samplers. No OpenGL here. Internal to platform/fx.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/fx/fx_parameters.h"
#include "platform/fx/fx_prepass.h"
#include "platform/fx/fx_stage_compiler.h"

namespace fx::detail {

struct CompiledPass {
    const PassDecl* decl = nullptr;
    const CompiledStage* vertex = nullptr;  // generated when the pass has a pixel shader only
    const CompiledStage* pixel = nullptr;
    bool fixedFunctionVertex = false;
    // Samplers the pass reads, each bound to unit = its index here; indices into prepass.samplers.
    std::vector<int> samplers;
    std::vector<int> textures;  // parallel: the texture parameter each unit reads
};

struct CompiledEffect {
    PrepassResult prepass;
    std::vector<std::unique_ptr<CompiledStage>> stages;  // owned, shared by passes
    std::vector<std::vector<CompiledPass>> techniques;   // parallel to prepass.techniques
    ParameterTable parameters;
    std::vector<std::string> warnings;
    int TextureIndex(std::string_view name) const;
};

// False with located errors when anything is wrong; *out is then partly filled.
bool CompileEffectSource(std::string_view path, std::string_view text,
                         const AttributeLocator& locate, CompiledEffect* out,
                         std::vector<Diagnostic>* errors);

}  // namespace fx::detail
