// Frame operations on a real headless context: clears, Present, render targets, states, depth,
// culling, blending, StretchRect and orientation.
#include "gfx/device_fixture.h"

using namespace gfx_test;

namespace {

// Desktop OpenGL and OpenGL ES 3.0 (the browser's flavour) alike.
class DeviceFrameTest : public DeviceTest, public ::testing::WithParamInterface<ContextProvider> {
  protected:
    void SetUp() override {
        provider_ = GetParam();
        DeviceTest::SetUp();
    }
};

INSTANTIATE_TEST_SUITE_P(Flavours, DeviceFrameTest,
                         ::testing::Values(ContextProvider::Headless, ContextProvider::HeadlessEs),
                         [](const auto& flavour) {
                             return flavour.param == ContextProvider::Headless ? "Desktop" : "Es";
                         });

}  // namespace

TEST_P(DeviceFrameTest, ClearsConvertArgbAndCountRectsFromTheTopAndPresentHandsOverTopRowFirst) {
    Texture* tex = nullptr;
    Surface* rt = NewTextureTarget(8, 8, &tex, D3DFMT_A8R8G8B8);
    Surface* back = nullptr;
    device_->GetRenderTarget(0, &back);
    device_->SetRenderTarget(0, rt);
    device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0x80FF4020u, 1.0f, 0);
    EXPECT_PRED3(Near, ReadTexture(tex).At(3, 3), (Rgba{255, 64, 32, 128}), 1);
    device_->SetRenderTarget(0, back);
    Release({back, rt, tex});

    device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0x80FF4020u, 1.0f, 0);
    const Rect topLeft{0, 0, 8, 4};
    EXPECT_EQ(Results({device_->Clear(1, &topLeft, D3DCLEAR_TARGET, 0xFF0000FFu, 1.0f, 0),
                       device_->Clear(1, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0)}),
              "ok invalid");
    const Picture shown = Presented();
    EXPECT_EQ(shown.Spots({{0, 0}, {7, 3}, {8, 0}, {0, 4}, {0, kHeight - 1}}),
              "64x32: 0000ff 0000ff ff4020 ff4020 ff4020");
    EXPECT_EQ(shown.At(9, 9)[3], 255);                                  // X8R8G8B8: alpha reads 1
    device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF00FF00u, 1.0f, 0);  // all of it again
    EXPECT_EQ(Presented().Spots({{20, 20}}), "64x32: 00ff00");
}

// Each compare function against a cleared depth of 0.5 (writes off, which clears ignore): does a
// draw nearer, level with and farther pass? Then writes on, and the test off.
TEST_P(DeviceFrameTest, DepthFollowsZFuncWriteMaskAndClearAndCanBeSwitchedOff) {
    EXPECT_EQ(device_->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0), D3DERR_INVALIDCALL);
    Surface* depth = nullptr;
    ASSERT_EQ(device_->CreateDepthStencilSurface(kWidth, kHeight, D3DFMT_D24S8, 0, 0, 1, &depth),
              D3D_OK);
    device_->SetDepthStencilSurface(depth);
    device_->SetRenderState(D3DRS_ZWRITEENABLE, 0);
    EXPECT_EQ(
        Results({device_->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.5f, 0),
                 device_->Clear(0, nullptr, D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, 0, 0.5f, 0)}),
        "invalid ok");
    std::string passes;
    for (uint32_t func = D3DCMP_NEVER; func <= D3DCMP_ALWAYS; ++func) {
        device_->SetRenderState(D3DRS_ZFUNC, func);
        for (float z : {0.25f, 0.5f, 0.75f}) {
            device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000u, 0.5f, 0);
            DrawFullScreen(z);
            passes += Presented().At(4, 4)[0] == 255 ? "+" : "-";
        }
        passes += " ";
    }
    // NEVER LESS EQUAL LESSEQUAL GREATER NOTEQUAL GREATEREQUAL ALWAYS
    EXPECT_EQ(passes, "--- +-- -+- ++- --+ +-+ -++ +++ ");
    device_->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESS);
    for (uint32_t write : {0, 1}) {
        device_->SetRenderState(D3DRS_ZWRITEENABLE, write);
        device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000u, 1.0f, 0);
        SetColor(1, 1, 1);
        DrawFullScreen(0.3f);
        SetColor(1, 0, 0);
        DrawFullScreen(0.4f);  // behind 0.3 if that was written
        EXPECT_EQ(Presented().Spots({{4, 4}}), write ? "64x32: ffffff" : "64x32: ff0000");
    }
    device_->SetRenderState(D3DRS_ZENABLE, 0);
    DrawFullScreen(0.4f);
    EXPECT_EQ(Presented().Spots({{4, 4}}), "64x32: ff0000");
    device_->SetDepthStencilSurface(nullptr);
    depth->Release();
}

