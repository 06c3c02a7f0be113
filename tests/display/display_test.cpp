// Window and device start-up from the settings, each failure's box, and what the display releases.
#include <tuple>

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
    // Full screen with vsync and hardware transform; then windowed, neither.
    const struct {
        bool fullscreen;
        const char* createDevice;
        Boxes boxes;
    } cases[] = {
        {true,
         "CreateDevice(0, 1, 1024x768, 64, 1024, 768, X8R8G8B8, 3, 0, 1, null, 0, 0, D24S8, 0, 0)",
         {}},
        {false,
         "CreateDevice(0, 1, 1024x768, 32, 1024, 768, X8R8G8B8, 3, 0, 1, null, 1, 0, D24S8, 0, "
         "2147483648)",
         {{"No D3DDEVCAPS_HWTRANSFORMANDLIGHT (May Run Slow)", "D3D9CAPS", ui::MB_OK}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.createDevice);
        Display& d = MakeDisplay();
        adapter.device.ClearCalls();
        displaySettings.fullscreen = c.fullscreen;
        displaySettings.vsync = c.fullscreen;
        adapter.caps.DevCaps = c.fullscreen ? gfx::D3DDEVCAPS_HWTRANSFORMANDLIGHT : 0;
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
        EXPECT_EQ(std::tuple(g_device, g_d3d, adapter.refs), std::tuple(nullptr, nullptr, 0u));
        EXPECT_EQ(adapter.device.AddRef(), 1u);          // the display's references went
        adapter.device.SetDepthStencilSurface(nullptr);  // the device's own reference
        EXPECT_EQ(adapter.device.LiveObjects(), Lines{});
        adapter.refs = 1;
    }
}

TEST_F(DisplayDeviceTest, EachFailingStepShowsItsBoxAndOpenFails) {
    for (const char* call : {"CreateDevice", "CreateDepthStencilSurface", "SetDepthStencilSurface",
                             ""}) {  // "": no window can have width 0
        SCOPED_TRACE(call);
        MakeDisplay();
        adapter.device.ClearCalls();
        adapter.createResult = call == std::string("CreateDevice") ? gfx::E_FAIL : gfx::D3D_OK;
        adapter.device.FailOn(call, gfx::E_OUTOFMEMORY);
        displaySettings.screenWidth = *call ? 1024 : 0;
        EXPECT_FALSE(display->Open("x"));
        const Box box = *call
                            ? Box{call, "Error::D3D9Init", ui::MB_OK}
                            : Box{"CreateWindowEx()", "ERROR", ui::MB_OK | ui::MB_ICONEXCLAMATION};
        EXPECT_EQ(boxes, Boxes{box});
        EXPECT_EQ(adapter.device.Calls().empty(), !*call);  // no device without a window
        display.reset();
        adapter.refs = 1;
    }
    Display& d = MakeDisplay();
    displaySettings.screenWidth = 1024;
    g_d3d = nullptr;
    EXPECT_FALSE(d.Open("x"));  // and none without an adapter
}

}  // namespace
