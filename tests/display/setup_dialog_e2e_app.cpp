// Shows the real setup dialog over a fake adapter with fixed modes and prints what it returned
// with the two check boxes' states.
// Driven by the Xvfb test; the close box ends it from inside the dialog.
#include <cstdio>

#include "display/device_globals.h"
#include "display/display.h"
#include "display/display_settings.h"
#include "display/fake_adapter.h"
#include "platform/ui/ui.h"

int main() {
    gfx::Configure({.provider = gfx::ContextProvider::Headless});
    // Boxes (say, from the adapter start-up) go to stderr only: nothing may block the driven
    // dialog.
    ui::Configure({.messageBox = [](const char*, const char*, uint32_t) { return ui::IDOK; }});
    fake::Adapter adapter;
    adapter.modes = {fake::Mode(320, 240, 60),  fake::Mode(640, 480, 60),
                     fake::Mode(800, 600, 60),  fake::Mode(800, 600, 75),
                     fake::Mode(1024, 768, 60), fake::Mode(1920, 1080, 60)};
    adapter.desktop = fake::Mode(1920, 1080, 60);
    Display display;
    if (g_d3d != nullptr) g_d3d->Release();
    g_d3d = &adapter;
    const bool run = display.ShowSetupDialog();
    std::printf("\nresult=%s fullscreen=%d vsync=%d\n", run ? "true" : "false",
                displaySettings.fullscreen ? 1 : 0, displaySettings.vsync ? 1 : 0);
    return display.setupDialogFailed ? 1 : 0;
}
