// Window and device start-up from the settings, each failure's box, and the release order.
#include "display/display.h"

#include "display/test_env.h"

namespace {

class DisplayDeviceTest : public DisplayTest {
  protected:
    void SetUp() override {
        DisplayTest::SetUp();
        display_ = std::make_unique<Display>();
        if (g_d3d != nullptr && g_d3d != &adapter) g_d3d->Release();
        g_d3d = &adapter;
        boxes.clear();
        log.clear();
        displaySettings = DisplaySettings{1024, 768, 75, 1.3333334f, true, true, 4};
    }
    void TearDown() override {
        Destroy();
        DisplayTest::TearDown();
    }
    void Destroy() { display_.reset(); }

    static int CursorCounter() {
        const int shown = ui::ShowCursor(true);
        ui::ShowCursor(false);
        return shown - 1;
    }

    std::vector<std::string> log;
    fake::Adapter adapterWithLog{&log};
    std::unique_ptr<Display> display_;
};

TEST_F(DisplayDeviceTest, FullScreenOpenBuildsTheDeviceAsTheTableSays) {
    const int cursorBefore = CursorCounter();
    ASSERT_TRUE(display_->Open("ignored title"));
    EXPECT_EQ(CursorCounter(), cursorBefore - 1);  // pointer hidden
    ASSERT_NE(adapter.createFocus, nullptr);
    EXPECT_EQ(adapter.createFocus->width, 1024);
    EXPECT_EQ(adapter.createFocus->height, 768);
    EXPECT_EQ(adapter.createAdapter, gfx::D3DADAPTER_DEFAULT);
    EXPECT_EQ(adapter.createType, gfx::D3DDEVTYPE_HAL);
    EXPECT_EQ(adapter.createFlags, gfx::D3DCREATE_HARDWARE_VERTEXPROCESSING);
    const gfx::PresentParameters& p = adapter.createParams;
    EXPECT_EQ(p.BackBufferWidth, 1024u);
    EXPECT_EQ(p.BackBufferHeight, 768u);
    EXPECT_EQ(p.BackBufferFormat, gfx::D3DFMT_X8R8G8B8);
    EXPECT_EQ(p.BackBufferCount, 3u);
    EXPECT_EQ(p.MultiSampleType, 0u);  // the back buffer is never multisampled
    EXPECT_EQ(p.SwapEffect, gfx::D3DSWAPEFFECT_DISCARD);
    EXPECT_EQ(p.hDeviceWindow, nullptr);
    EXPECT_EQ(p.Windowed, 0);
    EXPECT_EQ(p.EnableAutoDepthStencil, 0);
    EXPECT_EQ(p.AutoDepthStencilFormat, gfx::D3DFMT_D24S8);
    EXPECT_EQ(p.FullScreen_RefreshRateInHz, 0u);  // 75 Hz chosen, default rate used
    EXPECT_EQ(p.PresentationInterval, gfx::D3DPRESENT_INTERVAL_DEFAULT);
    const gfx::SurfaceDesc& depth = adapter.device.depth.desc;
    EXPECT_EQ(std::tuple(depth.Width, depth.Height, depth.Format, depth.MultiSampleType),
              std::tuple(1024u, 768u, gfx::D3DFMT_D24X8, 0u));
    EXPECT_EQ(adapter.device.depthDiscard, 1);
    EXPECT_EQ(adapter.device.depthSet, &adapter.device.depth);
    EXPECT_EQ(g_device, &adapter.device);
    EXPECT_EQ(display_->depthSurface, &adapter.device.depth);
    EXPECT_TRUE(boxes.empty());
}

TEST_F(DisplayDeviceTest, WindowedKeepsThePointerAndClearedVsyncPresentsImmediately) {
    displaySettings.fullscreen = false;
    displaySettings.vsync = false;
    const int cursorBefore = CursorCounter();
    ASSERT_TRUE(display_->Open("x"));
    EXPECT_EQ(CursorCounter(), cursorBefore);
    EXPECT_EQ(adapter.createParams.Windowed, 1);
    EXPECT_EQ(adapter.createParams.BackBufferWidth, 1024u);
    EXPECT_EQ(adapter.createParams.PresentationInterval, gfx::D3DPRESENT_INTERVAL_IMMEDIATE);
}

TEST_F(DisplayDeviceTest, MissingHardwareTransformWarnsAndUsesSoftwareProcessing) {
    adapter.caps.DevCaps = 0;
    ASSERT_TRUE(display_->Open("x"));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "No D3DDEVCAPS_HWTRANSFORMANDLIGHT (May Run Slow)");
    EXPECT_EQ(boxes[0].caption, "D3D9CAPS");
    EXPECT_EQ(adapter.createFlags, gfx::D3DCREATE_SOFTWARE_VERTEXPROCESSING);
}

