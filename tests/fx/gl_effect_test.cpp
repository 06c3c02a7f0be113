// Effects on a real headless OpenGL device: pixels read back through the frame sink. Every case
// runs three ways: desktop OpenGL, OpenGL ES 3.0 (the browser's flavour) compiling at load time,
// and OpenGL ES 3.0 loading what vessmark-fxbake's baking gave, as the browser build does.
#include <epoxy/gl.h>
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "platform/fx/fx.h"
#include "platform/fx/fx_baker.h"
#include "platform/gfx/gfx.h"
#include "support/call_lines.h"
#include "support/scratch_dir.h"

namespace {

using namespace gfx;

constexpr uint32_t kSize = 64;

struct Pixel {
    int r, g, b;
};

enum class Flavour { Desktop, Es, EsBaked };

// One device for as many tests as share a flavour: a context costs more than every test together.
class GlEffectTest : public ::testing::TestWithParam<Flavour> {
  protected:
    static void SetUpTestSuite() { dir_ = new vmtest::ScratchDir("vm-fx-gl"); }
    static void TearDownTestSuite() {
        CloseDevice();
        fx::SetEffectSource(fx::EffectSource::Compile);
        delete dir_;
        dir_ = nullptr;
    }

    static void OpenDevice(ContextProvider provider) {
        Config config;
        config.provider = provider;
        config.frameSink = [](const gfx::Frame& f) {
            frame_.assign(f.rgba, f.rgba + size_t(f.width) * f.height * 4);
            frameWidth_ = f.width;
        };
        Configure(config);
        adapter_ = Direct3DCreate9(D3D_SDK_VERSION);
        ASSERT_NE(adapter_, nullptr);
        PresentParameters pp;
        pp.BackBufferWidth = kSize;
        pp.BackBufferHeight = kSize;
        pp.BackBufferFormat = D3DFMT_X8R8G8B8;
        pp.BackBufferCount = 1;
        pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
        pp.Windowed = 1;
        pp.EnableAutoDepthStencil = 1;
        pp.AutoDepthStencilFormat = D3DFMT_D24S8;
        ASSERT_EQ(adapter_->CreateDevice(0, D3DDEVTYPE_HAL, nullptr,
                                         D3DCREATE_HARDWARE_VERTEXPROCESSING, &pp, &device_),
                  D3D_OK);
        const VertexElement elements[] = {
            {0, 0, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0},
            {0, 12, D3DDECLTYPE_FLOAT2, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 0},
            D3DDECL_END,
        };
        ASSERT_EQ(device_->CreateVertexDeclaration(elements, &declaration_), D3D_OK);
    }
    static void CloseDevice() {
        if (declaration_) declaration_->Release();
        if (device_) device_->Release();
        if (adapter_) adapter_->Release();
        declaration_ = nullptr;
        device_ = nullptr;
        adapter_ = nullptr;
    }

    void SetUp() override {
        if (!device_ || flavour_ != GetParam()) {
            CloseDevice();
            flavour_ = GetParam();
            OpenDevice(flavour_ == Flavour::Desktop ? ContextProvider::Headless
                                                    : ContextProvider::HeadlessEs);
        }
        fx::SetEffectSource(flavour_ == Flavour::EsBaked ? fx::EffectSource::Baked
                                                         : fx::EffectSource::Compile);
        ASSERT_NE(device_, nullptr);
        // Direct3D defaults; the quads are clockwise, so CCW culling keeps them.
        device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
        device_->SetRenderState(D3DRS_ALPHABLENDENABLE, 0);
        device_->SetRenderState(D3DRS_ZENABLE, 0);
    }

    // Writes an effect file into the scratch folder and, in the baked flavour, bakes it there.
    static std::string Write(const std::string& name, const std::string& text) {
        const std::string path = dir_->Write(name, text);
        Bake(path);
        return path;
    }

    // In the baked flavour, bakes the effect at path beside it, as vessmark-fxbake does.
    static void Bake(const std::string& path) {
        if (flavour_ == Flavour::EsBaked)
            std::ofstream(path + ".baked", std::ios::binary) << fx::BakeEffectFile(path).bytes;
    }

