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
        displaySettings.renderWidth = 1280;
        displaySettings.renderHeight = 720;
        displaySettings.multiSample = 4;
    }
    ~RenderTextureTest() override { displaySettings = saved_; }

    void ExpectEmpty(const RenderTexture& target) {
        EXPECT_EQ(target.texture, nullptr);
        EXPECT_EQ(target.surface, nullptr);
        EXPECT_EQ(target.depth, nullptr);
        EXPECT_EQ(target.msTarget, nullptr);
        EXPECT_EQ(target.savedTarget, nullptr);
        EXPECT_EQ(target.savedDepth, nullptr);
        EXPECT_TRUE(device.LiveObjects().empty());
        EXPECT_EQ(device.Faults(), 0);
    }

    DisplaySettings saved_;
    vmtest::RecordingDevice device;
    vmtest::ScopedDevice use{&device};
    vmtest::BoxRecorder boxes;
    RenderTexture rt;
};

TEST_F(RenderTextureTest, SizeIsTheRenderAreaTimesTheScaleTruncated) {
    rt.Create(0.5f, 0.5f, false, gfx::D3DFMT_X8R8G8B8);
    EXPECT_EQ(rt.width, 640);
    EXPECT_EQ(rt.height, 360);
    rt.Release();
    rt.Create(0.25f, 0.5f, false, gfx::D3DFMT_X8R8G8B8);  // each axis its own scale
    EXPECT_EQ(rt.width, 320);
    EXPECT_EQ(rt.height, 360);
    rt.Release();
    displaySettings.renderWidth = 1366;
    displaySettings.renderHeight = 768;
    rt.Create(0.25f, 0.25f, true, gfx::D3DFMT_X8R8G8B8);
    EXPECT_EQ(rt.width, 341);
    EXPECT_EQ(rt.height, 192);
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(RenderTextureTest, PlainCreationMakesTextureDepthAndLevelSurface) {
    rt.CreateSized(640, 360, false, gfx::D3DFMT_X8R8G8B8);
    EXPECT_LINES(device.Calls(),
                 (Lines{"CreateTexture(640, 360, 1, RENDERTARGET, X8R8G8B8, DEFAULT)",
                        "CreateDepthStencilSurface(640, 360, D24S8, NONE, 0, 1)"}));
    ASSERT_NE(rt.texture, nullptr);
    ASSERT_NE(rt.surface, nullptr);
    EXPECT_EQ(vmtest::RecordingDevice::Name(rt.depth), "depth1");
    EXPECT_EQ(rt.msTarget, nullptr);
    rt.Release();
    ExpectEmpty(rt);
    EXPECT_EQ(rt.width, 640);  // size and flag survive a release
}

TEST_F(RenderTextureTest, MultisampledCreationUsesTheChosenSampleCount) {
    rt.CreateSized(1280, 720, true, gfx::D3DFMT_X8R8G8B8);
    EXPECT_LINES(device.Calls(),
                 (Lines{"CreateTexture(1280, 720, 1, RENDERTARGET, X8R8G8B8, DEFAULT)",
                        "CreateDepthStencilSurface(1280, 720, D24S8, 4_SAMPLES, 0, 1)",
                        "CreateRenderTarget(1280, 720, X8R8G8B8, 4_SAMPLES, 0, 0)"}));
    EXPECT_NE(rt.msTarget, nullptr);
    EXPECT_TRUE(rt.multisampled);
}

TEST_F(RenderTextureTest, EveryCreationFailureIsReportedAndEmptiesTheRecord) {
    const struct {
        const char* call;
        bool multisampled;
        const char* text;
    } cases[] = {
        {"CreateTexture", false, "CreateTexture"},
        {"CreateDepthStencilSurface", false, "CreateDepthStencil"},
        {"CreateDepthStencilSurface", true, "CreateDepthStencil (ms)"},
        {"CreateRenderTarget", true, "CreateRenderTarget (ms)"},
        {"GetSurfaceLevel", true, "GetSurfaceLevel"},
        {"GetSurfaceLevel", false, "GetSurfaceLevel"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        boxes.boxes.clear();
        device.FailOn(c.call, gfx::D3DERR_OUTOFVIDEOMEMORY);
        rt.CreateSized(64, 32, c.multisampled, gfx::D3DFMT_X8R8G8B8);
        EXPECT_EQ(boxes.boxes, (Boxes{{c.text, "RenderTexture"}}));
        ExpectEmpty(rt);
    }
}

TEST_F(RenderTextureTest, BeginAndEndSwitchTargetsAndResolveKeepingReferenceCounts) {
    rt.CreateSized(640, 360, true, gfx::D3DFMT_X8R8G8B8);
    const uint32_t targetRefs = device.BackBuffer()->Refs();
    const uint32_t depthRefs = device.AutoDepth()->Refs();
    const std::string ms = vmtest::RecordingDevice::Name(rt.msTarget);
    const std::string level = vmtest::RecordingDevice::Name(rt.surface);
    const std::string depth = vmtest::RecordingDevice::Name(rt.depth);
    device.ClearCalls();

    rt.Begin();
    EXPECT_EQ(device.CurrentTarget(), rt.msTarget);
    EXPECT_EQ(device.CurrentDepth(), rt.depth);
    EXPECT_EQ(device.SceneDepth(), 1);
    EXPECT_EQ(rt.savedTarget, device.BackBuffer());
    rt.End();

    EXPECT_EQ(
        device.Calls(),
        (Lines{"GetRenderTarget(0)", "GetDepthStencilSurface()", "SetRenderTarget(0, " + ms + ")",
               "SetDepthStencilSurface(" + depth + ")", "BeginScene()", "EndScene()",
               "SetRenderTarget(0, backbuffer)", "SetDepthStencilSurface(autodepth)",
               "StretchRect(" + ms + ", null, " + level + ", null, NONE)"}));
    EXPECT_EQ(device.CurrentTarget(), device.BackBuffer());
    EXPECT_EQ(device.CurrentDepth(), device.AutoDepth());
    EXPECT_EQ(device.BackBuffer()->Refs(), targetRefs);
    EXPECT_EQ(device.AutoDepth()->Refs(), depthRefs);
    EXPECT_EQ(device.SceneDepth(), 0);
    EXPECT_EQ(rt.savedTarget, nullptr);
    EXPECT_EQ(rt.savedDepth, nullptr);
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(RenderTextureTest, APlainRenderTextureRendersIntoItsLevelSurfaceWithoutResolve) {
    rt.CreateSized(64, 64, false, gfx::D3DFMT_X8R8G8B8);
    device.ClearCalls();
    rt.Begin();
    EXPECT_EQ(device.CurrentTarget(), rt.surface);
    rt.End();
    for (const std::string& line : device.Calls())
        EXPECT_EQ(line.find("StretchRect"), std::string::npos);
}

TEST_F(RenderTextureTest, BeginOnAnEmptyRecordReportsAndLeavesTheDeviceAsItWas) {
    for (bool multisampled : {false, true}) {
        boxes.boxes.clear();
        rt.multisampled = multisampled;
        rt.Begin();
        EXPECT_EQ(
            boxes.boxes,
            (Boxes{{multisampled ? "SetRenderTarget (ms)" : "SetRenderTarget", "RenderTexture"}}));
        EXPECT_EQ(device.SceneDepth(), 0);
        EXPECT_EQ(device.CurrentTarget(), device.BackBuffer());
        EXPECT_EQ(device.BackBuffer()->Refs(), 1u);
        EXPECT_EQ(device.AutoDepth()->Refs(), 1u);
        ExpectEmpty(rt);
    }
}

TEST_F(RenderTextureTest, BeginAndEndFailuresAreReportedAndReleaseEverything) {
    const struct {
        const char* call;
        int skip;
        bool inEnd;
        vmtest::BoxRecorder::Box box;
    } cases[] = {
        {"GetRenderTarget", 0, false, {"GetRenderTarget", "RenderTexture"}},
        {"GetDepthStencilSurface", 0, false, {"GetDepthStencil", "RenderTarget"}},
        {"SetRenderTarget", 0, false, {"SetRenderTarget (ms)", "RenderTexture"}},
        {"SetDepthStencilSurface", 0, false, {"SetDepthStencilSurface", "RenderTexture"}},
        {"SetRenderTarget", 1, true, {"SetRenderTarget (End)", "RenderTexture"}},
        {"SetDepthStencilSurface", 1, true, {"SetDepthStencil (end)", "RenderTexture"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.box.text);
        boxes.boxes.clear();
        rt.CreateSized(64, 64, true, gfx::D3DFMT_X8R8G8B8);
        device.FailOn(c.call, gfx::D3DERR_INVALIDCALL, c.skip);
        rt.Begin();
        EXPECT_EQ(device.SceneDepth(), c.inEnd ? 1 : 0);
        rt.End();
        EXPECT_EQ(boxes.boxes, (Boxes{c.box}));
        // Put the device back (dropping its references on the render texture's surfaces).
        device.SetRenderTarget(0, device.BackBuffer());
        device.SetDepthStencilSurface(device.AutoDepth());
        ExpectEmpty(rt);
    }
}

TEST_F(RenderTextureTest, EndWithoutBeginAndNoDeviceAreHarmless) {
    rt.CreateSized(16, 16, true, gfx::D3DFMT_X8R8G8B8);
    device.ClearCalls();
    rt.End();
    EXPECT_TRUE(device.Calls().empty());
    {
        vmtest::ScopedDevice none(nullptr);
        rt.Begin();
        EXPECT_EQ(boxes.boxes, (Boxes{{"GetRenderTarget", "RenderTexture"}}));
    }
    ExpectEmpty(rt);
}

}  // namespace
