// The effect-file pre-pass: reads what glslang does not accept (texture declarations, sampler_state
// initialisers, technique/pass blocks, parameter initial values) and blanks it out of the text,
// keeping every newline so glslang's line numbers still point into the original file.
// Internal to platform/fx.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/fx/fx_source.h"
#include "platform/gfx/gfx.h"

namespace fx::detail {

enum class BaseKind { Float, Int, Bool };

// A numeric parameter type: scalar (1x1), vector (1xN) or matrix (RxC), HLSL rows and columns.
struct ParameterType {
    BaseKind base = BaseKind::Float;
    int rows = 1;
    int columns = 1;
    bool IsMatrix() const { return rows > 1; }
    int Components() const { return rows * columns; }
    bool operator==(const ParameterType&) const = default;
};

struct ParameterDecl {
    std::string name;
    ParameterType type;
    int arraySize = 0;           // 0: not an array
    std::vector<float> initial;  // flattened in declaration order; empty: none given
    SourceLocation at;
    int Elements() const { return arraySize > 0 ? arraySize : 1; }
    bool operator==(const ParameterDecl&) const = default;
};

// What a texture parameter holds and a sampler reads.
enum class TextureKind { Flat, Cube, Volume };

struct TextureDecl {
    std::string name;
    SourceLocation at;
    TextureKind kind = TextureKind::Flat;
    bool operator==(const TextureDecl&) const = default;
};

struct SamplerDecl {
    std::string name;
    std::string texture;  // the linked texture parameter; empty when none
    uint32_t minFilter = 1, magFilter = 1, mipFilter = 0;  // Direct3D defaults: point, no mips
    uint32_t addressU = 1, addressV = 1, addressW = 1;     // wrap
    float borderColor[4] = {0, 0, 0, 0};                   // r, g, b, a
    int slot = -1;  // the N of ": register(sN)", -1 when none
    TextureKind kind = TextureKind::Flat;
    SourceLocation at;
    bool operator==(const SamplerDecl&) const = default;
};

struct PassDecl {
    std::string name;
    // Entry points as compiled: a compile statement with arguments names a generated wrapper. An
    // empty vertex entry is the fixed-function vertex stage.
    std::string vertexEntry, pixelEntry;
    SourceLocation vertexAt, pixelAt;
    std::vector<std::pair<gfx::D3DRENDERSTATETYPE, uint32_t>> renderStates;  // in file order
    std::vector<std::string> slotTextures;  // Texture[n] = <name>: index n, empty when not set
    SourceLocation at;
    bool operator==(const PassDecl&) const = default;
};

struct TechniqueDecl {
    std::string name;
    std::vector<PassDecl> passes;
    SourceLocation at;
    bool operator==(const TechniqueDecl&) const = default;
};

struct PrepassResult {
    std::string hlsl;  // the text for glslang, same lines as the file
    std::vector<ParameterDecl> parameters;
    std::vector<TextureDecl> textures;
    std::vector<SamplerDecl> samplers;
    std::vector<TechniqueDecl> techniques;
    std::vector<std::string> functions;  // names of functions with a body
    std::vector<Diagnostic> errors;
    // Lines from here on hold generated entry points (compile statements with arguments): errors
    // there belong to the compile statement. 0 when nothing was generated.
    int generatedFromLine = 0;

    const ParameterDecl* FindParameter(std::string_view name) const;
    bool HasFunction(std::string_view name) const;
};

// Never fails as such: problems land in errors, with their lines.
PrepassResult RunPrepass(std::string_view source);

// Parses a numeric parameter type name ("float", "float3", "float4x4", "matrix", "int2", "bool").
bool ParseParameterType(std::string_view name, ParameterType* type);

}  // namespace fx::detail