    fx::Effect* Load(const std::string& name, const std::string& text) {
        std::string messages;
        fx::Effect* effect = nullptr;
        HRESULT hr = fx::CreateEffectFromFile(device_, Write(name, text).c_str(),
                                              fx::D3DXSHADER_DEBUG, &effect, &messages);
        EXPECT_EQ(hr, D3D_OK) << messages;
        return effect;
    }

    // A quad from (x0, y0) to (x1, y1) in clip space at depth z, uv 0..1.
    static void DrawQuad(float x0, float y0, float x1, float y1, float z = 0.5f) {
        const float v[] = {x0, y0, z, 0, 1, x1, y0, z, 1, 1, x1, y1, z, 1, 0, x0, y1, z, 0, 0};
        const uint16_t idx[] = {0, 2, 1, 0, 3, 2};
        VertexBuffer* vb = nullptr;
        IndexBuffer* ib = nullptr;
        ASSERT_EQ(
            device_->CreateVertexBuffer(sizeof v, D3DUSAGE_WRITEONLY, 0, D3DPOOL_MANAGED, &vb),
            D3D_OK);
        ASSERT_EQ(device_->CreateIndexBuffer(sizeof idx, D3DUSAGE_WRITEONLY, D3DFMT_INDEX16,
                                             D3DPOOL_MANAGED, &ib),
                  D3D_OK);
        void* data = nullptr;
        vb->Lock(0, 0, &data, 0);
        std::memcpy(data, v, sizeof v);
        vb->Unlock();
        ib->Lock(0, 0, &data, 0);
        std::memcpy(data, idx, sizeof idx);
        ib->Unlock();
        device_->SetVertexDeclaration(declaration_);
        device_->SetStreamSource(0, vb, 0, 20);
        device_->SetIndices(ib);
        device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 0, 2);
        vb->Release();
        ib->Release();
    }

    static void FullScreen() { DrawQuad(-1, -1, 1, 1); }

    // Clears the back buffer, runs one pass of the effect around draw(), presents.
    static void RunPass(fx::Effect* effect, uint32_t pass, const std::function<void()>& draw,
                        uint32_t clear = 0xFF000000) {
        ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, clear, 1.0f, 0), D3D_OK);
        device_->BeginScene();
        uint32_t passes = 0;
        EXPECT_EQ(effect->Begin(&passes, 0), D3D_OK);
        EXPECT_EQ(effect->BeginPass(pass), D3D_OK);
        draw();
        EXPECT_EQ(effect->EndPass(), D3D_OK);
        EXPECT_EQ(effect->End(), D3D_OK);
        device_->EndScene();
        device_->Present(nullptr, nullptr, nullptr, nullptr);
    }

    // Frame row 0 is the top of the picture.
    static Pixel At(uint32_t x, uint32_t y) {
        const uint8_t* p = frame_.data() + (size_t(y) * frameWidth_ + x) * 4;
        return {p[0], p[1], p[2]};
    }

    static void ExpectNear(Pixel got, Pixel want, const char* where) {
        EXPECT_NEAR(got.r, want.r, 3) << where;
        EXPECT_NEAR(got.g, want.g, 3) << where;
        EXPECT_NEAR(got.b, want.b, 3) << where;
    }

    // A solid-colour texture made by clearing a render-target texture.
    static Texture* SolidTexture(uint32_t argb) {
        Texture* texture = nullptr;
        EXPECT_EQ(device_->CreateTexture(8, 8, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8,
                                         D3DPOOL_DEFAULT, &texture),
                  D3D_OK);
        Surface *surface = nullptr, *backBuffer = nullptr;
        device_->GetRenderTarget(0, &backBuffer);
        texture->GetSurfaceLevel(0, &surface);
        device_->SetRenderTarget(0, surface);
        device_->Clear(0, nullptr, D3DCLEAR_TARGET, argb, 1.0f, 0);
        device_->SetRenderTarget(0, backBuffer);
        surface->Release();
        backBuffer->Release();
        return texture;
    }

    static inline Flavour flavour_ = Flavour::Desktop;
    static inline Adapter* adapter_ = nullptr;
    static inline Device* device_ = nullptr;
    static inline VertexDeclaration* declaration_ = nullptr;
    static inline vmtest::ScratchDir* dir_ = nullptr;
    static inline std::vector<uint8_t> frame_;
    static inline uint32_t frameWidth_ = 0;
};

