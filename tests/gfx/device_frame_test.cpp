// Frame operations on a real headless context, desktop OpenGL and OpenGL ES 3.0 (the browser's
// flavour) alike: clears, Present, render targets, states, depth, culling, blending, multisample
// resolve and orientation.
#include <epoxy/gl.h>

#include <tuple>
#include <utility>

#include "gfx/device_fixture.h"
#include "platform/gfx/resources.h"
#include "support/call_lines.h"

using namespace gfx;
using namespace gfx_test;

namespace {

class DeviceFrameTest : public DeviceTest, public ::testing::WithParamInterface<ContextProvider> {
  protected:
    void SetUp() override {
        provider_ = GetParam();
        DeviceTest::SetUp();
    }
};

INSTANTIATE_TEST_SUITE_P(Flavours, DeviceFrameTest,
                         ::testing::Values(ContextProvider::Headless, ContextProvider::HeadlessEs),
                         [](const ::testing::TestParamInfo<ContextProvider>& flavour) {
                             return flavour.param == ContextProvider::Headless ? "Desktop" : "Es";
                         });

}  // namespace

TEST_P(DeviceFrameTest, ClearsConvertArgbAndCountRectsFromTheTopAndPresentHandsOverTopRowFirst) {
    ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0x80FF4020u, 1.0f, 0), D3D_OK);
    EXPECT_EQ(ReadTarget().At(5, 5), (Rgba{255, 64, 32, 255}));  // X8R8G8B8: alpha reads 1
    Texture* tex = nullptr;
    Surface* rt = NewTextureTarget(8, 8, &tex, D3DFMT_A8R8G8B8);
    Surface* back = nullptr;
    device_->GetRenderTarget(0, &back);
    ASSERT_EQ(device_->SetRenderTarget(0, rt), D3D_OK);
    device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0x80FF4020u, 1.0f, 0);
    EXPECT_TRUE(Near(ReadTexture(tex).At(3, 3), Rgba{255, 64, 32, 128}, 1));
    device_->SetRenderTarget(0, back);
    for (Unknown* u : std::initializer_list<Unknown*>{back, rt, tex}) u->Release();

    device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF0000FFu, 1.0f, 0);
    const Rect topLeft{0, 0, 8, 4};
    ASSERT_EQ(device_->Clear(1, &topLeft, D3DCLEAR_TARGET, 0xFFFF0000u, 1.0f, 0), D3D_OK);
    EXPECT_EQ(device_->Clear(1, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0), D3DERR_INVALIDCALL);
    const Picture target = ReadTarget();
    ASSERT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    ASSERT_EQ(frames_.size(), 1u);
    ASSERT_EQ(frames_[0].width, kWidth);
    ASSERT_EQ(frames_[0].height, kHeight);
    const std::tuple<uint32_t, uint32_t, Rgba> spots[] = {
        {0, 0, kRed}, {7, 3, kRed}, {8, 0, kBlue}, {0, 4, kBlue}, {0, kHeight - 1, kBlue}};
    for (const Picture* p : {&target, &std::as_const(frames_[0])})
        for (const auto& [x, y, colour] : spots)
            EXPECT_EQ(p->At(x, y), colour)
                << (p == &target ? "target " : "frame ") << x << "," << y;
}

