#include "platform/fx/fx_effect_compiler.h"

#include <algorithm>
#include <map>

#include "platform/fx/fx_effect_file.h"
#include "platform/fx/fx_fixed_function.h"
#include "platform/fx/fx_include.h"
#include "platform/gfx/gl_bridge.h"

namespace fx::detail {
namespace {

// The index of the declaration called name, or -1.
template <class Decl>
int IndexOfName(const std::vector<Decl>& decls, std::string_view name) {
    for (size_t i = 0; i < decls.size(); ++i) {
        if (decls[i].name == name) return static_cast<int>(i);
    }
    return -1;
}

template <class T>
bool Contains(const std::vector<T>& items, const T& item) {
    return std::find(items.begin(), items.end(), item) != items.end();
}

}  // namespace

bool CompileEffectSource(std::string_view path, std::string_view text,
                         const AttributeLocator& locate, CompiledEffect* out,
                         std::vector<Diagnostic>* errors, GlslFlavour flavour) {
    out->prepass = RunPrepass(text);
    const PrepassResult& p = out->prepass;
    if (!p.errors.empty()) {
        errors->insert(errors->end(), p.errors.begin(), p.errors.end());
        return false;
    }
    size_t before = errors->size();

    // The texture parameter names vanish in compilation: samplers must name theirs.
    for (const SamplerDecl& s : p.samplers) {
        if (!s.texture.empty() && out->TextureIndex(s.texture) < 0) {
            errors->push_back({s.at, "sampler '" + s.name + "' names '" + s.texture +
                                         "', which is not a texture parameter"});
        }
    }

    std::map<std::pair<Stage, std::string>, const CompiledStage*> cache;
    auto compile = [&](Stage stage, const std::string& entry,
                       SourceLocation at) -> const CompiledStage* {
        auto key = std::make_pair(stage, entry);
        if (auto it = cache.find(key); it != cache.end()) return it->second;
        cache[key] = nullptr;
        if (!p.HasFunction(entry)) {
            errors->push_back({at, "entry point '" + entry + "' not found"});
            return nullptr;
        }
        auto compiled = std::make_unique<CompiledStage>();
        const size_t errorsBefore = errors->size();
        if (!CompileStage(stage, path, p.hlsl, entry, locate, at, compiled.get(), errors,
                          flavour)) {
            // Errors in a generated entry point belong to its compile statement.
            for (size_t i = errorsBefore; i < errors->size(); ++i) {
                if (p.generatedFromLine > 0 && (*errors)[i].at.line >= p.generatedFromLine)
                    (*errors)[i].at = at;
            }
            return nullptr;
        }
        for (const std::string& w : compiled->warnings) out->warnings.push_back(w);
        out->stages.push_back(std::move(compiled));
        return cache[key] = out->stages.back().get();
    };

    // The fixed-function vertex stage, one per pixel shader it feeds.
    std::map<const CompiledStage*, const CompiledStage*> fixedFunction;
    auto fixedFunctionFor = [&](const CompiledStage* pixel,
                                const PassDecl& pass) -> const CompiledStage* {
        if (!pixel) return nullptr;
        if (auto it = fixedFunction.find(pixel); it != fixedFunction.end()) return it->second;
        auto stage = std::make_unique<CompiledStage>();
        std::string problem;
        if (!FixedFunctionVertexStage(*pixel, locate, flavour, stage.get(), &problem)) {
            errors->push_back({pass.pixelAt, problem});
            return fixedFunction[pixel] = nullptr;
        }
        out->stages.push_back(std::move(stage));
        return fixedFunction[pixel] = out->stages.back().get();
    };

    const CompiledStage* layoutSource = nullptr;
    for (const TechniqueDecl& technique : p.techniques) {
        std::vector<CompiledPass> passes;
        for (const PassDecl& pass : technique.passes) {
            CompiledPass cp;
            cp.decl = &pass;
            cp.fixedFunctionVertex = pass.vertexEntry.empty();
            if (!cp.fixedFunctionVertex)
                cp.vertex = compile(Stage::Vertex, pass.vertexEntry, pass.vertexAt);
            cp.pixel = compile(Stage::Pixel, pass.pixelEntry, pass.pixelAt);
            if (cp.fixedFunctionVertex) cp.vertex = fixedFunctionFor(cp.pixel, pass);
            for (const CompiledStage* stage : {cp.vertex, cp.pixel}) {
                if (!stage) continue;
                if (!stage->block.empty()) {
                    if (!layoutSource) {
                        layoutSource = stage;
                    } else if (stage->block != layoutSource->block) {
                        // Stages share one buffer; a different layout would read wrong values.
                        errors->push_back({pass.at, "the stages of pass '" + pass.name +
                                                        "' lay out the parameters differently"});
                    }
                }
                for (const std::string& name : stage->samplers) {
                    int index = IndexOfName(p.samplers, name);
                    if (index < 0) {
                        errors->push_back({pass.at, "sampler '" + name + "' of pass '" + pass.name +
                                                        "' is not declared"});
                        continue;
                    }
                    if (Contains(cp.samplers, index)) continue;
                    // Its own texture, or the pass's Texture[n] for its slot (register sN, or
                    // else its unit).
                    const SamplerDecl& sampler = p.samplers[index];
                    const size_t slot =
                        sampler.slot >= 0 ? static_cast<size_t>(sampler.slot) : cp.samplers.size();
                    const std::string& texture =
                        !sampler.texture.empty() || slot >= pass.slotTextures.size()
                            ? sampler.texture
                            : pass.slotTextures[slot];
                    // Without one, a sampler with a register reads the device's texture stage.
                    if (texture.empty() && sampler.slot < 0) {
                        errors->push_back({sampler.at, "sampler '" + name +
                                                           "' needs Texture = <name> in a "
                                                           "sampler_state, or a register(sN)"});
                    }
                    cp.samplers.push_back(index);
                    cp.textures.push_back(out->TextureIndex(texture));
                    cp.deviceStages.push_back(texture.empty() ? sampler.slot : -1);
                }
            }
            if (cp.vertex && cp.pixel) {
                // Every varying the pixel shader reads must come from the vertex shader.
                for (const std::string& v : cp.pixel->varyings) {
                    if (!Contains(cp.vertex->varyings, v)) {
                        errors->push_back({pass.at, "pixel shader '" + pass.pixelEntry +
                                                        "' reads " + v.substr(2) +
                                                        ", which vertex shader '" +
                                                        pass.vertexEntry + "' does not write"});
                    }
                }
            }
            passes.push_back(std::move(cp));
        }
        out->techniques.push_back(std::move(passes));
    }
    if (errors->size() != before) return false;
    if (out->stages.empty() && !CheckSource(path, p.hlsl, errors)) return false;
    std::vector<BlockMember> layout =
        layoutSource ? layoutSource->block : std::vector<BlockMember>{};
    uint32_t size = layoutSource ? layoutSource->blockSize : 0;
    return out->parameters.Build(p.parameters, layout, size, errors);
}

gfx::HRESULT CompileEffectFile(const std::string& path, GlslFlavour flavour, CompiledEffect* out,
                               std::string* log) {
    std::vector<Diagnostic> errors;
    std::string source, text;
    if (gfx::HRESULT hr = ReadEffectText(path, &source, &errors); gfx::Failed(hr)) {
        *log = FormatError(path, errors.front());
        return hr;
    }
    auto read = [](const std::string& file, std::string* content, std::string* why) {
        std::vector<Diagnostic> problems;
        if (!gfx::Failed(ReadEffectText(file, content, &problems))) return true;
        *why = problems.front().text;
        return false;
    };
    if (!ExpandIncludes(path, source, read, &text, &out->sources, &errors) ||
        !CompileEffectSource(path, text, gfx::gl::AttributeLocation, out, &errors, flavour)) {
        log->clear();
        for (const Diagnostic& d : errors) *log += out->sources.Format(path, d);
        return gfx::D3DXERR_INVALIDDATA;
    }
    return gfx::D3D_OK;
}

}  // namespace fx::detail