std::string FlavourName(const ::testing::TestParamInfo<Flavour>& flavour) {
    return flavour.param == Flavour::Desktop ? "Desktop"
           : flavour.param == Flavour::Es    ? "Es"
                                             : "EsBaked";
}

INSTANTIATE_TEST_SUITE_P(Flavours, GlEffectTest,
                         ::testing::Values(Flavour::Desktop, Flavour::Es, Flavour::EsBaked),
                         FlavourName);

// A pass-through vertex shader and a constant-colour pixel shader, with a pass body to fill in.
std::string SolidEffect(const std::string& passes, const std::string& extraGlobals = "") {
    return "float4 color = {1, 0, 0, 0.5};\n" + extraGlobals +
           "float4 VS(float4 p : POSITION) : POSITION { return p; }\n"
           "float4 PS() : COLOR { return color; }\n"
           "float4 Green() : COLOR { return float4(0, 1, 0, 1); }\n"
           "technique T {\n" +
           passes + "}\n";
}

TEST_P(GlEffectTest, BlendingPassSetsItsStatesAndEndRestoresThem) {
    fx::Effect* effect =
        Load("blend.fx",
             SolidEffect(
                 "pass P { VertexShader = compile vs_2_0 VS(); PixelShader = compile ps_2_0 PS();\n"
                 "  AlphaBlendEnable = True; SrcBlend = SrcAlpha; DestBlend = InvSrcAlpha; BlendOp "
                 "= Add;\n"
                 "  CullMode = None; ZEnable = False; }\n"));
    ASSERT_NE(effect, nullptr);
    device_->SetRenderState(D3DRS_ALPHABLENDENABLE, 0);
    device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
    device_->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
    uint32_t during = 0;
    RunPass(
        effect, 0,
        [&] {
            device_->GetRenderState(D3DRS_ALPHABLENDENABLE, &during);
            FullScreen();
        },
        0xFF0000FF);
    EXPECT_EQ(during, 1u);
    ExpectNear(At(32, 32), {128, 0, 127}, "red at half alpha over blue");
    uint32_t blend = 9, cull = 9, src = 9;
    device_->GetRenderState(D3DRS_ALPHABLENDENABLE, &blend);
    device_->GetRenderState(D3DRS_CULLMODE, &cull);
    device_->GetRenderState(D3DRS_SRCBLEND, &src);
    EXPECT_EQ(blend, 0u);
    EXPECT_EQ(cull, D3DCULL_CW);
    EXPECT_EQ(src, D3DBLEND_ONE);
    effect->Release();
}

TEST_P(GlEffectTest, TwoPassesAndMisuseOfTheProtocol) {
    fx::Effect* effect = Load(
        "two.fx",
        SolidEffect(
            "pass A { VertexShader = compile vs_2_0 VS(); PixelShader = compile ps_2_0 PS(); }\n"
            "pass B { VertexShader = compile vs_2_0 VS(); PixelShader = compile ps_2_0 Green(); "
            "}\n"));
    ASSERT_NE(effect, nullptr);
    EXPECT_NE(effect->GetCurrentTechnique(), nullptr);
    EXPECT_LT(effect->BeginPass(0), 0) << "BeginPass without Begin";
    EXPECT_LT(effect->EndPass(), 0);
    EXPECT_LT(effect->End(), 0);
    uint32_t passes = 0;
    ASSERT_EQ(effect->Begin(&passes, 0), D3D_OK);
    EXPECT_EQ(passes, 2u);
    EXPECT_LT(effect->BeginPass(2), 0) << "pass out of range";
    EXPECT_LT(effect->CommitChanges(), 0) << "no pass begun";
    EXPECT_EQ(effect->End(), D3D_OK);
    RunPass(effect, 1, FullScreen);
    ExpectNear(At(10, 10), {0, 255, 0}, "second pass");
    RunPass(effect, 0, FullScreen);
    ExpectNear(At(10, 10), {255, 0, 0}, "first pass");
    effect->Release();
}

