// The effect-file pre-pass: what it records, what it blanks, and how it copes with bad text.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

#include "platform/fx/fx_prepass.h"
#include "platform/gfx/gfx.h"

namespace {

using namespace fx::detail;
using Pairs = std::vector<std::pair<gfx::D3DRENDERSTATETYPE, uint32_t>>;

const char* kEffect = R"(// a filter
#define STRENGTH 2.5
#define BLEND True
#undef BLEND
#define BLEND 1
float4x4 matProjection;
float2 offset = {0.5, -0.25};
float radius = STRENGTH;
float4 tint = float4(1, 0.5, 0.25, 1);
float4x4 basis = {1,2,3,4, 5,6,7,8, 9,10,11,12, 13,14,15,16};
static const float weights[2] = {0.75, 0.25};
texture tex0;
Texture tex1 : DIFFUSE < string name = "x"; >;
sampler s0 = sampler_state { Texture = <tex0>; MinFilter = Linear; MagFilter = Point; AddressU = Clamp; AddressV = Mirror; };
sampler2D s1 = sampler_state
{
    texture = (tex1); BorderColor = float4(0.5, 0, 0, 1);
};
/* block comment
   over lines */
float4 VS(float4 p : POSITION) : POSITION { return mul(p, matProjection); }
float4 PS() : COLOR { return tint * radius * matProjection._m00_m11.x; }
technique Main
{
    pass P0
    {
        VertexShader = compile vs_2_0 VS();
        PixelShader = compile ps_2_0 PS();
        alphablendenable = BLEND; SrcBlend = SrcAlpha; DESTBLEND = 6;
        BlendOp = Add; CullMode = CCW; ZEnable = false; ZWriteEnable = 0; ZFunc = LessEqual;
    }
    pass P1 { VertexShader = compile vs_3_0 VS(); PixelShader = compile ps_3_0 PS(); CullMode = None; ColorWriteEnable = RED | 0x4; }
}
)";

TEST(Prepass, RecordsParametersTexturesSamplersAndPasses) {
    PrepassResult r = RunPrepass(kEffect);
    ASSERT_TRUE(r.errors.empty()) << r.errors[0].at.line << ": " << r.errors[0].text;
    std::vector<std::string> names;
    for (const auto& p : r.parameters) names.push_back(p.name);
    EXPECT_EQ(names,
              (std::vector<std::string>{"matProjection", "offset", "radius", "tint", "basis"}))
        << "static const globals are not parameters";
    EXPECT_TRUE(r.FindParameter("matProjection")->type.IsMatrix());
    EXPECT_TRUE(r.FindParameter("matProjection")->initial.empty());
    EXPECT_EQ(r.FindParameter("offset")->initial, (std::vector<float>{0.5f, -0.25f}));
    EXPECT_EQ(r.FindParameter("radius")->initial, (std::vector<float>{2.5f})) << "macro expanded";
    EXPECT_EQ(r.FindParameter("tint")->initial, (std::vector<float>{1, 0.5f, 0.25f, 1}));
    EXPECT_EQ(r.FindParameter("basis")->initial[12], 13.0f) << "row by row";
    EXPECT_EQ(r.FindParameter("radius")->at.line, 8);

    ASSERT_EQ(r.textures.size(), 2u);
    EXPECT_EQ(r.textures[1].name, "tex1");
    ASSERT_EQ(r.samplers.size(), 2u);
    const SamplerDecl& s0 = r.samplers[0];
    EXPECT_EQ(std::vector<uint32_t>({s0.minFilter, s0.magFilter, s0.addressU, s0.addressV}),
              std::vector<uint32_t>({2, 1, 3, 2}));
    EXPECT_EQ(s0.texture, "tex0");
    EXPECT_EQ(r.samplers[1].texture, "tex1");
    EXPECT_EQ(r.samplers[1].addressU, 1u) << "Direct3D default: wrap";
    EXPECT_EQ(r.samplers[1].borderColor[0], 0.5f);

    ASSERT_EQ(r.techniques.size(), 1u);
    ASSERT_EQ(r.techniques[0].passes.size(), 2u);
    const PassDecl& p0 = r.techniques[0].passes[0];
    EXPECT_EQ(p0.vertexEntry + p0.pixelEntry, "VSPS");
    EXPECT_EQ(p0.vertexAt.line, 27);
    EXPECT_EQ(p0.renderStates, (Pairs{{gfx::D3DRS_ALPHABLENDENABLE, 1},
                                      {gfx::D3DRS_SRCBLEND, gfx::D3DBLEND_SRCALPHA},
                                      {gfx::D3DRS_DESTBLEND, gfx::D3DBLEND_INVSRCALPHA},
                                      {gfx::D3DRS_BLENDOP, gfx::D3DBLENDOP_ADD},
                                      {gfx::D3DRS_CULLMODE, gfx::D3DCULL_CCW},
                                      {gfx::D3DRS_ZENABLE, 0},
                                      {gfx::D3DRS_ZWRITEENABLE, 0},
                                      {gfx::D3DRS_ZFUNC, gfx::D3DCMP_LESSEQUAL}}));
    EXPECT_EQ(r.techniques[0].passes[1].renderStates,
              (Pairs{{gfx::D3DRS_CULLMODE, gfx::D3DCULL_NONE}, {gfx::D3DRS_COLORWRITEENABLE, 5}}));
    EXPECT_TRUE(r.HasFunction("VS") && r.HasFunction("PS"));
}

