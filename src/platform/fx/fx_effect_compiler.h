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
    const CompiledStage* vertex = nullptr;
    const CompiledStage* pixel = nullptr;
    // Samplers the pass reads, each bound to unit = its index here; indices into prepass.samplers.
    std::vector<int> samplers;
};

struct CompiledEffect {
    PrepassResult prepass;
    std::vector<std::unique_ptr<CompiledStage>> stages;  // owned, shared by passes
    std::vector<std::vector<CompiledPass>> techniques;   // parallel to prepass.techniques
    ParameterTable parameters;
    std::vector<std::string> warnings;
    // The index of the texture parameter called name, or -1.
    int TextureIndex(std::string_view name) const {
        for (size_t i = 0; i < prepass.textures.size(); ++i)
            if (prepass.textures[i].name == name) return static_cast<int>(i);
        return -1;
    }
};

// False with located errors when anything is wrong; *out is then partly filled.
bool CompileEffectSource(std::string_view path, std::string_view text,
                         const AttributeLocator& locate, CompiledEffect* out,
                         std::vector<Diagnostic>* errors,
                         GlslFlavour flavour = GlslFlavour::Desktop);

}  // namespace fx::detail
