// Frame operations on a real headless context: clears, targets, depth, culling, blending,
// multisample resolve, orientation and Present.
#include <epoxy/gl.h>

#include "gfx/device_fixture.h"
#include "gfx/gl_test_program.h"
#include "platform/gfx/resources.h"

using namespace gfx;
using namespace gfx_test;

namespace {

const Rgba kRed{255, 0, 0, 255};
const Rgba kGreen{0, 255, 0, 255};
const Rgba kBlue{0, 0, 255, 255};
const Rgba kBlack{0, 0, 0, 255};

}  // namespace

TEST_F(DeviceTest, ClearConvertsArgbAndXFormatsReadOpaque) {
    ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0x80FF4020u, 1.0f, 0), D3D_OK);
    EXPECT_EQ(ReadTarget().At(5, 5), (Rgba{255, 64, 32, 255}));  // X8R8G8B8: alpha is 1

    Texture* tex = nullptr;
    Surface* rt = NewTextureTarget(8, 8, &tex, D3DFMT_A8R8G8B8);
    ASSERT_EQ(device_->SetRenderTarget(0, rt), D3D_OK);
    device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0x80FF4020u, 1.0f, 0);
    EXPECT_TRUE(Near(ReadTexture(tex).At(3, 3), Rgba{255, 64, 32, 128}, 1));
    rt->Release();
    tex->Release();
}

TEST_F(DeviceTest, ClearRectsTouchOnlyTheirAreaCountedFromTheTop) {
    device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
    const Rect topLeft{0, 0, 8, 4};
    ASSERT_EQ(device_->Clear(1, &topLeft, D3DCLEAR_TARGET, 0xFFFF0000u, 1.0f, 0), D3D_OK);
    const Picture p = ReadTarget();
    EXPECT_EQ(p.At(0, 0), kRed);
    EXPECT_EQ(p.At(7, 3), kRed);
    EXPECT_EQ(p.At(8, 0), kBlack);
    EXPECT_EQ(p.At(0, 4), kBlack);
    EXPECT_EQ(p.At(0, kHeight - 1), kBlack);
    EXPECT_EQ(device_->Clear(1, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0), D3DERR_INVALIDCALL);
}

TEST_F(DeviceTest, ClearingDepthNeedsADepthSurface) {
    EXPECT_EQ(device_->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0), D3DERR_INVALIDCALL);
    Surface* depth = nullptr;
    ASSERT_EQ(device_->CreateDepthStencilSurface(kWidth, kHeight, D3DFMT_D24X8, 0, 0, 1, &depth), D3D_OK);
    device_->SetDepthStencilSurface(depth);
    EXPECT_EQ(device_->Clear(0, nullptr, D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, 0, 1.0f, 0), D3D_OK);
    EXPECT_EQ(device_->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.5f, 0), D3DERR_INVALIDCALL);
    device_->SetDepthStencilSurface(nullptr);
    depth->Release();
}

TEST_F(DeviceTest, PresentHandsTheSinkTheBackBufferTopRowFirst) {
    device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF0000FFu, 1.0f, 0);
    const Rect topRow{0, 0, int32_t(kWidth), 1};
    device_->Clear(1, &topRow, D3DCLEAR_TARGET, 0xFFFF0000u, 1.0f, 0);
    ASSERT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    ASSERT_EQ(frames_.size(), 1u);
    const Picture& f = frames_[0];
    ASSERT_EQ(f.Width(), kWidth);
    ASSERT_EQ(f.Height(), kHeight);
    EXPECT_EQ(f.At(kWidth - 1, 0), kRed);
    EXPECT_EQ(f.At(0, 1), kBlue);
    EXPECT_EQ(f.At(0, kHeight - 1), kBlue);
}

