// The effect-file pre-pass: what it records, what it blanks, and how it copes with bad text.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

#include "platform/fx/fx_prepass.h"
#include "platform/gfx/gfx.h"

namespace {

using namespace fx::detail;

const char* kEffect = R"(// a filter
#define STRENGTH 2.5
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
    texture = (tex1);
};
/* block comment
   over lines */
float4 VS(float4 p : POSITION) : POSITION { return mul(p, matProjection); }
float4 PS() : COLOR { return tint * radius; }
technique Main
{
    pass P0
    {
        VertexShader = compile vs_2_0 VS();
        PixelShader = compile ps_2_0 PS();
        AlphaBlendEnable = True; SrcBlend = SrcAlpha; DestBlend = InvSrcAlpha;
        BlendOp = Add; CullMode = CCW; ZEnable = false; ZWriteEnable = 0; ZFunc = LessEqual;
    }
    pass P1 { VertexShader = compile vs_3_0 VS(); PixelShader = compile ps_3_0 PS(); CullMode = None; }
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
    ASSERT_EQ(r.FindParameter("basis")->initial.size(), 16u);
    EXPECT_EQ(r.FindParameter("basis")->initial[12], 13.0f) << "row by row";
    EXPECT_EQ(r.FindParameter("radius")->at.line, 5);

    ASSERT_EQ(r.textures.size(), 2u);
    EXPECT_EQ(r.textures[1].name, "tex1");
    ASSERT_EQ(r.samplers.size(), 2u);
    EXPECT_EQ(r.samplers[0].texture, "tex0");
    EXPECT_EQ(r.samplers[0].minFilter, 2u);
    EXPECT_EQ(r.samplers[0].magFilter, 1u);
    EXPECT_EQ(r.samplers[0].addressU, 3u);
    EXPECT_EQ(r.samplers[0].addressV, 2u);
    EXPECT_EQ(r.samplers[1].texture, "tex1");
    EXPECT_EQ(r.samplers[1].addressU, 1u) << "Direct3D default: wrap";

    ASSERT_EQ(r.techniques.size(), 1u);
    ASSERT_EQ(r.techniques[0].passes.size(), 2u);
    const PassDecl& p0 = r.techniques[0].passes[0];
    EXPECT_EQ(p0.vertexEntry, "VS");
    EXPECT_EQ(p0.pixelEntry, "PS");
    EXPECT_EQ(p0.vertexAt.line, 24);
    using Pairs = std::vector<std::pair<gfx::D3DRENDERSTATETYPE, uint32_t>>;
    EXPECT_EQ(p0.renderStates, (Pairs{{gfx::D3DRS_ALPHABLENDENABLE, 1},
                                      {gfx::D3DRS_SRCBLEND, gfx::D3DBLEND_SRCALPHA},
                                      {gfx::D3DRS_DESTBLEND, gfx::D3DBLEND_INVSRCALPHA},
                                      {gfx::D3DRS_BLENDOP, gfx::D3DBLENDOP_ADD},
                                      {gfx::D3DRS_CULLMODE, gfx::D3DCULL_CCW},
                                      {gfx::D3DRS_ZENABLE, 0},
                                      {gfx::D3DRS_ZWRITEENABLE, 0},
                                      {gfx::D3DRS_ZFUNC, gfx::D3DCMP_LESSEQUAL}}));
    EXPECT_EQ(r.techniques[0].passes[1].renderStates,
              (Pairs{{gfx::D3DRS_CULLMODE, gfx::D3DCULL_NONE}}));
    EXPECT_TRUE(r.HasFunction("VS"));
    EXPECT_TRUE(r.HasFunction("PS"));
}

TEST(Prepass, BlanksWhatGlslangRejectsAndKeepsEveryLine) {
    std::string source = kEffect;
    PrepassResult r = RunPrepass(source);
    EXPECT_EQ(std::count(r.hlsl.begin(), r.hlsl.end(), '\n'),
              std::count(source.begin(), source.end(), '\n'));
    for (const char* gone : {"technique", "pass", "sampler_state", "texture", "Texture", "compile",
                             "{0.5", "= STRENGTH", "DIFFUSE"}) {
        EXPECT_EQ(r.hlsl.find(gone), std::string::npos) << gone;
    }
    // Functions, static initialisers and the defines stay where they were.
    auto lineOf = [](const std::string& text, const std::string& what) {
        size_t at = text.find(what);
        return at == std::string::npos
                   ? -1
                   : static_cast<int>(std::count(text.begin(), text.begin() + at, '\n'));
    };
    for (const char* kept :
         {"float4 VS(float4 p : POSITION)", "static const float weights[2] = {0.75, 0.25};",
          "#define STRENGTH 2.5", "float2 offset"}) {
        EXPECT_EQ(lineOf(r.hlsl, kept), lineOf(source, kept)) << kept;
    }
    EXPECT_NE(r.hlsl.find("sampler2D s0"), std::string::npos) << "plain sampler becomes sampler2D";
}

