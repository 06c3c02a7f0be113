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

int LineOf(const std::string& text, const std::string& what) {
    size_t at = text.find(what);
    return at == std::string::npos ? -1 : int(std::count(text.begin(), text.begin() + at, '\n'));
}

// What glslang cannot read is recorded, then blanked, every line kept where it was.
TEST(Prepass, RecordsAndBlanksWhatGlslangRejects) {
    const std::string source = kEffect;
    PrepassResult r = RunPrepass(source);
    ASSERT_TRUE(r.errors.empty()) << r.errors[0].at.line << ": " << r.errors[0].text;
    std::vector<std::string> names;
    for (const auto& p : r.parameters) names.push_back(p.name);
    EXPECT_EQ(names,
              (std::vector<std::string>{"matProjection", "offset", "radius", "tint", "basis"}))
        << "static const globals are not parameters";
    const ParameterDecl* projection = r.FindParameter("matProjection");
    EXPECT_TRUE(projection->type.IsMatrix() && projection->initial.empty());
    EXPECT_EQ(r.FindParameter("offset")->initial, (std::vector<float>{0.5f, -0.25f}));
    EXPECT_EQ(r.FindParameter("radius")->initial, (std::vector<float>{2.5f})) << "macro expanded";
    EXPECT_EQ(r.FindParameter("tint")->initial, (std::vector<float>{1, 0.5f, 0.25f, 1}));
    EXPECT_EQ(r.FindParameter("basis")->initial[12], 13.0f) << "row by row";
    EXPECT_EQ(r.FindParameter("radius")->at.line, 8);
    ASSERT_EQ(r.textures.size() + r.samplers.size(), 4u);
    const SamplerDecl &s0 = r.samplers[0], &s1 = r.samplers[1];
    EXPECT_EQ(
        std::vector<uint32_t>({s0.minFilter, s0.magFilter, s0.addressU, s0.addressV, s1.addressU}),
        std::vector<uint32_t>({2, 1, 3, 2, 1}))
        << "Direct3D default: wrap";
    EXPECT_EQ(s0.texture + s1.texture + r.textures[1].name, "tex0tex1tex1");
    EXPECT_EQ(s1.borderColor[0], 0.5f);
    ASSERT_TRUE(r.techniques.size() == 1 && r.techniques[0].passes.size() == 2);
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

    EXPECT_EQ(std::count(r.hlsl.begin(), r.hlsl.end(), '\n'),
              std::count(source.begin(), source.end(), '\n'));
    for (const char* gone : {"technique", "pass", "sampler_state", "texture", "Texture", "compile",
                             "{0.5", "= STRENGTH", "DIFFUSE", "_m00"})
        EXPECT_EQ(r.hlsl.find(gone), std::string::npos) << gone;
    // Functions, static initialisers and the defines stay where they were.
    for (const char* kept :
         {"float4 VS(float4 p : POSITION)", "static const float weights[2] = {0.75, 0.25};",
          "#define STRENGTH 2.5", "float2 offset"})
        EXPECT_EQ(LineOf(r.hlsl, kept), LineOf(source, kept)) << kept;
    EXPECT_EQ(LineOf(r.hlsl, "sampler2D s0"), LineOf(source, "sampler s0"));
    EXPECT_EQ(LineOf(r.hlsl, "float2(matProjection[0][0], matProjection[1][1]).x"),
              LineOf(source, "._m00_m11"))
        << "cross-row swizzles read element by element";
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