TEST_P(DeviceFrameTest, RenderTargetSwitchKeepsReferenceCountsAndViewportAndEachSlotTakesItsKind) {
    Surface* back = nullptr;
    ASSERT_EQ(device_->GetRenderTarget(0, &back), D3D_OK);
    Texture* tex = nullptr;
    Surface* rt = NewTextureTarget(16, 8, &tex);
    EXPECT_EQ(tex->AddRef(), 3u);  // the texture, plus the level surface we hold
    tex->Release();
    ASSERT_EQ(device_->SetRenderTarget(0, rt), D3D_OK);
    EXPECT_EQ(rt->AddRef(), 4u);  // the device holds one too
    rt->Release();
    Surface* current = nullptr;
    device_->GetRenderTarget(0, &current);
    EXPECT_EQ(current, rt);
    current->Release();
    // The viewport covers the new target: a full-screen quad fills all of it.
    device_->SetRenderState(D3DRS_ZENABLE, 0);
    SetColor(0, 1, 0);
    DrawRect(-1, 1, 1, -1);
    const Picture p = ReadTexture(tex);
    EXPECT_EQ(p.At(0, 0), kGreen);
    EXPECT_EQ(p.At(15, 7), kGreen);
    ASSERT_EQ(device_->SetRenderTarget(0, back), D3D_OK);
    EXPECT_EQ(tex->AddRef(), 3u);  // the device let go
    tex->Release();

    Surface* depth = nullptr;
    ASSERT_EQ(device_->CreateDepthStencilSurface(8, 8, D3DFMT_D24S8, 0, 0, 1, &depth), D3D_OK);
    Texture* plain = nullptr;
    ASSERT_EQ(
        device_->CreateTexture(8, 8, 1, D3DUSAGE_DYNAMIC, D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT, &plain),
        D3D_OK);
    Surface* level = nullptr;
    plain->GetSurfaceLevel(0, &level);
    EXPECT_EQ(device_->SetRenderTarget(0, nullptr), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->SetRenderTarget(1, rt), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->SetRenderTarget(0, depth), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->SetRenderTarget(0, level), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->SetDepthStencilSurface(level), D3DERR_INVALIDCALL);
    Surface* got = reinterpret_cast<Surface*>(1);
    ASSERT_EQ(device_->GetDepthStencilSurface(&got), D3D_OK);
    EXPECT_EQ(got, nullptr);  // the device starts without depth
    ASSERT_EQ(device_->SetDepthStencilSurface(depth), D3D_OK);
    device_->GetDepthStencilSurface(&got);
    EXPECT_EQ(got, depth);
    EXPECT_EQ(depth->Release(), 2u);  // the device's and the creator's remain
    EXPECT_EQ(device_->SetDepthStencilSurface(nullptr), D3D_OK);
    EXPECT_EQ(depth->Release(), 0u);
    level->Release();
    plain->Release();
    rt->Release();
    EXPECT_EQ(tex->Release(), 0u);
    back->Release();
}

TEST_P(DeviceFrameTest, StatesStartAtDirect3DDefaultsAndMisuseIsRefused) {
    const std::pair<D3DRENDERSTATETYPE, uint32_t> defaults[] = {{D3DRS_ZENABLE, 1},
                                                                {D3DRS_ZWRITEENABLE, 1},
                                                                {D3DRS_ZFUNC, D3DCMP_LESSEQUAL},
                                                                {D3DRS_CULLMODE, D3DCULL_CCW},
                                                                {D3DRS_ALPHABLENDENABLE, 0},
                                                                {D3DRS_SRCBLEND, D3DBLEND_ONE},
                                                                {D3DRS_DESTBLEND, D3DBLEND_ZERO},
                                                                {D3DRS_BLENDOP, D3DBLENDOP_ADD}};
    for (auto [state, value] : defaults) {
        uint32_t got = 99;
        ASSERT_EQ(device_->GetRenderState(state, &got), D3D_OK);
        EXPECT_EQ(got, value) << "state " << state;
    }
    EXPECT_EQ(device_->SetRenderState(D3DRS_SRCBLEND, 99), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->SetRenderState(D3DRS_ZFUNC, 0), D3DERR_INVALIDCALL);

    EXPECT_EQ(device_->EndScene(), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->BeginScene(), D3D_OK);
    EXPECT_EQ(device_->BeginScene(), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->EndScene(), D3D_OK);
    EXPECT_EQ(device_->EndScene(), D3DERR_INVALIDCALL);
}