TEST_F(DeviceTest, RenderTargetSwitchAndRestoreKeepReferenceCountsAndViewport) {
    Surface* back = nullptr;
    ASSERT_EQ(device_->GetRenderTarget(0, &back), D3D_OK);
    Texture* tex = nullptr;
    Surface* rt = NewTextureTarget(16, 8, &tex);
    // Texture alone 1, plus the level surface we hold: 2.
    EXPECT_EQ(tex->AddRef(), 3u);
    EXPECT_EQ(tex->Release(), 2u);

    ASSERT_EQ(device_->SetRenderTarget(0, rt), D3D_OK);
    EXPECT_EQ(rt->AddRef(), 4u);  // the device holds one too
    rt->Release();
    Surface* current = nullptr;
    device_->GetRenderTarget(0, &current);
    EXPECT_EQ(current, rt);
    current->Release();

    // The viewport covers the new target: a full-screen quad fills all of it.
    const unsigned program = SolidColorProgram();
    SetColor(program, 0, 1, 0, 1);
    device_->SetRenderState(D3DRS_ZENABLE, 0);
    device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
    DrawRect(-1, 1, 1, -1);
    const Picture p = ReadTexture(tex);
    EXPECT_EQ(p.At(0, 0), kGreen);
    EXPECT_EQ(p.At(15, 7), kGreen);

    ASSERT_EQ(device_->SetRenderTarget(0, back), D3D_OK);
    EXPECT_EQ(tex->AddRef(), 3u);  // the device let go
    tex->Release();
    EXPECT_EQ(device_->SetRenderTarget(0, nullptr), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->SetRenderTarget(1, rt), D3DERR_INVALIDCALL);
    rt->Release();
    EXPECT_EQ(tex->Release(), 0u);
    back->Release();
    glDeleteProgram(program);
}

TEST_F(DeviceTest, OnlyColourTargetsAndDepthSurfacesFitTheirSlots) {
    Surface* depth = nullptr;
    ASSERT_EQ(device_->CreateDepthStencilSurface(8, 8, D3DFMT_D24S8, 0, 0, 1, &depth), D3D_OK);
    Texture* dynamicTex = nullptr;
    ASSERT_EQ(device_->CreateTexture(8, 8, 1, D3DUSAGE_DYNAMIC, D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT, &dynamicTex),
              D3D_OK);
    Surface* level = nullptr;
    dynamicTex->GetSurfaceLevel(0, &level);
    EXPECT_EQ(device_->SetRenderTarget(0, depth), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->SetRenderTarget(0, level), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->SetDepthStencilSurface(level), D3DERR_INVALIDCALL);

    Surface* got = reinterpret_cast<Surface*>(1);
    ASSERT_EQ(device_->GetDepthStencilSurface(&got), D3D_OK);
    EXPECT_EQ(got, nullptr);  // the device starts without depth
    ASSERT_EQ(device_->SetDepthStencilSurface(depth), D3D_OK);
    device_->GetDepthStencilSurface(&got);
    EXPECT_EQ(got, depth);
    EXPECT_EQ(depth->Release(), 2u);  // ours from Get, the device's and the creator's remain
    depth->Release();
    EXPECT_EQ(device_->SetDepthStencilSurface(nullptr), D3D_OK);  // the device's goes, ours is last
    level->Release();
    dynamicTex->Release();
}

TEST_F(DeviceTest, ScenesMustBalance) {
    EXPECT_EQ(device_->EndScene(), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->BeginScene(), D3D_OK);
    EXPECT_EQ(device_->BeginScene(), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->EndScene(), D3D_OK);
    EXPECT_EQ(device_->EndScene(), D3DERR_INVALIDCALL);
}

TEST_F(DeviceTest, RenderStatesStartAtDirect3DDefaultsAndRejectUnknownValues) {
    const std::pair<uint32_t, uint32_t> defaults[] = {
        {D3DRS_ZENABLE, 1},          {D3DRS_ZWRITEENABLE, 1},   {D3DRS_ZFUNC, D3DCMP_LESSEQUAL},
        {D3DRS_CULLMODE, D3DCULL_CCW}, {D3DRS_ALPHABLENDENABLE, 0}, {D3DRS_SRCBLEND, D3DBLEND_ONE},
        {D3DRS_DESTBLEND, D3DBLEND_ZERO}, {D3DRS_BLENDOP, D3DBLENDOP_ADD}};
    for (auto [state, value] : defaults) {
        uint32_t got = 99;
        ASSERT_EQ(device_->GetRenderState(state, &got), D3D_OK);
        EXPECT_EQ(got, value) << "state " << state;
    }
    EXPECT_EQ(device_->SetRenderState(D3DRS_SRCBLEND, 99), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->SetRenderState(D3DRS_ZFUNC, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW), D3D_OK);
    uint32_t got = 0;
    device_->GetRenderState(D3DRS_CULLMODE, &got);
    EXPECT_EQ(got, D3DCULL_CW);
}

// ---- Pixel pipeline ---------------------------------------------------------------------------------