TEST_F(DisplayDeviceTest, EachFailingStepShowsItsBoxAndOpenFails) {
    struct Case {
        const char* text;
        std::function<void(fake::Adapter&)> breakIt;
        bool deviceExists;
    };
    const Case cases[] = {
        {"CreateDevice", [](fake::Adapter& a) { a.createResult = gfx::D3DERR_NOTAVAILABLE; },
         false},
        {"CreateDepthStencilSurface",
         [](fake::Adapter& a) { a.device.depthResult = gfx::E_OUTOFMEMORY; }, true},
        {"SetDepthStencilSurface",
         [](fake::Adapter& a) { a.device.setDepthResult = gfx::D3DERR_INVALIDCALL; }, true},
    };
    for (const Case& c : cases) {
        fake::Adapter broken;
        c.breakIt(broken);
        g_d3d = &broken;
        g_device = nullptr;
        boxes.clear();
        EXPECT_FALSE(display_->Open("x")) << c.text;
        ASSERT_EQ(boxes.size(), 1u) << c.text;
        EXPECT_EQ(boxes[0].text, c.text);
        EXPECT_EQ(boxes[0].caption, "Error::D3D9Init");
        EXPECT_EQ(g_device != nullptr, c.deviceExists) << c.text;
        display_->depthSurface = nullptr;
        g_device = nullptr;
    }
    g_d3d = &adapter;
}

TEST_F(DisplayDeviceTest, WindowFailureShowsTheErrorBox) {
    displaySettings.screenWidth = 0;  // no window can have this size
    EXPECT_FALSE(display_->Open("x"));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "CreateWindowEx()");
    EXPECT_EQ(boxes[0].caption, "ERROR");
    EXPECT_EQ(boxes[0].type, ui::MB_OK | ui::MB_ICONEXCLAMATION);
    EXPECT_EQ(adapter.createFocus, nullptr);  // no device attempted
}

TEST_F(DisplayDeviceTest, DestructorReleasesWhatExistsSurfaceDeviceAdapterInOrder) {
    using Lines = std::vector<std::string>;
    ASSERT_TRUE(display_->Open("x"));  // first the log-less adapter, replaced below
    Destroy();
    EXPECT_EQ(g_d3d, nullptr);
    EXPECT_EQ(g_device, nullptr);
    for (const bool depthFails : {false, true}) {
        log.clear();
        adapterWithLog.device.depthResult = depthFails ? gfx::E_FAIL : gfx::D3D_OK;
        display_ = std::make_unique<Display>();
        if (g_d3d != nullptr) g_d3d->Release();  // the real adapter the constructor made
        g_d3d = &adapterWithLog;
        EXPECT_EQ(display_->Open("x"), !depthFails);
        Destroy();
        const Lines expected = depthFails
                                   ? Lines{"release device", "release adapter"}
                                   : Lines{"release surface", "release device", "release adapter"};
        EXPECT_EQ(log, expected);
    }
}

TEST_F(DisplayDeviceTest, WithoutAnAdapterNothingOpens) {
    g_d3d = nullptr;
    EXPECT_FALSE(display_->Open("x"));
    EXPECT_EQ(g_device, nullptr);
}

}  // namespace