TEST_P(GlEffectTest, MatrixByNamePlacesGeometryWhereDirect3DWould) {
    fx::Effect* effect =
        Load("matrix.fx",
             "float4x4 matWVP;\n"
             "float4 VS(float4 p : POSITION) : POSITION { return mul(p, matWVP); }\n"
             "float4 PS() : COLOR { return float4(1, 1, 1, 1); }\n"
             "technique T { pass P { VertexShader = compile vs_2_0 VS(); PixelShader = compile "
             "ps_2_0 PS(); CullMode = None; } }\n");
    ASSERT_NE(effect, nullptr);
    // Direct3D layout: scale x by 0.5, translation (0.5, 0.5) in elements 12 and 13.
    const float m[16] = {0.5f, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0.5f, 0.5f, 0, 1};
    ASSERT_EQ(effect->SetMatrix("matWVP", m), D3D_OK);
    // Quad x in [-0.2, 0.2] -> [0.4, 0.6]; y in [-0.2, 0.2] -> [0.3, 0.7]: upper right.
    RunPass(effect, 0, [] { DrawQuad(-0.2f, -0.2f, 0.2f, 0.2f); });
    ExpectNear(At(48, 16), {255, 255, 255}, "upper right, inside");
    ExpectNear(At(44, 16), {0, 0, 0}, "x scaled: left edge at column 44.8");
    ExpectNear(At(48, 48), {0, 0, 0}, "lower right stays empty");
    ExpectNear(At(16, 16), {0, 0, 0}, "upper left stays empty");
    effect->Release();
}

TEST_P(GlEffectTest, InitialValuesApplyUntilSetAndCommitChangesUploads) {
    fx::Effect* effect = Load("initial.fx",
                              "float4 tint = float4(0, 1, 0, 1);\n"
                              "float scale = 0.5;\n"
                              "float2 shift = {0.25, -0.25};\n"
                              "float4 VS(float4 p : POSITION) : POSITION { return p; }\n"
                              "float4 PS() : COLOR { return float4(tint.rgb * scale + "
                              "float3(shift, 0) * 0, 1) + float4(shift.x, 0, 0, 0); }\n"
                              "technique T { pass P { VertexShader = compile vs_2_0 VS(); "
                              "PixelShader = compile ps_2_0 PS(); CullMode = None; } }\n");
    ASSERT_NE(effect, nullptr);
    RunPass(effect, 0, FullScreen);
    ExpectNear(At(5, 5), {64, 128, 0}, "initial values");
    const float blue[4] = {0, 0, 1, 1};
    EXPECT_EQ(effect->SetFloatArray("tint", blue, 4), D3D_OK);
    EXPECT_EQ(effect->SetFloat("scale", 1.0f), D3D_OK);
    RunPass(effect, 0, FullScreen);
    ExpectNear(At(5, 5), {64, 0, 255}, "set values");

    // Inside a pass a change takes effect at CommitChanges, not before.
    device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
    uint32_t passes = 0;
    effect->Begin(&passes, 0);
    effect->BeginPass(0);
    const float red[4] = {1, 0, 0, 1};
    effect->SetFloatArray("tint", red, 4);
    DrawQuad(-1, -1, 0, 1);  // left half: still blue
    EXPECT_EQ(effect->CommitChanges(), D3D_OK);
    DrawQuad(0, -1, 1, 1);  // right half: red
    effect->EndPass();
    effect->End();
    device_->Present(nullptr, nullptr, nullptr, nullptr);
    ExpectNear(At(10, 32), {64, 0, 255}, "before CommitChanges");
    ExpectNear(At(54, 32), {255, 0, 0}, "after CommitChanges");
    effect->Release();
}

TEST_P(GlEffectTest, IntParametersTakeFloatsNoIntHoldsAsTheX86ConversionDoes) {
    // 3e9 and NaN have no int value: like x86 they become INT32_MIN, never undefined behaviour.
    fx::Effect* effect = Load("int.fx",
                              "int n = 3e9;\n"
                              "float4 VS(float4 p : POSITION) : POSITION { return p; }\n"
                              "float4 PS() : COLOR { return float4(n == -2147483647 - 1 ? 1 : 0, "
                              "n == -7 ? 1 : 0, 0, 1); }\n"
                              "technique T { pass P { VertexShader = compile vs_2_0 VS(); "
                              "PixelShader = compile ps_2_0 PS(); CullMode = None; } }\n");
    ASSERT_NE(effect, nullptr);
    const struct {
        float value;
        Pixel expected;
    } cases[] = {{-7.9f, {0, 255, 0}}, {std::nanf(""), {255, 0, 0}}, {-7.0f, {0, 255, 0}},
                 {-3e9f, {255, 0, 0}}, {2147483648.0f, {255, 0, 0}}, {-2147483648.0f, {255, 0, 0}}};
    RunPass(effect, 0, FullScreen);
    ExpectNear(At(5, 5), {255, 0, 0}, "initial value 3e9");
    for (const auto& c : cases) {
        EXPECT_EQ(effect->SetFloat("n", c.value), D3D_OK);
        RunPass(effect, 0, FullScreen);
        ExpectNear(At(5, 5), c.expected, std::to_string(c.value).c_str());
    }
    effect->Release();
}