class DevicePixelTest : public DeviceTest {
protected:
    void SetUp() override {
        DeviceTest::SetUp();
        program_ = SolidColorProgram();
        device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
    }
    void TearDown() override {
        glDeleteProgram(program_);
        DeviceTest::TearDown();
    }
    Surface* AttachDepth() {
        Surface* depth = nullptr;
        EXPECT_EQ(device_->CreateDepthStencilSurface(kWidth, kHeight, D3DFMT_D24S8, 0, 0, 1, &depth), D3D_OK);
        device_->SetDepthStencilSurface(depth);
        device_->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
        return depth;
    }
    unsigned program_ = 0;
};

TEST_F(DevicePixelTest, DepthTestFollowsZFuncAndWriteMask) {
    Surface* depth = AttachDepth();
    SetColor(program_, 1, 0, 0, 1);
    DrawRect(-1, 1, 1, -1, 0.3f);
    SetColor(program_, 0, 1, 0, 1);
    DrawRect(-1, 1, 1, -1, 0.6f);  // behind: LESSEQUAL rejects it
    EXPECT_EQ(ReadTarget().At(10, 10), kRed);

    device_->SetRenderState(D3DRS_ZFUNC, D3DCMP_GREATER);
    DrawRect(-1, 1, 1, -1, 0.6f);
    EXPECT_EQ(ReadTarget().At(10, 10), kGreen);

    // With depth writes off, Clear still resets depth (0.6 -> 1.0), and draws leave it alone.
    device_->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESS);
    device_->SetRenderState(D3DRS_ZWRITEENABLE, 0);
    device_->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    SetColor(program_, 0, 0, 1, 1);
    DrawRect(-1, 1, 1, -1, 0.8f);  // passes only against the cleared depth; writes none
    SetColor(program_, 1, 0, 0, 1);
    DrawRect(-1, 1, 1, -1, 0.9f);  // passes only if 0.8 was not written
    EXPECT_EQ(ReadTarget().At(10, 10), kRed);
    uint32_t writes = 1;
    device_->GetRenderState(D3DRS_ZWRITEENABLE, &writes);
    EXPECT_EQ(writes, 0u);

    device_->SetRenderState(D3DRS_ZENABLE, 0);
    SetColor(program_, 0, 1, 0, 1);
    DrawRect(-1, 1, 1, -1, 0.9f);
    EXPECT_EQ(ReadTarget().At(10, 10), kGreen);
    device_->SetDepthStencilSurface(nullptr);
    depth->Release();
}

// Depth surfaces get memory only once a depth clear or a depth-tested draw needs it; until then
// draws without depth test work on a complete framebuffer.
TEST_F(DevicePixelTest, DepthSurfaceTakesMemoryOnlyWhenAClearOrDepthTestNeedsIt) {
    auto storedWidth = [](Surface* surface) {
        GLint width = -1;
        glGetNamedRenderbufferParameteriv(static_cast<gl::SurfaceGl*>(surface)->Name(), GL_RENDERBUFFER_WIDTH,
                                          &width);
        return width;
    };
    auto framebufferComplete = [] {
        return glCheckFramebufferStatus(GL_DRAW_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    };
    Surface* cleared = nullptr;
    Surface* tested = nullptr;
    ASSERT_EQ(device_->CreateDepthStencilSurface(kWidth, kHeight, D3DFMT_D24S8, 0, 0, 1, &cleared), D3D_OK);
    ASSERT_EQ(device_->CreateDepthStencilSurface(kWidth, kHeight, D3DFMT_D24S8, 0, 0, 1, &tested), D3D_OK);
    EXPECT_EQ(storedWidth(cleared), 0);

    device_->SetDepthStencilSurface(cleared);
    device_->SetRenderState(D3DRS_ZENABLE, 0);
    SetColor(program_, 0, 0, 1, 1);
    DrawRect(-1, 1, 1, -1);
    EXPECT_TRUE(framebufferComplete());
    EXPECT_EQ(ReadTarget().At(10, 10), kBlue);
    EXPECT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0), D3D_OK);
    EXPECT_EQ(storedWidth(cleared), 0);

    EXPECT_EQ(device_->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0), D3D_OK);
    EXPECT_EQ(storedWidth(cleared), GLint(kWidth));
    device_->SetRenderState(D3DRS_ZENABLE, 1);
    SetColor(program_, 1, 0, 0, 1);
    DrawRect(-1, 1, 1, -1, 0.3f);
    SetColor(program_, 0, 1, 0, 1);
    DrawRect(-1, 1, 1, -1, 0.6f);  // behind the red one
    EXPECT_EQ(ReadTarget().At(10, 10), kRed);

    // A depth-tested draw alone also gives the surface its memory, and it is attached at once.
    device_->SetDepthStencilSurface(tested);
    DrawRect(-1, 1, 1, -1, 0.6f);
    EXPECT_EQ(storedWidth(tested), GLint(kWidth));
    EXPECT_TRUE(framebufferComplete());
    device_->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 0.5f, 0);
    SetColor(program_, 0, 1, 0, 1);
    DrawRect(-1, 1, 1, -1, 0.4f);
    SetColor(program_, 0, 0, 1, 1);
    DrawRect(-1, 1, 1, -1, 0.7f);  // fails against 0.5 only if the surface is really in use
    EXPECT_EQ(ReadTarget().At(10, 10), kGreen);

    device_->SetDepthStencilSurface(nullptr);
    cleared->Release();
    tested->Release();
}

