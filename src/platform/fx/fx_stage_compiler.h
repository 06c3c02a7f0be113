// One shader stage of an effect pass: HLSL (DX9 style, already through the pre-pass) compiled by
// glslang to SPIR-V and turned into GLSL 330 (or GLSL ES 3.00) by SPIRV-Cross, with what the effect
// needs to know of it: the global parameter block's layout, the samplers, and the varyings by
// semantic. No OpenGL here. Internal to platform/fx.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/fx/fx_prepass.h"
#include "platform/fx/fx_source.h"

namespace fx::detail {

enum class Stage { Vertex, Pixel };

// The GLSL a stage is written in: GLSL 3.30 for desktop OpenGL (the device sets clip control), or
// GLSL ES 3.00 for OpenGL ES 3.0 / WebGL2, where the vertex stage itself turns y over and maps
// depth 0..1 to -1..1, all in high precision.
enum class GlslFlavour { Desktop, Es };

// Names every compiled stage gives the parameter block, so stages agree when linked.
constexpr const char* kGlobalBlockName = "FxGlobals";
constexpr const char* kGlobalInstanceName = "fxGlobals";

// Pixel shaders end with Direct3D's alpha test on COLOR0, driven by these uniforms: the compare
// function (D3DCMP_*, 0 while the test is off) and the reference (0..255).
constexpr const char* kAlphaFuncUniform = "fxAlphaFunc";
constexpr const char* kAlphaRefUniform = "fxAlphaRef";

// One member of the parameter block, as laid out by SPIRV-Cross (std140).
struct BlockMember {
    std::string name;
    BaseKind base = BaseKind::Float;
    uint32_t offset = 0;
    uint32_t vectorSize = 1;  // SPIR-V components per column
    uint32_t columns = 1;     // SPIR-V columns (1 for vectors)
    uint32_t arraySize = 0;   // 0: not an array
    uint32_t arrayStride = 0;
    uint32_t matrixStride = 0;
    bool rowMajor = false;
    bool operator==(const BlockMember&) const = default;
};

struct CompiledStage {
    std::string glsl;
    std::vector<BlockMember> block;  // empty when the stage uses no parameter
    uint32_t blockSize = 0;
    std::vector<std::string> samplers;   // sampler uniforms the stage reads
    std::vector<std::string> varyings;   // renamed varyings (outputs of VS, inputs of PS)
    std::vector<uint32_t> varyingSizes;  // parallel: components of each (0 for arrays, structs)
    std::vector<std::string> warnings;   // glslang warnings, formatted
    bool operator==(const CompiledStage&) const = default;
};

// Attribute location of a vertex input semantic (D3DDECLUSAGE_*, usage index), -1 if none.
using AttributeLocator = std::function<int(uint8_t usage, uint8_t usageIndex)>;

// Splits "TEXCOORD3" into ("TEXCOORD", 3); upper-cases; "SV_POSITION" reads as "POSITION".
void SplitSemantic(std::string_view semantic, std::string* base, uint32_t* index);

// The varying name both stages use for a semantic: "v_TEXCOORD0".
std::string VaryingName(std::string_view semantic);

// Compiles one entry point. On failure returns false with located errors appended (lines of the
// original file; `fallback` where glslang gives no line).
bool CompileStage(Stage stage, std::string_view path, const std::string& hlsl,
                  const std::string& entry, const AttributeLocator& locate, SourceLocation fallback,
                  CompiledStage* out, std::vector<Diagnostic>* errors,
                  GlslFlavour flavour = GlslFlavour::Desktop);

// Parses the whole text without compiling an entry point: for files whose passes compile nothing,
// so their syntax errors are still reported.
bool CheckSource(std::string_view path, const std::string& hlsl, std::vector<Diagnostic>* errors);

}  // namespace fx::detail