// The sampler bound to a unit during a pass, as "filters and addressing" text.
std::string SamplerState(GLuint unit) {
    glActiveTexture(GL_TEXTURE0 + unit);
    GLint sampler = 0;
    glGetIntegerv(GL_SAMPLER_BINDING, &sampler);
    glActiveTexture(GL_TEXTURE0);
    auto name = [&](GLenum parameter) {
        GLint v = 0;
        glGetSamplerParameteriv(GLuint(sampler), parameter, &v);
        switch (v) {
            case GL_NEAREST:
                return "nearest";
            case GL_LINEAR:
                return "linear";
            case GL_REPEAT:
                return "repeat";
            case GL_MIRRORED_REPEAT:
                return "mirror";
            case GL_CLAMP_TO_EDGE:
                return "clamp";
            case GL_CLAMP_TO_BORDER:
                return "border";
            case GL_MIRROR_CLAMP_TO_EDGE:
                return "mirror-once";
            default:
                return "?";
        }
    };
    return std::string("min ") + name(GL_TEXTURE_MIN_FILTER) + " mag " +
           name(GL_TEXTURE_MAG_FILTER) + " uvw " + name(GL_TEXTURE_WRAP_S) + " " +
           name(GL_TEXTURE_WRAP_T) + " " + name(GL_TEXTURE_WRAP_R);
}

TEST_P(GlEffectTest, TwoTexturesReachTheirOwnSamplersWithTheirStates) {
    fx::Effect* effect = Load("textures.fx",
                              "texture tex0;\ntexture tex1;\n"
                              "sampler first = sampler_state { Texture = <tex0>; MinFilter = "
                              "Point; MagFilter = Linear; AddressU = Mirror; AddressV = Border; "
                              "AddressW = MirrorOnce; };\n"
                              "sampler2D second = sampler_state { Texture = (tex1); MinFilter = "
                              "Linear; MagFilter = Point; AddressU = Clamp; AddressV = Wrap; };\n"
                              "struct V { float4 p : POSITION; float2 uv : TEXCOORD0; };\n"
                              "V VS(V v) { return v; }\n"
                              "float4 PS(float2 uv : TEXCOORD0) : COLOR { return "
                              "float4(tex2D(first, uv).r, tex2D(second, uv).g, 0, 1); }\n"
                              "technique T { pass P { VertexShader = compile vs_2_0 VS(); "
                              "PixelShader = compile ps_2_0 PS(); CullMode = None; } }\n");
    ASSERT_NE(effect, nullptr);
    Texture* red = SolidTexture(0xFFFF0000);
    Texture* green = SolidTexture(0xFF00FF00);
    ASSERT_EQ(effect->SetTexture("tex0", red), D3D_OK);
    ASSERT_EQ(effect->SetTexture("tex1", green), D3D_OK);
    vmtest::Lines states;
    RunPass(effect, 0, [&] {
        states = {SamplerState(0), SamplerState(1)};
        FullScreen();
    });
    // OpenGL ES has no border or mirror-once addressing: clamping and mirroring stand in.
    EXPECT_LINES(states, (vmtest::Lines{flavour_ == Flavour::Desktop
                                            ? "min nearest mag linear uvw mirror border mirror-once"
                                            : "min nearest mag linear uvw mirror clamp mirror",
                                        "min linear mag nearest uvw clamp repeat repeat"}));
    ExpectNear(At(32, 32), {255, 255, 0}, "red from tex0 plus green from tex1");
    ASSERT_EQ(effect->SetTexture("tex1", red), D3D_OK);
    RunPass(effect, 0, FullScreen);
    ExpectNear(At(32, 32), {255, 0, 0}, "tex1 replaced");
    red->Release();
    green->Release();
    effect->Release();  // drops the effect's texture references
}