TEST_P(DeviceFrameTest, CullModesDropTheWindingSeenOnScreen) {
    // Seen on screen (y up in clip space): bottom-left, bottom-right, top is counter-clockwise.
    const std::vector<Vertex> tri = {{-1, -1, 0.5f, 0, 0}, {1, -1, 0.5f, 0, 0}, {0, 1, 0.5f, 0, 0}};
    std::string drawn;
    for (uint32_t cull : {D3DCULL_NONE, D3DCULL_CW, D3DCULL_CCW}) {
        device_->SetRenderState(D3DRS_CULLMODE, cull);
        for (const std::vector<uint16_t>& order : {std::vector<uint16_t>{0, 1, 2}, {0, 2, 1}}) {
            device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
            DrawTriangles(tri, order);
            drawn += Presented().At(kWidth / 2, kHeight / 2)[0] == 255 ? "+" : "-";
        }
        drawn += " ";
    }
    EXPECT_EQ(drawn, "++ +- -+ ");  // counter-clockwise, then clockwise
}

TEST_P(DeviceFrameTest, AlphaBlendingUsesFactorsAndOperationAndStatesRefuseWhatTheyDoNotKnow) {
    EXPECT_EQ(Results({device_->SetRenderState(D3DRS_SRCBLEND, 99),
                       device_->SetRenderState(D3DRS_ZFUNC, 0), device_->EndScene(),
                       device_->BeginScene(), device_->BeginScene(), device_->EndScene()}),
              "invalid invalid invalid ok invalid ok");
    device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF0000FFu, 1.0f, 0);
    device_->SetRenderState(D3DRS_ALPHABLENDENABLE, 1);
    device_->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device_->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    SetColor(1, 0, 0, 0.5f);
    DrawFullScreen();
    EXPECT_PRED3(Near, Presented().At(4, 4), (Rgba{128, 0, 128, 255}), 2);
    device_->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
    device_->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
    device_->SetRenderState(D3DRS_BLENDOP, D3DBLENDOP_REVSUBTRACT);  // dest - src
    SetColor(0, 0, 0.25f);
    DrawFullScreen();
    EXPECT_PRED3(Near, Presented().At(4, 4), (Rgba{128, 0, 64, 255}), 2);
    device_->SetRenderState(D3DRS_ALPHABLENDENABLE, 0);
    SetColor(0, 1, 0, 0.5f);
    DrawFullScreen();
    EXPECT_EQ(Presented().Spots({{4, 4}}), "64x32: 00ff00");
}