TEST_F(DevicePixelTest, CullModesDropTheWindingSeenOnScreen) {
    device_->SetRenderState(D3DRS_ZENABLE, 0);
    // Seen on screen (y up in clip space): bottom-left, bottom-right, top is counter-clockwise.
    const std::vector<Vertex> tri = {{-1, -1, 0.5f, 0, 0}, {1, -1, 0.5f, 0, 0}, {0, 1, 0.5f, 0, 0}};
    const std::vector<uint16_t> ccw = {0, 1, 2};
    const std::vector<uint16_t> cw = {0, 2, 1};
    struct Case {
        uint32_t cull;
        const std::vector<uint16_t>* order;
        bool drawn;
    };
    const Case cases[] = {{D3DCULL_CCW, &ccw, false}, {D3DCULL_CCW, &cw, true}, {D3DCULL_CW, &ccw, true},
                          {D3DCULL_CW, &cw, false},   {D3DCULL_NONE, &ccw, true}, {D3DCULL_NONE, &cw, true}};
    SetColor(program_, 1, 1, 1, 1);
    for (const Case& c : cases) {
        device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
        device_->SetRenderState(D3DRS_CULLMODE, c.cull);
        DrawTriangles(tri, *c.order);
        const bool drawn = ReadTarget().At(kWidth / 2, kHeight / 2) == Rgba{255, 255, 255, 255};
        EXPECT_EQ(drawn, c.drawn) << "cull " << c.cull << (c.order == &ccw ? " ccw" : " cw");
    }
}

TEST_F(DevicePixelTest, AlphaBlendingUsesFactorsAndOperation) {
    device_->SetRenderState(D3DRS_ZENABLE, 0);
    device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF0000FFu, 1.0f, 0);
    device_->SetRenderState(D3DRS_ALPHABLENDENABLE, 1);
    device_->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device_->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    SetColor(program_, 1, 0, 0, 0.5f);
    DrawRect(-1, 1, 1, -1);
    EXPECT_TRUE(Near(ReadTarget().At(4, 4), Rgba{128, 0, 128, 255}, 2)) << ::testing::PrintToString(ReadTarget().At(4, 4));

    device_->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
    device_->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
    device_->SetRenderState(D3DRS_BLENDOP, D3DBLENDOP_REVSUBTRACT);  // dest - src
    SetColor(program_, 0, 0, 0.25f, 1);
    DrawRect(-1, 1, 1, -1);
    EXPECT_TRUE(Near(ReadTarget().At(4, 4), Rgba{128, 0, 64, 255}, 2)) << ::testing::PrintToString(ReadTarget().At(4, 4));

    device_->SetRenderState(D3DRS_ALPHABLENDENABLE, 0);
    SetColor(program_, 0, 1, 0, 0.5f);
    DrawRect(-1, 1, 1, -1);
    EXPECT_EQ(ReadTarget().At(4, 4), kGreen);
}

