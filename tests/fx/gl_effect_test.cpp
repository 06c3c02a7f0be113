// Effects on a real headless OpenGL device, pixels read back from its target. The effect
// files under data/ check themselves: each pass draws green where it works, red where not. Every
// case runs three ways: desktop OpenGL, OpenGL ES 3.0 (the browser's flavour) compiling at load
// time, and OpenGL ES 3.0 loading what baking gave, as the browser build does.
#include <epoxy/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "gfx/device_fixture.h"
#include "platform/fx/fx.h"
#include "platform/fx/fx_baker.h"
#include "platform/gfx/gfx.h"
#include "support/call_lines.h"
#include "support/scratch_dir.h"

namespace {

using namespace gfx;

using gfx_test::Rgba;
constexpr Rgba kBlack{0, 0, 0, 255}, kGreen{0, 255, 0, 255}, kRed{255, 0, 0, 255};

enum class Flavour { Desktop, Es, EsBaked };

// The gfx tests' headless 64 x 32 device, with a depth-stencil surface.
class GlEffectTest : public gfx_test::DeviceTest, public ::testing::WithParamInterface<Flavour> {
  protected:
    void SetUp() override {
        provider_ = GetParam() == Flavour::Desktop ? ContextProvider::Headless
                                                   : ContextProvider::HeadlessEs;
        fx::SetEffectSource(GetParam() == Flavour::EsBaked ? fx::EffectSource::Baked
                                                           : fx::EffectSource::Compile);
        // Baked files go beside their effects: the baked flavour reads a copy of the data.
        if (GetParam() == Flavour::EsBaked)
            std::filesystem::copy(VM_FX_TEST_DATA, dir_.Path() / "data",
                                  std::filesystem::copy_options::recursive);
        DeviceTest::SetUp();
        Surface* depth = nullptr;
        ASSERT_EQ(
            device_->CreateDepthStencilSurface(kWidth, kHeight, D3DFMT_D24S8, 0, 0, 0, &depth),
            D3D_OK);
        device_->SetDepthStencilSurface(depth);
        depth->Release();
        device_->SetRenderState(D3DRS_ZENABLE, 0);
    }

    void TearDown() override {
        DeviceTest::TearDown();
        fx::SetEffectSource(fx::EffectSource::Compile);
    }

    std::string Data(const std::string& file) const {
        return GetParam() == Flavour::EsBaked ? (dir_.Path() / "data" / file).string()
                                              : std::string(VM_FX_TEST_DATA) + "/" + file;
    }
    // The effect at path, baked beside it first in the baked flavour.
    const std::string& Ready(const std::string& path) {
        if (GetParam() == Flavour::EsBaked)
            std::ofstream(path + ".baked", std::ios::binary) << fx::BakeEffectFile(path).bytes;
        return path;
    }

    fx::Effect* Load(const std::string& path) {
        std::string messages;
        fx::Effect* effect = nullptr;
        EXPECT_EQ(fx::CreateEffectFromFile(device_, Ready(path).c_str(), 0, &effect, &messages),
                  D3D_OK)
            << messages;
        return effect;
    }

    void FullScreen() { DrawRect(-1, 1, 1, -1); }

    // Clears the target (not depth or stencil), runs one pass around draw(), reads the target.
    void RunPass(fx::Effect* effect, uint32_t pass, const std::function<void()>& draw = {}) {
        device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
        uint32_t passes = 0;
        EXPECT_EQ(effect->Begin(&passes, 0), D3D_OK);
        EXPECT_EQ(effect->BeginPass(pass), D3D_OK);
        draw ? draw() : FullScreen();
        EXPECT_EQ(effect->EndPass(), D3D_OK);
        EXPECT_EQ(effect->End(), D3D_OK);
        picture_ = Presented();
    }

    void ExpectAt(uint32_t x, uint32_t y, Rgba want, const std::string& where) {
        want[3] = picture_.At(x, y)[3];
        EXPECT_PRED3(gfx_test::Near, picture_.At(x, y), want, 3) << where;
    }

