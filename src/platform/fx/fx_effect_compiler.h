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
#include "platform/gfx/gfx.h"

namespace fx::detail {

struct CompiledPass {
    const PassDecl* decl = nullptr;
    const CompiledStage* vertex = nullptr;  // generated when the pass has a pixel shader only
    const CompiledStage* pixel = nullptr;
    bool fixedFunctionVertex = false;
    // Samplers the pass reads, each bound to unit = its index here; indices into prepass.samplers.
    std::vector<int> samplers;
    std::vector<int> textures;  // parallel: the texture parameter each unit reads, or -1
    // Parallel: the device texture stage a unit reads when it has no texture parameter (a
    // sampler declared with register(sN) and no texture), or -1.
    std::vector<int> deviceStages;
};

struct CompiledEffect {
    PrepassResult prepass;
    std::vector<std::unique_ptr<CompiledStage>> stages;  // owned, shared by passes
    std::vector<std::vector<CompiledPass>> techniques;   // parallel to prepass.techniques
    ParameterTable parameters;
    std::vector<std::string> warnings;
    SourceMap sources;  // the compiled text's lines back to the files (empty when baked)
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

// Reads the effect file at path with its includes and compiles it. A failing result with *log
// holding every message, each at the file and line it names, when anything is wrong.
gfx::HRESULT CompileEffectFile(const std::string& path, GlslFlavour flavour, CompiledEffect* out,
                               std::string* log);

}  // namespace fx::detail