TEST_P(DeviceFrameTest, StretchRectResolvesMultisamplingScalesByItsFilterAndChecksItsRects) {
    Surface* ms = nullptr;
    ASSERT_EQ(device_->CreateRenderTarget(32, 32, D3DFMT_X8R8G8B8, 4, 0, 0, &ms), D3D_OK);
    Surface* back = nullptr;
    device_->GetRenderTarget(0, &back);
    device_->SetRenderTarget(0, ms);
    device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
    // A diagonal edge through the target: pixels on it are partly covered.
    DrawTriangles({{-1, 1, 0.5f, 0, 0}, {1, 1, 0.5f, 0, 0}, {-1, -1, 0.5f, 0, 0}}, {0, 1, 2});
    Texture* tex = nullptr;
    Surface* resolved = NewTextureTarget(32, 32, &tex);
    ASSERT_EQ(device_->StretchRect(ms, nullptr, resolved, nullptr, D3DTEXF_NONE), D3D_OK);
    const Picture p = ReadTexture(tex);
    EXPECT_EQ(p.Spots({{2, 2}, {29, 29}}), "32x32: ffffff 000000");  // the top-left half
    int partial = 0;
    for (uint32_t x = 0; x < 32; ++x) partial += p.At(x, 31 - x)[0] % 255 != 0;
    EXPECT_GT(partial, 8) << "the edge should be antialiased";
    const Rect half{0, 0, 16, 16};  // another size scales, resolving first
    ASSERT_EQ(device_->StretchRect(ms, nullptr, back, &half, D3DTEXF_LINEAR), D3D_OK);
    EXPECT_EQ(Presented().Spots({{1, 1}, {14, 14}}), "64x32: ffffff 000000");

    // A white and a black pixel widened four times: point copies, linear blends.
    device_->SetRenderTarget(0, resolved);
    const Rect white{0, 0, 1, 1}, pair{0, 0, 2, 1}, wide{0, 0, 8, 1};
    device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
    device_->Clear(1, &white, D3DCLEAR_TARGET, 0xFFFFFFFFu, 1.0f, 0);
    device_->SetRenderTarget(0, back);
    ASSERT_EQ(device_->StretchRect(resolved, &pair, back, &wide, D3DTEXF_POINT), D3D_OK);
    EXPECT_EQ(Presented().At(3, 0)[0], 255);
    ASSERT_EQ(device_->StretchRect(resolved, &pair, back, &wide, D3DTEXF_LINEAR), D3D_OK);
    EXPECT_NEAR(Presented().At(3, 0)[0], 159, 8);

    // Multisampled destinations, depth surfaces and rectangles beyond the source are refused.
    Surface* depth = nullptr;
    device_->CreateDepthStencilSurface(32, 32, D3DFMT_D24S8, 0, 0, 1, &depth);
    const Rect tooWide{16, 0, 40, 8};
    EXPECT_EQ(Results({device_->StretchRect(resolved, nullptr, ms, nullptr, D3DTEXF_NONE),
                       device_->StretchRect(depth, nullptr, resolved, nullptr, D3DTEXF_NONE),
                       device_->StretchRect(ms, &tooWide, resolved, nullptr, D3DTEXF_NONE)}),
              "invalid invalid invalid");
    Release({depth, resolved, tex, back, ms});
}

// Row 0 of a texture target is its top, and a full-screen pass shows it the right way up with its
// texels blended (4 x 4 magnified to 64 x 32).
TEST_P(DeviceFrameTest, TopRowStaysOnTopThroughRenderToTextureAndAFilteredFullScreenPass) {
    Texture* tex = nullptr;
    Surface* rt = NewTextureTarget(4, 4, &tex);
    Surface* back = nullptr;
    device_->GetRenderTarget(0, &back);
    device_->SetRenderTarget(0, rt);
    device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF0000FFu, 1.0f, 0);
    SetColor(1, 0, 0);
    DrawRect(-1, 1, 1, 0);  // upper half in clip space
    EXPECT_EQ(ReadTexture(tex).Spots({{0, 1}, {3, 2}}), "4x4: ff0000 0000ff");

    device_->SetRenderTarget(0, back);
    SetTexture(tex);
    DrawFullScreen();  // texcoord (0,0) at the top-left corner, as in Direct3D
    SetTexture(nullptr);
    const Picture shown = Presented();
    EXPECT_EQ(shown.Spots({{3, 4}, {3, 27}}), "64x32: ff0000 0000ff");
    // Row 15 samples 9/16 of texel row 1 and 7/16 of row 2.
    EXPECT_PRED3(Near, shown.At(3, 15), (Rgba{143, 0, 112, 255}), 4);
    Release({rt, tex, back});
}