    // A solid-colour texture made by clearing a render-target texture.
    Texture* SolidTexture(uint32_t argb) {
        Texture* texture = nullptr;
        Surface *surface = NewTextureTarget(8, 8, &texture, D3DFMT_A8R8G8B8), *target = nullptr;
        device_->GetRenderTarget(0, &target);
        device_->SetRenderTarget(0, surface);
        device_->Clear(0, nullptr, D3DCLEAR_TARGET, argb, 1.0f, 0);
        device_->SetRenderTarget(0, target);
        surface->Release();
        target->Release();
        return texture;
    }

    gfx_test::Picture picture_;
    vmtest::ScratchDir dir_{"vm-fx-gl"};
};

// Every pass of every file in turn, probed at (x, y); textures "green" and "red" are solid, and
// matWVP and the device's transforms scale by 0.5 and move right (and up) by 0.5.
TEST_P(GlEffectTest, EffectFilesRunPassByPass) {
    // clang-format off
    const struct {
        const char* file;
        uint32_t pass = 0, x = 32, y = 16;
        Rgba want = kGreen;
    } rows[] = {
        {"blend.fx", 0, 48, 8, {128, 0, 0, 0}}, {"blend.fx", 1, 48, 8},
        {"blend.fx", 1, 48, 24, kBlack}, {"blend.fx", 1, 16, 8, kBlack},
        {"varyings.fx"}, {"bool.fx"}, {"strings.fx"}, {"include.fx"}, {"constants.fx"},
        {"semantics.fx"}, {"cube_volume.fx", 0}, {"cube_volume.fx", 1},
        {"pixel_only.fx", 0, 60}, {"pixel_only.fx", 0, 16, 16, kBlack}, {"pixel_only.fx", 1, 60},
        {"compile_arguments.fx", 0}, {"compile_arguments.fx", 1}, {"compile_arguments.fx", 2},
        {"compile_arguments.fx", 3}, {"compile_arguments.fx", 4},
        {"states.fx", 0, 32, 16, kBlack}, {"states.fx", 1, 32, 16, kBlack}, {"states.fx", 2},
        {"states.fx", 3, 32, 16, kBlack}, {"states.fx", 4}, {"states.fx", 5, 16, 20, kBlack},
        {"states.fx", 6}, {"states.fx", 7}, {"states.fx", 8}};
    // clang-format on
    Texture* green = SolidTexture(0xFF00FF00);
    Texture* red = SolidTexture(0xFFFF0000);
    // A cube whose -Z face is green, a volume whose last slice is green, the rest red.
    CubeTexture* sky = nullptr;
    VolumeTexture* fog = nullptr;
    ASSERT_EQ(
        device_->CreateCubeTexture(4, 1, D3DUSAGE_NONE, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &sky),
        D3D_OK);
    ASSERT_EQ(device_->CreateVolumeTexture(2, 2, 4, 1, D3DUSAGE_NONE, D3DFMT_A8R8G8B8,
                                           D3DPOOL_MANAGED, &fog),
              D3D_OK);
    LockedRect face;
    LockedBox box;
    for (uint32_t f = D3DCUBEMAP_FACE_POSITIVE_X; f <= D3DCUBEMAP_FACE_NEGATIVE_Z; ++f) {
        ASSERT_EQ(sky->LockRect(D3DCUBEMAP_FACES(f), 0, &face, nullptr, 0), D3D_OK);
        std::fill_n(static_cast<uint32_t*>(face.pBits), 16, f == 5 ? 0xFF00FF00u : 0xFFFF0000u);
        EXPECT_EQ(sky->UnlockRect(D3DCUBEMAP_FACES(f), 0), D3D_OK);
    }
    ASSERT_EQ(fog->LockBox(0, &box, nullptr, 0), D3D_OK);
    std::fill_n(static_cast<uint32_t*>(box.pBits), 16, 0xFFFF0000u);
    std::fill_n(static_cast<uint32_t*>(box.pBits) + 12, 4, 0xFF00FF00u);
    EXPECT_EQ(fog->UnlockBox(0), D3D_OK);
    // Direct3D layout: translation in elements 12..14. Fixed function: x in [0, 1] only if world
    // comes before view.
    const float world[16] = {0.5f, 0, 0, 0, 0, 0.5f, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    const float view[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0.5f, 0, 0, 1};
    const float wvp[16] = {0.5f, 0, 0, 0, 0, 0.5f, 0, 0, 0, 0, 1, 0, 0.5f, 0.5f, 0, 1};
    device_->SetTransform(D3DTS_WORLD, world);
    device_->SetTransform(D3DTS_VIEW, view);
    device_->Clear(0, nullptr, D3DCLEAR_STENCIL, 0, 1.0f, 0);
    for (const auto& row : rows) {
        fx::Effect* effect = Load(Data(row.file));
        ASSERT_NE(effect, nullptr) << row.file;
        for (auto [name, t] : {std::pair<const char*, Texture*>{"green", green},
                               {"red", red},
                               {"sky", sky},
                               {"fog", fog}})
            effect->SetTexture(name, t);
        effect->SetMatrix("matWVP", wvp);
        RunPass(effect, row.pass);
        // OpenGL ES has no polygon mode and no border colour: wireframe draws solid, and the
        // border reads the edge.
        const bool es = GetParam() != Flavour::Desktop && std::string(row.file) == "states.fx";
        ExpectAt(row.x, row.y,
                 es && row.pass == 5   ? kGreen
                 : es && row.pass == 7 ? kRed
                                       : row.want,
                 std::string(row.file) + " pass " + std::to_string(row.pass) + " at " +
                     std::to_string(row.x) + "," + std::to_string(row.y));
        effect->Release();
    }
    for (Texture* t : std::initializer_list<Texture*>{green, red, sky, fog}) t->Release();
    uint32_t stencil = 9;
    device_->GetRenderState(D3DRS_STENCILENABLE, &stencil);
    EXPECT_EQ(stencil, 0u) << "End restores what the passes set";
}

TEST_P(GlEffectTest, ParametersApplyUntilSetAndCommitChangesUploads) {
    fx::Effect* effect = Load(Data("parameters.fx"));
    ASSERT_NE(effect, nullptr);
    // Misuse of the protocol fails.
    uint32_t passes = 0;
    EXPECT_LT(effect->BeginPass(0) & effect->EndPass() & effect->End(), 0) << "without Begin";
    ASSERT_EQ(effect->Begin(&passes, 0), D3D_OK);
    EXPECT_EQ(passes, 1u);
    EXPECT_LT(effect->Begin(&passes, 0) & effect->BeginPass(1) & effect->CommitChanges(), 0);
    EXPECT_EQ(effect->End(), D3D_OK);
    RunPass(effect, 0);
    ExpectAt(5, 5, {0, 128, 255}, "initial values");
    const float blue[4] = {0, 0, 1, 1}, red[4] = {1, 0, 0, 1};
    EXPECT_EQ(effect->SetFloatArray("tint", blue, 4), D3D_OK);
    EXPECT_EQ(effect->SetFloat("scale", 1.0f), D3D_OK);
    // No int holds 3e9 or NaN: like x86 they become INT32_MIN, never undefined behaviour.
    const std::pair<float, uint8_t> ints[] = {
        {-7.9f, 128}, {std::nanf(""), 255}, {-7.0f, 128}, {-3e9f, 255}, {2147483648.0f, 255}};
    for (auto [n, b] : ints) {
        EXPECT_EQ(effect->SetFloat("n", n), D3D_OK);
        RunPass(effect, 0);
        ExpectAt(5, 5, {0, 0, b}, "n = " + std::to_string(n));
    }
    // Inside a pass a change takes effect at CommitChanges, not before.
    RunPass(effect, 0, [&] {
        effect->SetFloatArray("tint", red, 4);
        DrawRect(-1, 1, 0, -1);  // left half: still no red
        EXPECT_EQ(effect->CommitChanges(), D3D_OK);
        DrawRect(0, 1, 1, -1);
    });
    ExpectAt(10, 16, {0, 0, 255}, "before CommitChanges");
    ExpectAt(54, 16, {255, 0, 255}, "after CommitChanges");
    // Unknown names and wrong types fail quietly.
    EXPECT_LT(effect->SetFloat("nothing", 1) & effect->SetMatrix("tint", red), 0);
    EXPECT_LT(effect->SetTexture("tint", nullptr), 0);
    effect->Release();
    effect = Load(dir_.Write("none.fx", "float4 c = {1, 1, 1, 1};\n"));
    ASSERT_NE(effect, nullptr);
    EXPECT_EQ(effect->GetCurrentTechnique(), nullptr) << "no technique";
    EXPECT_LT(effect->Begin(&passes, 0), 0);
    EXPECT_EQ(passes, 0u);
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

TEST_P(GlEffectTest, TwoTexturesReachTheirOwnSamplersWithTheirStates) {
    fx::Effect* effect = Load(Data("textures.fx"));
    ASSERT_NE(effect, nullptr);
    Texture* red = SolidTexture(0xFFFF0000);
    Texture* green = SolidTexture(0xFF00FF00);
    Texture* blue = SolidTexture(0xFF0000FF);
    ASSERT_EQ(device_->SetTexture(1, blue), D3D_OK);
    ASSERT_EQ(effect->SetTexture("tex0", red), D3D_OK);
    ASSERT_EQ(effect->SetTexture("tex1", green), D3D_OK);
    vmtest::Lines states;
    RunPass(effect, 0, [&] {
        states = {SamplerState(0), SamplerState(1)};
        FullScreen();
    });
    // OpenGL ES 3.0 has neither border nor mirror-once addressing: the nearest it has.
    EXPECT_LINES(states, (vmtest::Lines{GetParam() == Flavour::Desktop
                                            ? "nearest linear mirror border mirror-once"
                                            : "nearest linear mirror clamp mirror",
                                        "linear nearest clamp repeat repeat"}));
    ExpectAt(32, 16, {255, 255, 255}, "red from tex0, green from tex1, blue from stage 1");
    ASSERT_EQ(effect->SetTexture("tex1", red), D3D_OK);
    ASSERT_EQ(device_->SetTexture(1, nullptr), D3D_OK);
    RunPass(effect, 0);
    ExpectAt(32, 16, kRed, "tex1 replaced, stage 1 cleared");
    RunPass(effect, 0, [&] {
        device_->SetTexture(1, blue);
        effect->CommitChanges();
        FullScreen();
    });
    ExpectAt(32, 16, {255, 0, 255}, "stage 1 set inside the pass and committed");
    EXPECT_EQ(device_->SetTexture(gfx::Device::kTextureStages, blue), D3DERR_INVALIDCALL);
    for (Unknown* object : std::initializer_list<Unknown*>{red, green, blue, effect})
        object->Release();
}

// Every message names the file and line a user wrote, once.
TEST_P(GlEffectTest, FailuresNameTheFileAndLine) {
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
        {(dir_.Path() / "absent.fx").string(), "(1,1): error: cannot open the file\n", ""},
        {dir_.Path().string(), "(1,1): error: cannot open the file\n", ""},
        {dir_.Write("binary.fx", std::string("\x89PNG\0\0garbage", 13)),
         "(1,1): error: not a text file\n", ""},
        {dir_.Write("huge.fx", std::string((4 << 20) + 1, ' ')),
         "(1,1): error: the file is too large for an effect\n", ""},
    };
    for (const auto& c : cases) {
        const std::string effectPath =
            c.path == Data("include/broken.fxh") ? Data("errors/include_error.fx") : c.path;
        fx::Effect* effect = reinterpret_cast<fx::Effect*>(1);
        std::string messages;
        EXPECT_EQ(
            fx::CreateEffectFromFile(device_, Ready(effectPath).c_str(), 0, &effect, &messages),
            c.at.find("open") != std::string::npos ? E_FAIL : D3DXERR_INVALIDDATA);
        EXPECT_EQ(effect, nullptr);
        if (c.words.empty()) {
            EXPECT_EQ(messages, c.path + c.at);
        } else {
            EXPECT_EQ(messages.rfind(c.path + c.at, 0), 0u) << messages;
            EXPECT_NE(messages.find(c.words), std::string::npos) << messages;
        }
    }
}

std::string FlavourName(const ::testing::TestParamInfo<Flavour>& info) {
    return info.param == Flavour::Desktop ? "Desktop"
           : info.param == Flavour::Es    ? "Es"
                                          : "EsBaked";
}
INSTANTIATE_TEST_SUITE_P(Flavours, GlEffectTest,
                         ::testing::Values(Flavour::Desktop, Flavour::Es, Flavour::EsBaked),
                         FlavourName);

}  // namespace