TEST_P(GlEffectTest, VaryingsMeetBySemanticWhateverTheirOrder) {
    fx::Effect* effect =
        Load("varyings.fx",
             "struct O { float4 p : POSITION; float4 a : TEXCOORD0; float4 b : TEXCOORD1; float4 c "
             ": COLOR0; };\n"
             "O VS(float4 p : POSITION) { O o; o.p = p; o.a = float4(1, 0, 0, 0); o.b = float4(0, "
             "1, 0, 0); o.c = float4(0, 0, 1, 0); return o; }\n"
             "float4 PS(float4 c : COLOR0, float4 b : TEXCOORD1, float4 a : TEXCOORD0) : COLOR { "
             "return float4(a.r, b.g * 0.5, c.b * 0.25, 1); }\n"
             "technique T { pass P { VertexShader = compile vs_2_0 VS(); PixelShader = compile "
             "ps_2_0 PS(); CullMode = None; } }\n");
    ASSERT_NE(effect, nullptr);
    RunPass(effect, 0, FullScreen);
    ExpectNear(At(32, 32), {255, 128, 64}, "each input from its own semantic");
    effect->Release();
}

TEST_P(GlEffectTest, RealisticEffectsLoadAndTakeTheirParameters) {
    const float values[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    const struct {
        const char* file;
        uint32_t passes;
        std::vector<const char*> matrices, floats;
    } cases[] = {{"pig.fx",
                  4,
                  {"matWorldViewProjection", "matWorldView", "matWorld"},
                  {"CameraPosition", "DiffuseColor", "FogEnd", "FadeEnd"}},
                 {"gaussian.fx", 1, {"matProjection"}, {"offset", "radius"}}};
    for (const auto& c : cases) {
        std::ifstream source(std::string(VM_FX_TEST_DATA) + "/" + c.file);
        const std::string path =
            Write(c.file, std::string(std::istreambuf_iterator<char>(source), {}));
        fx::Effect* effect = nullptr;
        std::string messages;
        ASSERT_EQ(fx::CreateEffectFromFile(device_, path.c_str(), 1, &effect, &messages), D3D_OK)
            << messages;
        uint32_t passes = 0;
        effect->Begin(&passes, 0);
        effect->End();
        EXPECT_EQ(passes, c.passes) << c.file;
        for (const char* m : c.matrices) EXPECT_EQ(effect->SetMatrix(m, values), D3D_OK) << m;
        for (const char* f : c.floats) EXPECT_EQ(effect->SetFloatArray(f, values, 1), D3D_OK) << f;
        EXPECT_EQ(effect->SetTexture("tex0", nullptr), D3D_OK);
        // Unknown names and wrong types fail quietly.
        EXPECT_LT(effect->SetFloat("nothing", 1.0f), 0);
        EXPECT_LT(effect->SetMatrix("tex0", values), 0);
        EXPECT_LT(effect->SetTexture(c.matrices[0], nullptr), 0);
        effect->Release();
    }
}

TEST_P(GlEffectTest, FailuresNameTheFileAndLine) {
    // Baked: a missing file bakes into its failure; a folder has no baked file beside it.
    auto Absent = [](const char* name) {
        const std::string path = dir_->File(name);
        Bake(path);
        return path;
    };
    struct Case {
        const char* name;
        std::string text;
        const char* where;  // expected "(line," of the first error
        const char* words;
    };
    // Compiler and pre-pass errors have their own tests; these check the file-and-line prefix and
    // the errors only linking finds.
    const Case cases[] = {
        {"syntax.fx", "float4 c;\nfloat4 VS(float4 p : POSITION) : POSITION\n{\n  return p +;\n}\n",
         "(4,", "error"},
        {"position.fx",
         "float4 VS(float4 p : POSITION) : TEXCOORD0 { return p; }\nfloat4 PS() : COLOR { return "
         "1; }\ntechnique T { pass P {\n VertexShader = compile vs_2_0 VS();\n PixelShader = "
         "compile ps_2_0 PS(); } }\n",
         "(4,", "POSITION"},
        {"unread.fx",
         "float4 VS(float4 p : POSITION) : POSITION { return p; }\nfloat4 PS(float2 t : TEXCOORD3) "
         ": COLOR { return t.xyxy; }\ntechnique T { pass P {\n VertexShader = compile vs_2_0 VS(); "
         "PixelShader = compile ps_2_0 PS(); } }\n",
         "(3,", "TEXCOORD3"},
    };
    for (const Case& c : cases) {
        std::string path = Write(c.name, c.text);
        fx::Effect* effect = reinterpret_cast<fx::Effect*>(1);
        std::string messages;
        EXPECT_EQ(fx::CreateEffectFromFile(device_, path.c_str(), 0, &effect, &messages),
                  D3DXERR_INVALIDDATA)
            << c.name;
        EXPECT_EQ(effect, nullptr);
        EXPECT_EQ(messages.rfind(path + c.where, 0), 0u) << c.name << ": " << messages;
        EXPECT_NE(messages.find(c.words), std::string::npos) << c.name << ": " << messages;
    }
    // Files refused before compiling: one line at (1,1), the reader's size guard included.
    const struct {
        std::string path;
        HRESULT result;
        const char* why;
    } refused[] = {
        {Absent("absent.fx"), E_FAIL, "cannot open the file"},
        {dir_->Path().string(), E_FAIL, "cannot open the file"},
        {Write("binary.fx", std::string("\x89PNG\0\0garbage", 13)), D3DXERR_INVALIDDATA,
         "not a text file"},
        {Write("huge.fx", std::string((4 << 20) + 1, ' ')), D3DXERR_INVALIDDATA,
         "the file is too large for an effect"},
    };
    for (const auto& r : refused) {
        fx::Effect* effect = nullptr;
        std::string messages;
        EXPECT_EQ(fx::CreateEffectFromFile(device_, r.path.c_str(), 0, &effect, &messages),
                  r.result);
        EXPECT_EQ(messages, r.path + "(1,1): error: " + r.why + "\n");
        if (effect) effect->Release();
    }
}

TEST_P(GlEffectTest, EffectWithoutTechniqueHasNoCurrentTechnique) {
    fx::Effect* effect =
        Load("none.fx", "float4 c = {1, 1, 1, 1};\nfloat4 PS() : COLOR { return c; }\n");
    ASSERT_NE(effect, nullptr);
    EXPECT_EQ(effect->GetCurrentTechnique(), nullptr);
    uint32_t passes = 7;
    EXPECT_LT(effect->Begin(&passes, 0), 0);
    EXPECT_EQ(passes, 0u);
    EXPECT_EQ(effect->SetFloatArray("c", std::array<float, 4>{}.data(), 4), D3D_OK);
    effect->Release();
}

}  // namespace