// Depth surfaces get memory only once a depth clear or a depth-tested draw needs it; until then
// draws without depth test work on a complete framebuffer.
TEST_P(DeviceFrameTest, DepthTestFollowsZFuncAndWriteMaskOnASurfaceGivenMemoryWhenFirstNeeded) {
    auto storedWidth = [](Surface* surface) {
        GLint width = -1;
        glBindRenderbuffer(GL_RENDERBUFFER, static_cast<gl::SurfaceGl*>(surface)->Name());
        glGetRenderbufferParameteriv(GL_RENDERBUFFER, GL_RENDERBUFFER_WIDTH, &width);
        return width;
    };
    auto centre = [this] { return ReadTarget().At(10, 10); };
    EXPECT_EQ(device_->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0),
              D3DERR_INVALIDCALL);  // no depth surface
    Surface* depth = nullptr;
    ASSERT_EQ(device_->CreateDepthStencilSurface(kWidth, kHeight, D3DFMT_D24S8, 0, 0, 1, &depth),
              D3D_OK);
    device_->SetDepthStencilSurface(depth);
    device_->SetRenderState(D3DRS_ZENABLE, 0);
    SetColor(0, 0, 1);
    DrawRect(-1, 1, 1, -1);
    EXPECT_EQ(glCheckFramebufferStatus(GL_DRAW_FRAMEBUFFER), GLenum(GL_FRAMEBUFFER_COMPLETE));
    EXPECT_EQ(centre(), kBlue);
    EXPECT_EQ(storedWidth(depth), 0);
    device_->SetRenderState(D3DRS_ZENABLE, 1);
    DrawRect(-1, 1, 1, -1, 0.6f);  // the first depth-tested draw gives it memory, attached at once
    EXPECT_EQ(storedWidth(depth), GLint(kWidth));
    EXPECT_EQ(glCheckFramebufferStatus(GL_DRAW_FRAMEBUFFER), GLenum(GL_FRAMEBUFFER_COMPLETE));

    EXPECT_EQ(device_->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.5f, 0), D3DERR_INVALIDCALL);
    ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, 0, 0.5f, 0), D3D_OK);

    // With depth writes off, Clear still resets depth and draws leave it alone.
    device_->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESS);
    device_->SetRenderState(D3DRS_ZWRITEENABLE, 0);
    device_->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    SetColor(0, 0, 1);
    DrawRect(-1, 1, 1, -1, 0.8f);  // passes only against the cleared depth; writes none
    SetColor(1, 0, 0);
    DrawRect(-1, 1, 1, -1, 0.9f);  // passes only if 0.8 was not written
    EXPECT_EQ(centre(), kRed);
    device_->SetRenderState(D3DRS_ZENABLE, 0);
    SetColor(0, 1, 0);
    DrawRect(-1, 1, 1, -1, 0.95f);
    EXPECT_EQ(centre(), kGreen);
    device_->SetDepthStencilSurface(nullptr);
    depth->Release();
}

// Each compare function against a depth of 0.5: does a draw nearer, level with and farther pass?
TEST_P(DeviceFrameTest, EachZFuncPassesItsOwnComparisons) {
    Surface* depth = nullptr;
    ASSERT_EQ(device_->CreateDepthStencilSurface(kWidth, kHeight, D3DFMT_D24S8, 0, 0, 1, &depth),
              D3D_OK);
    device_->SetDepthStencilSurface(depth);
    device_->SetRenderState(D3DRS_ZENABLE, 1);
    device_->SetRenderState(D3DRS_ZWRITEENABLE, 0);
    SetColor(1, 1, 1);
    vmtest::Lines passes;
    for (uint32_t func = D3DCMP_NEVER; func <= D3DCMP_ALWAYS; ++func) {
        device_->SetRenderState(D3DRS_ZFUNC, func);
        std::string line = std::to_string(func) + ":";
        for (float z : {0.25f, 0.5f, 0.75f}) {
            device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000u, 0.5f, 0);
            DrawRect(-1, 1, 1, -1, z);
            line += ReadTarget().At(4, 4) == kWhite ? " pass" : " fail";
        }
        passes.push_back(line);
    }
    EXPECT_LINES(passes,
                 (vmtest::Lines{"1: fail fail fail", "2: pass fail fail", "3: fail pass fail",
                                "4: pass pass fail", "5: fail fail pass", "6: pass fail pass",
                                "7: fail pass pass", "8: pass pass pass"}));
    device_->SetDepthStencilSurface(nullptr);
    depth->Release();
}

TEST_P(DeviceFrameTest, CullModesDropTheWindingSeenOnScreen) {
    device_->SetRenderState(D3DRS_ZENABLE, 0);
    // Seen on screen (y up in clip space): bottom-left, bottom-right, top is counter-clockwise.
    const std::vector<Vertex> tri = {{-1, -1, 0.5f, 0, 0}, {1, -1, 0.5f, 0, 0}, {0, 1, 0.5f, 0, 0}};
    const std::vector<uint16_t> ccw = {0, 1, 2}, cw = {0, 2, 1};
    const std::tuple<uint32_t, const std::vector<uint16_t>*, bool> cases[] = {
        {D3DCULL_CCW, &ccw, false}, {D3DCULL_CCW, &cw, true},   {D3DCULL_CW, &ccw, true},
        {D3DCULL_CW, &cw, false},   {D3DCULL_NONE, &ccw, true}, {D3DCULL_NONE, &cw, true}};
    SetColor(1, 1, 1);
    for (const auto& [cull, order, drawn] : cases) {
        device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
        device_->SetRenderState(D3DRS_CULLMODE, cull);
        DrawTriangles(tri, *order);
        EXPECT_EQ(ReadTarget().At(kWidth / 2, kHeight / 2) == kWhite, drawn)
            << "cull " << cull << (order == &ccw ? " ccw" : " cw");
    }
}

