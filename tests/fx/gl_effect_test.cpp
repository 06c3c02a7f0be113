// Effects on a real headless OpenGL device: pixels read back through the frame sink. The effect
// files under data/ check themselves: each pass draws green where it works, red where not.
#include <epoxy/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "platform/fx/fx.h"
#include "platform/gfx/gfx.h"
#include "support/call_lines.h"
#include "support/scratch_dir.h"

namespace {

using namespace gfx;

constexpr uint32_t kSize = 64;

struct Pixel {
    int r, g, b;
};
constexpr Pixel kBlack{0, 0, 0}, kGreen{0, 255, 0}, kRed{255, 0, 0};

std::string Data(const std::string& file) {
    return std::string(VM_FX_TEST_DATA) + "/" + file;
}

// One device for the whole suite: a context costs more than every test together.
class GlEffectTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        Config config;
        config.provider = ContextProvider::Headless;
        config.frameSink = [](const gfx::Frame& f) {
            frame_.assign(f.rgba, f.rgba + size_t(f.width) * f.height * 4);
            frameWidth_ = f.width;
        };
        Configure(config);
        adapter_ = Direct3DCreate9(D3D_SDK_VERSION);
        ASSERT_NE(adapter_, nullptr);
        PresentParameters pp;
        pp.BackBufferWidth = pp.BackBufferHeight = kSize;
        pp.BackBufferFormat = D3DFMT_X8R8G8B8;
        pp.BackBufferCount = 1;
        pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
        pp.Windowed = 1;
        ASSERT_EQ(adapter_->CreateDevice(0, D3DDEVTYPE_HAL, nullptr,
                                         D3DCREATE_HARDWARE_VERTEXPROCESSING, &pp, &device_),
                  D3D_OK);
        const VertexElement elements[] = {
            {0, 0, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0},
            {0, 12, D3DDECLTYPE_FLOAT2, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 0},
            D3DDECL_END,
        };
        ASSERT_EQ(device_->CreateVertexDeclaration(elements, &declaration_), D3D_OK);
        Surface* depth = nullptr;  // for the stencil
        ASSERT_EQ(device_->CreateDepthStencilSurface(kSize, kSize, D3DFMT_D24S8, 0, 0, 0, &depth),
                  D3D_OK);
        device_->SetDepthStencilSurface(depth);
        depth->Release();
        dir_ = new vmtest::ScratchDir("vm-fx-gl");
    }
    static void TearDownTestSuite() {
        if (declaration_) declaration_->Release();
        if (device_) device_->Release();
        if (adapter_) adapter_->Release();
        delete dir_;
    }

    void SetUp() override {
        ASSERT_NE(device_, nullptr);
        // Direct3D defaults; the quads are clockwise, so CCW culling keeps them.
        device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
        device_->SetRenderState(D3DRS_ALPHABLENDENABLE, 0);
        device_->SetRenderState(D3DRS_ZENABLE, 0);
    }

    static fx::Effect* Load(const std::string& path) {
        std::string messages;
        fx::Effect* effect = nullptr;
        EXPECT_EQ(fx::CreateEffectFromFile(device_, path.c_str(), 0, &effect, &messages), D3D_OK)
            << messages;
        return effect;
    }

    // A quad from (x0, y0) to (x1, y1) in clip space, uv 0..1.
    static void DrawQuad(float x0, float y0, float x1, float y1) {
        const float v[] = {x0, y0, 0.5f, 0, 1, x1, y0, 0.5f, 1, 1,
                           x1, y1, 0.5f, 1, 0, x0, y1, 0.5f, 0, 0};
        const uint16_t idx[] = {0, 2, 1, 0, 3, 2};
        VertexBuffer* vb = nullptr;
        IndexBuffer* ib = nullptr;
        device_->CreateVertexBuffer(sizeof v, D3DUSAGE_WRITEONLY, 0, D3DPOOL_MANAGED, &vb);
        device_->CreateIndexBuffer(sizeof idx, D3DUSAGE_WRITEONLY, D3DFMT_INDEX16, D3DPOOL_MANAGED,
                                   &ib);
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

    // Clears the back buffer (not depth or stencil), runs one pass around draw(), presents.
    static void RunPass(fx::Effect* effect, uint32_t pass,
                        const std::function<void()>& draw = FullScreen,
                        uint32_t clear = 0xFF000000) {
        device_->Clear(0, nullptr, D3DCLEAR_TARGET, clear, 1.0f, 0);
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
    static void ExpectAt(uint32_t x, uint32_t y, Pixel want, const std::string& where) {
        const uint8_t* p = frame_.data() + (size_t(y) * frameWidth_ + x) * 4;
        EXPECT_NEAR(p[0], want.r, 3) << where;
        EXPECT_NEAR(p[1], want.g, 3) << where;
        EXPECT_NEAR(p[2], want.b, 3) << where;
    }

    // A solid-colour texture made by clearing a render-target texture.
    static Texture* SolidTexture(uint32_t argb) {
        Texture* texture = nullptr;
        device_->CreateTexture(8, 8, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT,
                               &texture);
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

    static inline Adapter* adapter_ = nullptr;
    static inline Device* device_ = nullptr;
    static inline VertexDeclaration* declaration_ = nullptr;
    static inline vmtest::ScratchDir* dir_ = nullptr;
    static inline std::vector<uint8_t> frame_;
    static inline uint32_t frameWidth_ = 0;
};

// Every pass of every file in turn, probed at (x, y); textures "green" and "red" are solid, and
// matWVP and the device's transforms scale by 0.5 and move right (and up) by 0.5.
TEST_F(GlEffectTest, EffectFilesRunPassByPass) {
    const struct {
        const char* file;
        uint32_t pass, x, y;
        Pixel want;
    } rows[] = {
        {"blend.fx", 0, 48, 16, {128, 0, 0}},
        {"blend.fx", 1, 48, 16, kGreen},
        {"blend.fx", 1, 48, 48, kBlack},
        {"blend.fx", 1, 16, 16, kBlack},
        {"varyings.fx", 0, 32, 32, kGreen},
        {"bool.fx", 0, 32, 32, kGreen},
        {"strings.fx", 0, 32, 32, kGreen},
        {"include.fx", 0, 32, 32, kGreen},
        {"constants.fx", 0, 32, 32, kGreen},
        {"semantics.fx", 0, 32, 32, kGreen},
        {"pixel_only.fx", 0, 60, 32, kGreen},
        {"pixel_only.fx", 0, 16, 32, kBlack},
        {"pixel_only.fx", 1, 60, 32, kGreen},
        {"compile_arguments.fx", 0, 32, 32, kGreen},
        {"compile_arguments.fx", 1, 32, 32, kGreen},
        {"compile_arguments.fx", 2, 32, 32, kGreen},
        {"compile_arguments.fx", 3, 32, 32, kGreen},
        {"states.fx", 0, 32, 32, kBlack},
        {"states.fx", 1, 32, 32, kBlack},
        {"states.fx", 2, 32, 32, kGreen},
        {"states.fx", 3, 32, 32, kBlack},
        {"states.fx", 4, 32, 32, kGreen},
        {"states.fx", 5, 16, 40, kBlack},
        {"states.fx", 5, 0, 63, kGreen},
        {"states.fx", 6, 32, 32, kGreen},
        {"states.fx", 7, 32, 32, kGreen},
    };
    Texture* green = SolidTexture(0xFF00FF00);
    Texture* red = SolidTexture(0xFFFF0000);
    // Direct3D layout: translation in elements 12..14. Fixed function: x in [0, 1] only if world
    // comes before view.
    const float world[16] = {0.5f, 0, 0, 0, 0, 0.5f, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    const float view[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0.5f, 0, 0, 1};
    const float identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    const float wvp[16] = {0.5f, 0, 0, 0, 0, 0.5f, 0, 0, 0, 0, 1, 0, 0.5f, 0.5f, 0, 1};
    device_->SetTransform(D3DTS_WORLD, world);
    device_->SetTransform(D3DTS_VIEW, view);
    device_->SetTransform(D3DTS_PROJECTION, identity);
    device_->Clear(0, nullptr, D3DCLEAR_STENCIL, 0, 1.0f, 0);
    for (const auto& row : rows) {
        fx::Effect* effect = Load(Data(row.file));
        ASSERT_NE(effect, nullptr) << row.file;
        effect->SetTexture("green", green);
        effect->SetTexture("red", red);
        effect->SetMatrix("matWVP", wvp);
        RunPass(effect, row.pass);
        ExpectAt(row.x, row.y, row.want,
                 std::string(row.file) + " pass " + std::to_string(row.pass) + " at " +
                     std::to_string(row.x) + "," + std::to_string(row.y));
        effect->Release();
    }
    green->Release();
    red->Release();
    uint32_t stencil = 9;
    device_->GetRenderState(D3DRS_STENCILENABLE, &stencil);
    EXPECT_EQ(stencil, 0u) << "End restores what the passes set";
}

TEST_F(GlEffectTest, MisuseOfTheProtocolFails) {
    fx::Effect* effect = Load(Data("compile_arguments.fx"));
    ASSERT_NE(effect, nullptr);
    EXPECT_LT(effect->BeginPass(0), 0) << "BeginPass without Begin";
    EXPECT_LT(effect->EndPass(), 0);
    EXPECT_LT(effect->End(), 0);
    uint32_t passes = 0;
    ASSERT_EQ(effect->Begin(&passes, 0), D3D_OK);
    EXPECT_EQ(passes, 4u);
    EXPECT_LT(effect->Begin(&passes, 0), 0) << "Begin twice";
    EXPECT_LT(effect->BeginPass(4), 0) << "pass out of range";
    EXPECT_LT(effect->CommitChanges(), 0) << "no pass begun";
    EXPECT_EQ(effect->End(), D3D_OK);
    effect->Release();

    effect = Load(dir_->Write("none.fx", "float4 c = {1, 1, 1, 1};\n"));
    ASSERT_NE(effect, nullptr);
    EXPECT_EQ(effect->GetCurrentTechnique(), nullptr);
    passes = 7;
    EXPECT_LT(effect->Begin(&passes, 0), 0) << "no technique";
    EXPECT_EQ(passes, 0u);
    effect->Release();
}

TEST_F(GlEffectTest, ParametersApplyUntilSetAndCommitChangesUploads) {
    fx::Effect* effect = Load(Data("parameters.fx"));
    ASSERT_NE(effect, nullptr);
    RunPass(effect, 0);
    ExpectAt(5, 5, {0, 128, 255}, "initial values");
    const float blue[4] = {0, 0, 1, 1}, red[4] = {1, 0, 0, 1};
    EXPECT_EQ(effect->SetFloatArray("tint", blue, 4), D3D_OK);
    EXPECT_EQ(effect->SetFloat("scale", 1.0f), D3D_OK);
    // No int holds 3e9 or NaN: like x86 they become INT32_MIN, never undefined behaviour.
    const std::pair<float, int> ints[] = {
        {-7.9f, 128}, {std::nanf(""), 255}, {-7.0f, 128}, {-3e9f, 255}, {2147483648.0f, 255}};
    for (auto [n, b] : ints) {
        EXPECT_EQ(effect->SetFloat("n", n), D3D_OK);
        RunPass(effect, 0);
        ExpectAt(5, 5, {0, 0, b}, "n = " + std::to_string(n));
    }
    // Inside a pass a change takes effect at CommitChanges, not before.
    RunPass(effect, 0, [&] {
        effect->SetFloatArray("tint", red, 4);
        DrawQuad(-1, -1, 0, 1);  // left half: still no red
        EXPECT_EQ(effect->CommitChanges(), D3D_OK);
        DrawQuad(0, -1, 1, 1);
    });
    ExpectAt(10, 32, {0, 0, 255}, "before CommitChanges");
    ExpectAt(54, 32, {255, 0, 255}, "after CommitChanges");
    // Unknown names and wrong types fail quietly.
    EXPECT_LT(effect->SetFloat("nothing", 1.0f), 0);
    EXPECT_LT(effect->SetMatrix("tint", red), 0);
    EXPECT_LT(effect->SetTexture("tint", nullptr), 0);
    effect->Release();
}

// The sampler bound to a unit during a pass, as "filters and addressing" text.
std::string SamplerState(GLuint unit) {
    GLint sampler = 0;
    glActiveTexture(GL_TEXTURE0 + unit);
    glGetIntegerv(GL_SAMPLER_BINDING, &sampler);
    glActiveTexture(GL_TEXTURE0);
    const std::pair<GLint, const char*> names[] = {{GL_NEAREST, "nearest"},
                                                   {GL_LINEAR, "linear"},
                                                   {GL_REPEAT, "repeat"},
                                                   {GL_MIRRORED_REPEAT, "mirror"},
                                                   {GL_CLAMP_TO_EDGE, "clamp"},
                                                   {GL_CLAMP_TO_BORDER, "border"},
                                                   {GL_MIRROR_CLAMP_TO_EDGE, "mirror-once"}};
    std::string text;
    for (GLenum parameter : {GL_TEXTURE_MIN_FILTER, GL_TEXTURE_MAG_FILTER, GL_TEXTURE_WRAP_S,
                             GL_TEXTURE_WRAP_T, GL_TEXTURE_WRAP_R}) {
        GLint v = 0;
        glGetSamplerParameteriv(GLuint(sampler), parameter, &v);
        for (auto [value, name] : names)
            if (v == value) text += (text.empty() ? "" : " ") + std::string(name);
    }
    return text;
}

TEST_F(GlEffectTest, TwoTexturesReachTheirOwnSamplersWithTheirStates) {
    fx::Effect* effect = Load(Data("textures.fx"));
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
    EXPECT_LINES(states, (vmtest::Lines{"nearest linear mirror border mirror-once",
                                        "linear nearest clamp repeat repeat"}));
    ExpectAt(32, 32, {255, 255, 0}, "red from tex0 plus green from tex1");
    ASSERT_EQ(effect->SetTexture("tex1", red), D3D_OK);
    RunPass(effect, 0);
    ExpectAt(32, 32, kRed, "tex1 replaced");
    red->Release();
    green->Release();
    effect->Release();  // drops the effect's texture references
}

// Every message names the file and line a user wrote, once.
TEST_F(GlEffectTest, FailuresNameTheFileAndLine) {
    const struct {
        std::string path, at, words;
    } cases[] = {
        {Data("errors/syntax.fx"), "(4,", "error"},
        {Data("errors/position.fx"), "(4,", "POSITION"},
        {Data("errors/unread.fx"), "(3,", "TEXCOORD3"},
        {Data("errors/arguments.fx"), "(3,", "undefinedName"},
        {Data("include/cycle.fxh"), "(1,", "includes itself"},
        {Data("errors/missing_include.fx"), "(2,", "cannot include"},
        {Data("include/broken.fxh"), "(3,", "undefinedName"},
        // A refused compile statement says so once, without a second message for the pass.
        {Data("errors/refused.fx"), "(2,24): error: profile 'vs_2_0' does not fit PixelShader\n",
         ""},
        // Files refused before compiling: one line at (1,1), the reader's size guard included.
        {(dir_->Path() / "absent.fx").string(), "(1,1): error: cannot open the file\n", ""},
        {dir_->Path().string(), "(1,1): error: cannot open the file\n", ""},
        {dir_->Write("binary.fx", std::string("\x89PNG\0\0garbage", 13)),
         "(1,1): error: not a text file\n", ""},
        {dir_->Write("huge.fx", std::string((4 << 20) + 1, ' ')),
         "(1,1): error: the file is too large for an effect\n", ""},
    };
    for (const auto& c : cases) {
        const bool whole = c.words.empty();
        const std::string effectPath =
            c.path == Data("include/broken.fxh") ? Data("errors/include_error.fx") : c.path;
        fx::Effect* effect = reinterpret_cast<fx::Effect*>(1);
        std::string messages;
        const HRESULT hr =
            fx::CreateEffectFromFile(device_, effectPath.c_str(), 0, &effect, &messages);
        EXPECT_EQ(hr, c.at.find("open") != std::string::npos ? E_FAIL : D3DXERR_INVALIDDATA);
        EXPECT_EQ(effect, nullptr);
        if (whole) {
            EXPECT_EQ(messages, c.path + c.at);
        } else {
            EXPECT_EQ(messages.rfind(c.path + c.at, 0), 0u) << messages;
            EXPECT_NE(messages.find(c.words), std::string::npos) << messages;
        }
    }
}

}  // namespace