TEST(Prepass, ReportsUnsupportedAndBrokenTextAtItsLine) {
    struct Case {
        const char* text;
        int line;
        const char* words;
    };
    const Case cases[] = {
        {"technique T {\n pass P {\n  FogEnable = true;\n } }", 3, "FogEnable"},
        {"technique T { pass P {\n CullMode = Sideways; } }", 2, "Sideways"},
        {"float4 VS() : POSITION { return 0; }\ntechnique T { pass P {\n VertexShader = compile "
         "vs_2_0 VS(1);\n PixelShader = compile ps_2_0 VS(); } }",
         3, "arguments"},
        {"technique T { pass P {\n VertexShader = compile ps_2_0 VS(); } }", 2, "ps_2_0"},
        {"float a;\n\ntechnique T\n{\n pass P {", 5, "end of file"},
        {"float2 offset = {1, 2, 3};", 1, "needs 2"},
        {"float radius = 1.0 / 3.0;", 1, "/"},
        {"sampler s = sampler_state {\n Texture = tex0 + 1;\n};", 2, "Texture"},
        {"float a;\n/* never closed", 2, "comment"},
        {"#include \"other.fx\"\n", 1, "#include"},
        {"\n\ncbuffer C { float x; };", 3, "cbuffer"},
        {"struct L { float3 d; };\nL light;", 2, "'L'"},
        {"technique T { pass P {\n VertexShader = compile vs_2_0 VS();\n} }", 1, "PixelShader"},
        // Stray closers inside a technique once held the pre-pass on the same token for ever.
        {"technique T {\n ) ] pass P { } }", 2, "found ')'"},
    };
    for (const Case& c : cases) {
        PrepassResult r = RunPrepass(c.text);
        ASSERT_FALSE(r.errors.empty()) << c.text;
        EXPECT_EQ(r.errors[0].at.line, c.line) << c.text << " -> " << r.errors[0].text;
        EXPECT_NE(r.errors[0].text.find(c.words), std::string::npos) << r.errors[0].text;
    }
}

TEST(Prepass, ValuesAcceptNumbersNamesAndMacros) {
    PrepassResult r = RunPrepass(
        "#define BLEND True\n#define FAR 1e3\n#undef FAR\n#define FAR 2e2f\n"
        "float far = FAR;\nbool on = true;\nint n = -3;\nfloat4 all = 0.5;\nfloat w[3] = {1, "
        "-2.5e1, .5};\n"
        "technique T { pass P { VertexShader = compile vs_2_0 VS(); PixelShader = compile ps_2_0 "
        "PS();\n"
        " alphablendenable = BLEND; SRCBLEND = 5; DestBlend = invsrccolor; } }");
    ASSERT_TRUE(r.errors.empty()) << r.errors[0].text;
    EXPECT_EQ(r.FindParameter("far")->initial, (std::vector<float>{200.0f}));
    EXPECT_EQ(r.FindParameter("on")->initial, (std::vector<float>{1.0f}));
    EXPECT_EQ(r.FindParameter("n")->initial, (std::vector<float>{-3.0f}));
    EXPECT_EQ(r.FindParameter("all")->initial, (std::vector<float>(4, 0.5f)))
        << "a scalar fills every component";
    EXPECT_EQ(r.FindParameter("w")->arraySize, 3);
    EXPECT_EQ(r.FindParameter("w")->initial, (std::vector<float>{1, -25, 0.5f}));
    using Pairs = std::vector<std::pair<gfx::D3DRENDERSTATETYPE, uint32_t>>;
    EXPECT_EQ(r.techniques[0].passes[0].renderStates,
              (Pairs{{gfx::D3DRS_ALPHABLENDENABLE, 1},
                     {gfx::D3DRS_SRCBLEND, 5},
                     {gfx::D3DRS_DESTBLEND, gfx::D3DBLEND_INVSRCCOLOR}}));
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
        ASSERT_EQ(std::count(r.hlsl.begin(), r.hlsl.end(), '\n'), lines - 1);
        for (const Diagnostic& d : r.errors) {
            ASSERT_GE(d.at.line, 1);
            ASSERT_LE(d.at.line, lines);
        }
    }
}

}  // namespace