TEST_P(DeviceFrameTest, AlphaBlendingUsesFactorsAndOperation) {
    device_->SetRenderState(D3DRS_ZENABLE, 0);
    device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF0000FFu, 1.0f, 0);
    device_->SetRenderState(D3DRS_ALPHABLENDENABLE, 1);
    device_->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device_->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    SetColor(1, 0, 0, 0.5f);
    DrawRect(-1, 1, 1, -1);
    EXPECT_PRED3(Near, ReadTarget().At(4, 4), (Rgba{128, 0, 128, 255}), 2);

    device_->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
    device_->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
    device_->SetRenderState(D3DRS_BLENDOP, D3DBLENDOP_REVSUBTRACT);  // dest - src
    SetColor(0, 0, 0.25f);
    DrawRect(-1, 1, 1, -1);
    EXPECT_PRED3(Near, ReadTarget().At(4, 4), (Rgba{128, 0, 64, 255}), 2);

    device_->SetRenderState(D3DRS_ALPHABLENDENABLE, 0);
    SetColor(0, 1, 0, 0.5f);
    DrawRect(-1, 1, 1, -1);
    EXPECT_EQ(ReadTarget().At(4, 4), kGreen);
}

TEST_P(DeviceFrameTest, MultisampledTargetResolvesThroughStretchRect) {
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
    SetColor(1, 1, 1);
    // A diagonal edge through the target: pixels on it are partly covered.
    DrawTriangles({{-1, 1, 0.5f, 0, 0}, {1, 1, 0.5f, 0, 0}, {-1, -1, 0.5f, 0, 0}}, {0, 1, 2});
    device_->SetRenderTarget(0, back);
    device_->SetDepthStencilSurface(nullptr);

    Texture* tex = nullptr;
    Surface* resolved = NewTextureTarget(32, 32, &tex);
    ASSERT_EQ(device_->StretchRect(ms, nullptr, resolved, nullptr, D3DTEXF_NONE), D3D_OK);
    const Picture p = ReadTexture(tex);
    EXPECT_EQ(p.At(2, 2), kWhite);  // top-left half is covered
    EXPECT_EQ(p.At(29, 29), kBlack);
    int partial = 0;
    for (uint32_t x = 0; x < 32; ++x) partial += p.At(x, 31 - x).r > 20 && p.At(x, 31 - x).r < 235;
    EXPECT_GT(partial, 8) << "the edge should be antialiased";
    // Onto another spot of the same shape (ES resolves only in place: it goes through a copy).
    const Rect topLeft{0, 0, 16, 16}, bottomRight{16, 16, 32, 32};
    ASSERT_EQ(device_->StretchRect(ms, &topLeft, resolved, &bottomRight, D3DTEXF_NONE), D3D_OK);
    EXPECT_EQ(ReadTexture(tex).At(17, 17), kWhite);

    // A different size scales (resolving first); multisampled destinations, depth surfaces and
    // rectangles outside the source are refused.
    Texture* small = nullptr;
    Surface* half = NewTextureTarget(16, 16, &small);
    ASSERT_EQ(device_->StretchRect(ms, nullptr, half, nullptr, D3DTEXF_LINEAR), D3D_OK);
    EXPECT_EQ(ReadTexture(small).At(1, 1), kWhite);
    EXPECT_EQ(ReadTexture(small).At(14, 14), kBlack);
    // Scaling a black and white pair of columns by four: point copies, linear blends.
    Texture* pairTex = nullptr;
    Surface* pair = NewTextureTarget(2, 2, &pairTex);
    Texture* wideTex = nullptr;
    Surface* wide = NewTextureTarget(8, 2, &wideTex);
    device_->SetRenderTarget(0, pair);
    device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
    const Rect left{0, 0, 1, 2};
    device_->Clear(1, &left, D3DCLEAR_TARGET, 0xFFFFFFFFu, 1.0f, 0);
    device_->SetRenderTarget(0, back);
    ASSERT_EQ(device_->StretchRect(pair, nullptr, wide, nullptr, D3DTEXF_POINT), D3D_OK);
    EXPECT_EQ(ReadTexture(wideTex).At(3, 0), kWhite);
    ASSERT_EQ(device_->StretchRect(pair, nullptr, wide, nullptr, D3DTEXF_LINEAR), D3D_OK);
    EXPECT_PRED3(Near, ReadTexture(wideTex).At(3, 0), (Rgba{159, 159, 159, 255}), 8);
    for (Unknown* u : std::initializer_list<Unknown*>{pair, pairTex, wide, wideTex}) u->Release();

    EXPECT_EQ(device_->StretchRect(resolved, nullptr, ms, nullptr, D3DTEXF_NONE),
              D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->StretchRect(msDepth, nullptr, resolved, nullptr, D3DTEXF_NONE),
              D3DERR_INVALIDCALL);
    const Rect outside{0, 0, 64, 64};
    EXPECT_EQ(device_->StretchRect(ms, &outside, resolved, nullptr, D3DTEXF_NONE),
              D3DERR_INVALIDCALL);
    for (Unknown* u :
         std::initializer_list<Unknown*>{half, small, resolved, tex, back, msDepth, ms})
        u->Release();
}

