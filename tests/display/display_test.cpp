// Window and device start-up from the settings, each failure's box, and what the display releases.
#include "display/test_env.h"
#include "support/call_lines.h"

namespace {

using vmtest::Lines;

class DisplayDeviceTest : public DisplayTest {
  protected:
    void SetUp() override {
        DisplayTest::SetUp();
        MakeDisplay();
        displaySettings = DisplaySettings{1024, 768, 75, 1.3333334f, true, true, 4};
    }
    static int CursorCounter() {
        const int shown = ui::ShowCursor(true);
        ui::ShowCursor(false);
        return shown - 1;
    }
};

TEST_F(DisplayDeviceTest, OpenBuildsTheDeviceFromTheSettingsAndReleasesItAll) {
    const struct {
        bool fullscreen, vsync, hardware;
        const char* createDevice;
        Boxes boxes;
    } cases[] = {
        {true,
         true,
         true,
         "CreateDevice(0, 1, 1024x768, 64, 1024, 768, X8R8G8B8, 3, 0, 1, null, 0, 0, D24S8, 0, 0)",
         {}},
        {false,
         false,
         false,
         "CreateDevice(0, 1, 1024x768, 32, 1024, 768, X8R8G8B8, 3, 0, 1, null, 1, 0, D24S8, 0, "
         "2147483648)",
         {{"No D3DDEVCAPS_HWTRANSFORMANDLIGHT (May Run Slow)", "D3D9CAPS", ui::MB_OK}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.createDevice);
        Display& d = MakeDisplay();
        adapter.device.ClearCalls();
        displaySettings.fullscreen = c.fullscreen;
        displaySettings.vsync = c.vsync;
        adapter.caps.DevCaps = c.hardware ? gfx::D3DDEVCAPS_HWTRANSFORMANDLIGHT : 0;
        const int cursorBefore = CursorCounter();
        ASSERT_TRUE(d.Open("ignored title"));
        EXPECT_EQ(CursorCounter(), cursorBefore - (c.fullscreen ? 1 : 0));  // hidden full screen
        EXPECT_LINES(
            adapter.device.Calls(),
            (Lines{c.createDevice, "CreateDepthStencilSurface(1024, 768, D24X8, 0, 0, 1)",
                   "SetDepthStencilSurface(depth" + std::to_string(&c - cases + 1) + ")"}));
        EXPECT_EQ(boxes, c.boxes);
        EXPECT_EQ(g_device, &adapter.device);
        display.reset();
        EXPECT_EQ(g_device, nullptr);
        EXPECT_EQ(g_d3d, nullptr);
        EXPECT_EQ(adapter.refs, 0u);
        EXPECT_EQ(adapter.device.AddRef(), 1u);          // the display's references went
        adapter.device.SetDepthStencilSurface(nullptr);  // the device's own reference
        EXPECT_EQ(adapter.device.LiveObjects(), Lines{});
        adapter.refs = 1;
    }
}

TEST_F(DisplayDeviceTest, EachFailingStepShowsItsBoxAndOpenFails) {
    const struct {
        const char* call;
        const char* text;
        const char* caption;
    } cases[] = {
        {"CreateDevice", "CreateDevice", "Error::D3D9Init"},
        {"CreateDepthStencilSurface", "CreateDepthStencilSurface", "Error::D3D9Init"},
        {"SetDepthStencilSurface", "SetDepthStencilSurface", "Error::D3D9Init"},
        {"", "CreateWindowEx()", "ERROR"},  // no window can have width 0
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        MakeDisplay();
        adapter.device.ClearCalls();
        adapter.createResult = c.call == std::string("CreateDevice") ? gfx::E_FAIL : gfx::D3D_OK;
        adapter.device.FailOn(c.call, gfx::E_OUTOFMEMORY);
        displaySettings.screenWidth = *c.call ? 1024 : 0;
        EXPECT_FALSE(display->Open("x"));
        EXPECT_EQ(
            boxes,
            (Boxes{{c.text, c.caption, *c.call ? ui::MB_OK : ui::MB_OK | ui::MB_ICONEXCLAMATION}}));
        EXPECT_EQ(adapter.device.Calls().empty(), !*c.call);  // no device without a window
        display.reset();
        adapter.refs = 1;
    }
    Display& d = MakeDisplay();
    displaySettings.screenWidth = 1024;
    g_d3d = nullptr;
    EXPECT_FALSE(d.Open("x"));  // and none without an adapter
}

}  // namespace
