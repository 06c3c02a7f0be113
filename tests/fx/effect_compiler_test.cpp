// From effect text to GLSL and a filled parameter block, without OpenGL.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <sstream>

#include "platform/fx/fx_effect_compiler.h"
#include "platform/fx/fx_source_limits.h"

namespace {

using namespace fx::detail;

int Locate(uint8_t usage, uint8_t index) {
    return usage == 5 ? 6 + index : usage == 0 ? 0 : usage == 3 ? 2 : -1;
}

struct Compiled {
    CompiledEffect effect;
    std::vector<Diagnostic> errors;
    bool ok;
};

std::unique_ptr<Compiled> Compile(const std::string& text) {
    auto c = std::make_unique<Compiled>();
    c->ok = CompileEffectSource("t.fx", text, Locate, &c->effect, &c->errors);
    return c;
}

float FloatAt(const ParameterTable& t, size_t offset) {
    float f;
    std::memcpy(&f, t.Block().data() + offset, 4);
    return f;
}

const std::string kPasses =
    "technique T { pass P {\n VertexShader = compile vs_2_0 VS();\n PixelShader = compile "
    "ps_2_0 PS(); } }\n";
const std::string kVs = "float4 VS(float4 p : POSITION) : POSITION { return p; }\n";

// The text fails to compile, its first error at line with words in it (and the only one, if
// alone).
void ExpectError(const std::string& text, int line, const char* words, bool alone = false) {
    auto c = Compile(text);
    ASSERT_FALSE(c->ok || c->errors.empty()) << text;
    EXPECT_TRUE(!alone || c->errors.size() == 1) << c->errors.size() << " errors";
    EXPECT_EQ(c->errors[0].at.line, line) << text << " -> " << c->errors[0].text;
    EXPECT_NE(c->errors[0].text.find(words), std::string::npos) << c->errors[0].text;
}

// Values land in the shader's std140 layout; what does not fit a parameter changes nothing.
TEST(EffectCompiler, ParameterBlockTakesValuesInShaderLayout) {
    auto c = Compile(
        "float2 offset = {0.25, 0.75};\nfloat w[3] = {1, 2, 3};\n"
        "float4 VS(float4 p : POSITION) : POSITION { return p + offset.xyxy * w[2]; }\n"
        "float4 PS() : COLOR { return w[0] + w[1]; }\n" +
        kPasses);
    ASSERT_TRUE(c->ok) << c->errors[0].text;
    ParameterTable& t = c->effect.parameters;
    const std::vector<BlockMember>& block = c->effect.stages[0]->block;
    ASSERT_EQ(block.size(), 2u);
    const BlockMember &offset = block[0], &w = block[1];
    ASSERT_GE(w.arrayStride, 16u) << "std140 arrays: one vec4 per element";
    EXPECT_EQ(FloatAt(t, w.offset + 2 * w.arrayStride), 3.0f);
    const float values[5] = {4, 5, 6, 7, 8};
    EXPECT_TRUE(t.SetFloatArray("w", values, 5)) << "extra values are ignored";
    EXPECT_EQ(FloatAt(t, w.offset + w.arrayStride), 5.0f);
    EXPECT_EQ(FloatAt(t, offset.offset), 0.25f) << "neighbours untouched";
    EXPECT_TRUE(t.SetFloatArray("offset", values, 1));
    EXPECT_EQ(FloatAt(t, offset.offset), 4.0f);
    EXPECT_EQ(FloatAt(t, offset.offset + 4), 0.75f) << "short arrays write a prefix";
    EXPECT_FALSE(t.SetFloat("offset", 1) || t.SetFloat("w", 1)) << "vectors, arrays: not floats";
    EXPECT_FALSE(t.SetFloatArray("w", nullptr, 1));
    t.ClearDirty();
    EXPECT_TRUE(t.SetFloatArray("w", values, 1));
    EXPECT_TRUE(t.Dirty());
}

TEST(EffectCompiler, EntryPointsCompileOnceAcrossPasses) {
    std::ifstream in(std::string(VM_FX_TEST_DATA) + "/pig.fx");
    std::stringstream text;
    text << in.rdbuf();
    auto c = Compile(text.str());
    ASSERT_TRUE(c->ok) << c->errors[0].text;
    ASSERT_TRUE(c->effect.techniques.size() == 1 && c->effect.techniques[0].size() == 4);
    EXPECT_EQ(c->effect.stages.size(), 5u) << "one vertex shader shared by four passes";
    EXPECT_EQ(c->effect.techniques[0][0].vertex, c->effect.techniques[0][3].vertex);
    // Inputs meet the device's attribute locations by semantic.
    const std::string& glsl = c->effect.techniques[0][0].vertex->glsl;
    EXPECT_NE(glsl.find("layout(location = 0) in vec4"), std::string::npos) << glsl;
    EXPECT_NE(glsl.find("layout(location = 6) in vec2"), std::string::npos) << glsl;
    EXPECT_NE(glsl.find("out vec2 v_TEXCOORD0"), std::string::npos) << glsl;
}

// The pre-pass's errors, then glslang's and the compiler's.
TEST(EffectCompiler, ProblemsAreLocatedErrors) {
    const std::string& vs = kVs;
    const struct {
        std::string text;
        int line;
        const char* words;
    } cases[] = {
        {"technique T {\n pass P {\n  FogDensity[0] = 1;\n  PointSpriteEnable = 1;\n  Shading = 1; "
         "} "
         "}",
         5, "'Shading'"},
        {"technique T { pass P {\n CullMode = Sideways; } }", 2, "Sideways"},
        {"technique T { pass P {\n PixelShader = compile ps_2_0 PS();\n  Texture[0] = <none>; } }",
         3, "declared texture"},
        {"technique T { pass P {\n PixelShader = compile ps_2_0 PS();\n  ZFunc[1] = Less; } }", 3,
         "'ZFunc[...]'"},
        {"technique T { pass P {\n VertexShader = compile ps_2_0 VS(); } }", 2, "ps_2_0"},
        {"float4 PS(uniform float a) : COLOR { return a; }\ntechnique T { pass P {\n PixelShader "
         "= compile ps_2_0 PS(1, 2); } }",
         3, "gives 2"},
        {"float a;\n\ntechnique T\n{\n pass P {", 5, "end of file"},
        {"float2 offset = {1, 2, 3};", 1, "needs 2"},
        {"float radius = 1.0 / unknown;", 1, "'unknown' is not a constant"},
        {"float w[0.5];", 1, "array size"},
        {"sampler s = sampler_state {\n Texture = tex0 + 1;\n};", 2, "Texture"},
        {"float a;\n/* never closed", 2, "comment"},
        {"#include \"other.fx\"\n", 1, "#include"},
        {"\n#if 1\n#else\n#else\n#endif", 4, "#else without #if"},
        {"\n#if defined(X) && (1 +\n#endif", 2, "cannot evaluate"},
        {"\n\ncbuffer C { float x; };", 3, "cbuffer"},
        // A Direct3D 10 technique is skipped beside a Direct3D 9 one, refused alone.
        {"\ntechnique10 T { pass P { SetPixelShader(CompileShader(ps_4_0, PS())); } }", 2,
         "'technique10' is not supported"},
        {"struct L { float3 d; };\nL light;", 2, "'L'"},
        {"technique T { pass P {\n VertexShader = compile vs_2_0 VS();\n} }", 1, "PixelShader"},
        // Stray closers inside a technique once held the pre-pass on the same token for ever.
        {"technique T {\n ) ] pass P { } }", 2, "found ')'"},
        // glslang's own error, at the file's line despite the preamble and the pre-pass.
        {vs + "\nfloat4 PS() : COLOR { return undefinedThing; }\n" + kPasses, 3, "undefinedThing"},
        {vs + kPasses, 4, "'PS' not found"},
        {"texture t;\nsampler s;\n" + vs +
             "float4 PS(float2 uv : TEXCOORD0) : COLOR { return tex2D(s, uv); }\n"
             "technique T { pass P { PixelShader = compile ps_2_0 PS(); } }\n",
         2, "Texture = <name>"},
        {"texture t;\nsampler s = sampler_state { Texture = <other>; };\n", 2, "other"},
        {"float4 VS(float4 p : POSITION, float4 c : FOG) : POSITION { return p + c; }\nfloat4 PS() "
         ": COLOR { return 1; }\n" +
             kPasses,
         4, "FOG"},
        {"float4 PS(float3 n : NORMAL) : COLOR { return n.xyzx; }\n\ntechnique T { pass P { "
         "PixelShader = compile ps_2_0 PS(); } }",
         3, "needs a vertex shader"},
        {vs + "float4 PS() : COLOR { return 1; }\nfloat4 Bad( { }\n", 3, ""},
        // A string member would crash glslang's SPIR-V generation (found by fuzz_effect).
        {"struct VS_IN { float3 pos : POSITION;\n string uv : TEXCOORD0; };\nfloat4 VS(VS_IN i) : "
         "POSITION { return float4(i.pos, 1); }\nfloat4 PS() : COLOR { return 1; }\n" +
             kPasses,
         2, "'string' is only supported in annotations"},
    };
    for (const auto& k : cases) ExpectError(k.text, k.line, k.words);
}

// Deep brackets would overflow glslang's stack and doubling macros exhaust memory: both are refused
// at the line that breaks the limit, before glslang sees the text; up to the limit glslang copes.
TEST(EffectCompiler, NestingAndMacroExpansionBeyondTheLimitsAreRefusedAtTheirLine) {
    auto nested = [](int depth) {
        return std::string(size_t(depth), '(') + "1" + std::string(size_t(depth), ')');
    };
    auto define = [](const std::string& name, int i, const std::string& body) {
        return "#define " + name + std::to_string(i) + " " + body + "\n";
    };
    // Each of 20 macros repeats the one before four times: 4^20 tokens, unless it is never used.
    std::string bomb = "#define M0 1\n", chain = "#define C0 1\n", doubling = "#define B0 1 1\n";
    for (int i = 1; i <= 100; ++i) {
        const std::string m = " M" + std::to_string(i - 1), b = "B" + std::to_string(i - 1);
        if (i <= 20) bomb += define("M", i, m + m + m + m);
        if (i < 20) doubling += define("B", i, b + " " + b);
        chain += define("C", i, "C" + std::to_string(i - 1));
    }
    const std::string& vs = kVs;
    // The function body's brace is the first level.
    auto ps = [](const std::string& value) {
        return "float4 PS() : COLOR { return " + value + "; }\n";
    };
    EXPECT_TRUE(Compile(bomb + vs + ps(nested(kMaxNesting - 1)) + kPasses)->ok)
        << "at the limit, with an unused macro bomb";
    const struct {
        std::string text;
        int line;
        const char* words;
    } cases[] = {
        {vs + "\n" + ps(nested(kMaxNesting)) + kPasses, 3, "nested deeper than 128"},
        {vs + ps(nested(4000)) + kPasses, 2, "nested deeper"},
        {vs +
             "#define OPEN ((((((((((((((((\n#define DEEP OPEN OPEN OPEN OPEN OPEN OPEN OPEN OPEN "
             "OPEN\n" +
             ps("DEEP") + kPasses,
         4, "nested deeper"},
        {bomb + vs + ps("M20") + kPasses, 23, "macro expansion"},
        {chain + vs + ps("C100") + kPasses, 103, "macros nested deeper"},
    };
    for (const auto& k : cases) ExpectError(k.text, k.line, k.words, true);
    // The expansion limit is exact: a macro doubling 20 times (2^20 tokens) fits, one token more
    // not.
    for (const char* tail : {"B19", "B19 1"}) {
        std::vector<Diagnostic> errors;
        EXPECT_EQ(CheckSourceLimits(Tokenize(doubling + tail, nullptr), &errors),
                  tail == std::string("B19"))
            << tail;
    }
}

TEST(ParameterTable, RefusesALayoutThatDisagreesWithTheDeclarations) {
    ParameterDecl radius{"radius", {BaseKind::Float, 1, 1}, 0, {2.0f}, {4, 1}};
    std::vector<Diagnostic> errors;
    ParameterTable t;
    // A vector where a float was declared, a member nobody declared, a member outside the block.
    for (const std::vector<BlockMember>& layout :
         {std::vector<BlockMember>{{"radius", BaseKind::Float, 0, 4}},
          {{"radius"}, {"hidden", BaseKind::Float, 16}},
          {{"radius", BaseKind::Float, 64}}})
        EXPECT_FALSE(t.Build({radius}, layout, 32, &errors));
    ASSERT_EQ(errors.size(), 3u);
    EXPECT_EQ(errors[0].at.line, 4);
    EXPECT_NE(errors[1].text.find("hidden"), std::string::npos);
    ASSERT_TRUE(t.Build({radius}, {BlockMember{"radius"}}, 16, &errors));
    t.GrowBlock(24);
    EXPECT_EQ(t.Block().size(), 24u);
    EXPECT_EQ(FloatAt(t, 0), 2.0f) << "initial value, kept by growing";
}

}  // namespace