TEST_P(DeviceFrameTest, TopRowStaysOnTopThroughRenderToTextureAndAFullScreenPass) {
    device_->SetRenderState(D3DRS_ZENABLE, 0);
    Texture* tex = nullptr;
    Surface* rt = NewTextureTarget(kWidth, kHeight, &tex);
    Surface* back = nullptr;
    device_->GetRenderTarget(0, &back);
    device_->SetRenderTarget(0, rt);
    device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF0000FFu, 1.0f, 0);
    SetColor(1, 0, 0);
    DrawRect(-1, 1, 1, 0);  // upper half in clip space
    const Picture inTexture = ReadTexture(tex);
    EXPECT_EQ(inTexture.At(3, 0), kRed);  // row 0 of the texture is the top
    EXPECT_EQ(inTexture.At(3, kHeight - 1), kBlue);

    device_->SetRenderTarget(0, back);
    const unsigned textured = BuildProgram(Shading::Textured, Es());
    glUseProgram(textured);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, gl::TextureName(tex));
    DrawRect(-1, 1, 1, -1);  // texcoord (0,0) at the top-left corner, as in Direct3D
    device_->Present(nullptr, nullptr, nullptr, nullptr);
    ASSERT_EQ(frames_.size(), 1u);
    EXPECT_EQ(frames_[0].At(3, 0), kRed);
    EXPECT_EQ(frames_[0].At(3, kHeight - 1), kBlue);
    glBindTexture(GL_TEXTURE_2D, 0);
    glDeleteProgram(textured);
    for (Unknown* u : std::initializer_list<Unknown*>{rt, tex, back}) u->Release();
}

// ES has no base vertex: the device starts the attributes further on instead, and starts them at
// the stream's offset again for the next draw without one.
TEST_P(DeviceFrameTest, BaseVertexShiftsWhichVerticesTheIndicesName) {
    device_->SetRenderState(D3DRS_ZENABLE, 0);
    const std::vector<Vertex> quads = {
        {-1, 1, 0.5f, 0, 0}, {0, 1, 0.5f, 0, 0}, {-1, -1, 0.5f, 0, 0}, {0, -1, 0.5f, 0, 0},
        {0, 1, 0.5f, 0, 0},  {1, 1, 0.5f, 0, 0}, {0, -1, 0.5f, 0, 0},  {1, -1, 0.5f, 0, 0}};
    static const VertexElement kDecl[] = {
        {0, 0, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0}, D3DDECL_END};
    VertexBuffer* vb = NewVertexBuffer(quads.data(), uint32_t(quads.size() * sizeof(Vertex)));
    IndexBuffer* ib = NewIndexBuffer({0, 1, 2, 3, 2, 1});
    VertexDeclaration* decl = nullptr;
    ASSERT_EQ(device_->CreateVertexDeclaration(kDecl, &decl), D3D_OK);
    device_->SetVertexDeclaration(decl);
    device_->SetStreamSource(0, vb, 0, sizeof(Vertex));
    device_->SetIndices(ib);
    SetColor(1, 1, 1);
    const std::pair<int32_t, bool> cases[] = {{4, true}, {0, false}};  // base, right half lit
    for (const auto& [base, rightLit] : cases) {
        device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
        ASSERT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, base, 0, 4, 0, 2), D3D_OK);
        const Picture p = ReadTarget();
        EXPECT_EQ(p.At(kWidth - 4, 8) == kWhite, rightLit) << "base " << base;
        EXPECT_EQ(p.At(4, 8) == kWhite, !rightLit) << "base " << base;
    }
    device_->SetStreamSource(0, nullptr, 0, 0);
    device_->SetIndices(nullptr);
    device_->SetVertexDeclaration(nullptr);
    for (Unknown* u : std::initializer_list<Unknown*>{vb, ib, decl}) u->Release();
}