TEST_F(DevicePixelTest, MultisampledTargetResolvesThroughStretchRect) {
    Surface* ms = nullptr;
    ASSERT_EQ(device_->CreateRenderTarget(32, 32, D3DFMT_X8R8G8B8, 4, 0, 0, &ms), D3D_OK);
    Surface* msDepth = nullptr;
    ASSERT_EQ(device_->CreateDepthStencilSurface(32, 32, D3DFMT_D24S8, 4, 0, 1, &msDepth), D3D_OK);
    Surface* back = nullptr;
    device_->GetRenderTarget(0, &back);
    device_->SetRenderTarget(0, ms);
    device_->SetDepthStencilSurface(msDepth);
    device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000u, 1.0f, 0);
    device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    SetColor(program_, 1, 1, 1, 1);
    // A diagonal edge through the target: pixels on it are partly covered.
    DrawTriangles({{-1, 1, 0.5f, 0, 0}, {1, 1, 0.5f, 0, 0}, {-1, -1, 0.5f, 0, 0}}, {0, 1, 2});
    device_->SetRenderTarget(0, back);
    device_->SetDepthStencilSurface(nullptr);

    Texture* tex = nullptr;
    Surface* resolved = NewTextureTarget(32, 32, &tex);
    ASSERT_EQ(device_->StretchRect(ms, nullptr, resolved, nullptr, D3DTEXF_NONE), D3D_OK);
    const Picture p = ReadTexture(tex);
    EXPECT_EQ(p.At(2, 2), (Rgba{255, 255, 255, 255}));      // top-left half is covered
    EXPECT_EQ(p.At(29, 29), kBlack);
    int partial = 0;
    for (uint32_t x = 0; x < 32; ++x) {
        const Rgba c = p.At(x, 31 - x);
        if (c.r > 20 && c.r < 235) ++partial;
    }
    EXPECT_GT(partial, 8) << "the edge should be antialiased";

    // A different size scales (resolving first).
    Texture* small = nullptr;
    Surface* half = NewTextureTarget(16, 16, &small);
    ASSERT_EQ(device_->StretchRect(ms, nullptr, half, nullptr, D3DTEXF_LINEAR), D3D_OK);
    const Picture q = ReadTexture(small);
    EXPECT_EQ(q.At(1, 1), (Rgba{255, 255, 255, 255}));
    EXPECT_EQ(q.At(14, 14), kBlack);
    // Multisampled destinations and depth surfaces are refused.
    EXPECT_EQ(device_->StretchRect(resolved, nullptr, ms, nullptr, D3DTEXF_NONE), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->StretchRect(msDepth, nullptr, resolved, nullptr, D3DTEXF_NONE), D3DERR_INVALIDCALL);
    const Rect outside{0, 0, 64, 64};
    EXPECT_EQ(device_->StretchRect(ms, &outside, resolved, nullptr, D3DTEXF_NONE), D3DERR_INVALIDCALL);

    for (Unknown* u : std::initializer_list<Unknown*>{half, small, resolved, tex, back, msDepth, ms}) u->Release();
}

TEST_F(DevicePixelTest, TopRowStaysOnTopThroughRenderToTextureAndAFullScreenPass) {
    device_->SetRenderState(D3DRS_ZENABLE, 0);
    Texture* tex = nullptr;
    Surface* rt = NewTextureTarget(kWidth, kHeight, &tex);
    Surface* back = nullptr;
    device_->GetRenderTarget(0, &back);
    device_->SetRenderTarget(0, rt);
    device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF0000FFu, 1.0f, 0);
    SetColor(program_, 1, 0, 0, 1);
    DrawRect(-1, 1, 1, 0);  // upper half in clip space
    const Picture inTexture = ReadTexture(tex);
    EXPECT_EQ(inTexture.At(3, 0), kRed);  // row 0 of the texture is the top
    EXPECT_EQ(inTexture.At(3, kHeight - 1), kBlue);

    device_->SetRenderTarget(0, back);
    const unsigned textured = TexturedProgram();
    glUseProgram(textured);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, gl::TextureName(tex));
    glUniform1i(glGetUniformLocation(textured, "u_tex"), 0);
    DrawRect(-1, 1, 1, -1);  // texcoord (0,0) at the top-left corner, as in Direct3D
    device_->Present(nullptr, nullptr, nullptr, nullptr);
    ASSERT_EQ(frames_.size(), 1u);
    EXPECT_EQ(frames_[0].At(3, 0), kRed);
    EXPECT_EQ(frames_[0].At(3, kHeight - 1), kBlue);
    glBindTexture(GL_TEXTURE_2D, 0);
    glDeleteProgram(textured);
    rt->Release();
    tex->Release();
    back->Release();
}