TEST(Prepass, BlanksWhatGlslangRejectsAndKeepsEveryLine) {
    std::string source = kEffect;
    PrepassResult r = RunPrepass(source);
    EXPECT_EQ(std::count(r.hlsl.begin(), r.hlsl.end(), '\n'),
              std::count(source.begin(), source.end(), '\n'));
    for (const char* gone : {"technique", "pass", "sampler_state", "texture", "Texture", "compile",
                             "{0.5", "= STRENGTH", "DIFFUSE", "_m00"}) {
        EXPECT_EQ(r.hlsl.find(gone), std::string::npos) << gone;
    }
    auto lineOf = [](const std::string& text, const std::string& what) {
        size_t at = text.find(what);
        return at == std::string::npos
                   ? -1
                   : static_cast<int>(std::count(text.begin(), text.begin() + at, '\n'));
    };
    // Functions, static initialisers and the defines stay where they were.
    for (const char* kept :
         {"float4 VS(float4 p : POSITION)", "static const float weights[2] = {0.75, 0.25};",
          "#define STRENGTH 2.5", "float2 offset"}) {
        EXPECT_EQ(lineOf(r.hlsl, kept), lineOf(source, kept)) << kept;
    }
    EXPECT_EQ(lineOf(r.hlsl, "sampler2D s0"), lineOf(source, "sampler s0"));
    EXPECT_EQ(lineOf(r.hlsl, "float2(matProjection[0][0], matProjection[1][1]).x"),
              lineOf(source, "._m00_m11"))
        << "cross-row swizzles read element by element";
}

TEST(Prepass, ReportsUnsupportedAndBrokenTextAtItsLine) {
    const struct {
        const char* text;
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
        {"struct L { float3 d; };\nL light;", 2, "'L'"},
        {"technique T { pass P {\n VertexShader = compile vs_2_0 VS();\n} }", 1, "PixelShader"},
        // Stray closers inside a technique once held the pre-pass on the same token for ever.
        {"technique T {\n ) ] pass P { } }", 2, "found ')'"},
    };
    for (const auto& c : cases) {
        PrepassResult r = RunPrepass(c.text);
        ASSERT_FALSE(r.errors.empty()) << c.text;
        EXPECT_EQ(r.errors[0].at.line, c.line) << c.text << " -> " << r.errors[0].text;
        EXPECT_NE(r.errors[0].text.find(c.words), std::string::npos) << r.errors[0].text;
    }
}

// Whatever the bytes, the pre-pass ends, keeps the line count and reports lines inside the file.
TEST(Prepass, SurvivesTruncatedAndGarbageText) {
    std::string source = kEffect;
    std::mt19937 random(1234);
    std::vector<std::string> inputs;
    for (size_t cut = 0; cut < source.size(); cut += 7) inputs.push_back(source.substr(0, cut));
    for (int i = 0; i < 300; ++i) {
        std::string s = source;
        for (int k = 0; k < 8; ++k) s[random() % s.size()] = static_cast<char>(random() % 256);
        inputs.push_back(s);
        std::string noise(random() % 400, '\0');
        for (char& c : noise) c = "{}()<>;=:,#\n/*abc 1.5"[random() % 21];
        inputs.push_back(noise);
    }
    for (const std::string& input : inputs) {
        PrepassResult r = RunPrepass(input);
        int lines = static_cast<int>(std::count(input.begin(), input.end(), '\n')) + 1;
        // Entry points generated for compile statements with arguments come after the last line.
        const long newlines = std::count(r.hlsl.begin(), r.hlsl.end(), '\n');
        ASSERT_EQ(r.generatedFromLine > 0 ? r.generatedFromLine - 2 : newlines, lines - 1);
        for (const Diagnostic& d : r.errors) {
            ASSERT_GE(d.at.line, 1);
            ASSERT_LE(d.at.line, lines);
        }
    }
}

}  // namespace
