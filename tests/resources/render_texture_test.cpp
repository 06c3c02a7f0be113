// Render textures on a recording device: creation calls, the target switch of Begin/End with its
// reference counts, and every failure box.
#include "resources/render_texture.h"

#include <gtest/gtest.h>

#include "display/display_settings.h"
#include "support/call_lines.h"
#include "support/recording_device.h"

namespace {

using Boxes = std::vector<vmtest::BoxRecorder::Box>;
using vmtest::Lines;

class RenderTextureTest : public ::testing::Test {
  protected:
    RenderTextureTest() : saved_(displaySettings) {
        displaySettings.renderWidth = 1366;
        displaySettings.renderHeight = 768;
        displaySettings.multiSample = 4;
    }
    ~RenderTextureTest() override { displaySettings = saved_; }

    // Nothing held, the device's own surfaces current with only its references, no scene open.
    void ExpectEmpty() {
        EXPECT_EQ(std::vector<const void*>({rt.texture, rt.surface, rt.depth, rt.msTarget,
                                            rt.savedTarget, rt.savedDepth}),
                  std::vector<const void*>(6, nullptr));
        EXPECT_EQ(device.LiveObjects(), Lines{});
        EXPECT_EQ(std::tuple(device.target, device.depth, device.backBuffer->refs,
                             device.autoDepth->refs, device.sceneDepth, device.faults),
                  std::tuple(device.backBuffer, device.autoDepth, 1u, 1u, 0, 0));
    }

    DisplaySettings saved_;
    vmtest::RecordingDevice device;
    vmtest::ScopedDevice use{&device};
    vmtest::BoxRecorder boxes;
    RenderTexture rt;
};

TEST_F(RenderTextureTest, MakesTheTargetsForItsSizeRendersIntoThemAndResolvesWhenMultisampled) {
    const struct {
        float scaleX, scaleY;
        bool multisampled;
        Lines calls;
    } cases[] = {
        {0.25f,
         0.5f,
         false,
         {"CreateTexture(341, 384, 1, RENDERTARGET, X8R8G8B8, DEFAULT)",
          "CreateDepthStencilSurface(341, 384, D24S8, 0, 0, 1)", "GetRenderTarget(0)",
          "GetDepthStencilSurface()", "SetRenderTarget(0, level1)",
          "SetDepthStencilSurface(depth1)", "BeginScene()", "EndScene()",
          "SetRenderTarget(0, backbuffer)", "SetDepthStencilSurface(autodepth)"}},
        {1,
         1,
         true,
         {"CreateTexture(1366, 768, 1, RENDERTARGET, X8R8G8B8, DEFAULT)",
          "CreateDepthStencilSurface(1366, 768, D24S8, 4, 0, 1)",
          "CreateRenderTarget(1366, 768, X8R8G8B8, 4, 0, 0)", "GetRenderTarget(0)",
          "GetDepthStencilSurface()", "SetRenderTarget(0, surf1)", "SetDepthStencilSurface(depth2)",
          "BeginScene()", "EndScene()", "SetRenderTarget(0, backbuffer)",
          "SetDepthStencilSurface(autodepth)", "StretchRect(surf1, null, level2, null, NONE)"}},
    };
    for (const auto& c : cases) {
        device.ClearCalls();
        rt.Create(c.scaleX, c.scaleY, c.multisampled, gfx::D3DFMT_X8R8G8B8);
        rt.Begin();
        EXPECT_EQ(device.sceneDepth, 1);
        rt.End();
        EXPECT_LINES(device.Calls(), c.calls);
        EXPECT_EQ(std::tuple(rt.savedTarget, rt.savedDepth), std::tuple(nullptr, nullptr));
        rt.Release();
        ExpectEmpty();
        rt.End();  // without Begin: nothing
    }
    EXPECT_EQ(device.Calls().size(), 12u);
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(RenderTextureTest, EveryFailureIsReportedAndReleasesEverything) {
    const struct {
        const char* call;
        int skip;
        bool multisampled;
        const char* text;
        const char* caption;
    } cases[] = {
        {"CreateTexture", 0, false, "CreateTexture", "RenderTexture"},
        {"CreateDepthStencilSurface", 0, false, "CreateDepthStencil", "RenderTexture"},
        {"CreateDepthStencilSurface", 0, true, "CreateDepthStencil (ms)", "RenderTexture"},
        {"CreateRenderTarget", 0, true, "CreateRenderTarget (ms)", "RenderTexture"},
        {"GetSurfaceLevel", 0, false, "GetSurfaceLevel", "RenderTexture"},
        {"GetRenderTarget", 0, true, "GetRenderTarget", "RenderTexture"},
        {"GetDepthStencilSurface", 0, true, "GetDepthStencil", "RenderTarget"},
        {"SetRenderTarget", 0, true, "SetRenderTarget (ms)", "RenderTexture"},
        {"SetRenderTarget", 0, false, "SetRenderTarget", "RenderTexture"},
        {"SetDepthStencilSurface", 0, true, "SetDepthStencilSurface", "RenderTexture"},
        {"SetRenderTarget", 1, true, "SetRenderTarget (End)", "RenderTexture"},
        {"SetDepthStencilSurface", 1, true, "SetDepthStencil (end)", "RenderTexture"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        boxes.boxes.clear();
        device.FailOn(c.call, gfx::D3DERR_INVALIDCALL, c.skip);
        rt.CreateSized(64, 32, c.multisampled, gfx::D3DFMT_X8R8G8B8);
        rt.Begin();
        rt.End();
        // Begin on what a failed creation left reports too.
        const char* begin = c.multisampled ? "SetRenderTarget (ms)" : "SetRenderTarget";
        const Boxes expected = &c - cases < 5 ? Boxes{{c.text, c.caption}, {begin, "RenderTexture"}}
                                              : Boxes{{c.text, c.caption}};
        EXPECT_EQ(boxes.boxes, expected);
        // Put the device back (dropping its references on the render texture's surfaces).
        device.SetRenderTarget(0, device.backBuffer);
        device.SetDepthStencilSurface(device.autoDepth);
        ExpectEmpty();
    }
    vmtest::ScopedDevice none(nullptr);
    rt.Begin();
    EXPECT_EQ(boxes.boxes.back(), (vmtest::BoxRecorder::Box{"GetRenderTarget", "RenderTexture"}));
}

}  // namespace