namespace {

// Baked files hold GLSL ES: the desktop device refuses them; a damaged one is refused on any.
TEST_P(GlEffectTest, BakedFilesNeedTheEsDeviceAndWholeBytes) {
    const std::string path = dir_->Write(
        "baked.fx",
        SolidEffect("pass P { VertexShader = compile vs_2_0 VS(); PixelShader = compile ps_2_0 "
                    "PS(); }\n"));
    std::ofstream(path + ".baked", std::ios::binary) << fx::BakeEffectFile(path).bytes;
    fx::SetEffectSource(fx::EffectSource::Baked);
    fx::Effect* effect = nullptr;
    std::string messages;
    const HRESULT hr = fx::CreateEffectFromFile(device_, path.c_str(), 0, &effect, &messages);
    if (flavour_ == Flavour::Desktop) {
        EXPECT_EQ(hr, D3DERR_INVALIDCALL);
        EXPECT_EQ(messages, path + "(1,1): error: baked effects need the OpenGL ES device\n");
    } else {
        EXPECT_EQ(hr, D3D_OK) << messages;
    }
    if (effect) effect->Release();
    std::ofstream(path + ".baked", std::ios::binary) << "VMFXBAKE";
    EXPECT_EQ(fx::CreateEffectFromFile(device_, path.c_str(), 0, &effect, &messages),
              D3DXERR_INVALIDDATA);
    EXPECT_EQ(effect, nullptr);
    EXPECT_EQ(messages, path + "(1,1): error: the baked effect is damaged: the file ends early\n");
}

}  // namespace
