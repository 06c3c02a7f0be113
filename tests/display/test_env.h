// Shared set-up of the display tests: a fresh temporary working folder (for "lol.txt"), the fake
// adapter as g_d3d, recorded message boxes, a scripted dialog and zeroed globals.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "display/device_globals.h"
#include "display/display.h"
#include "display/display_settings.h"
#include "display/fake_adapter.h"
#include "display/setup_dialog.h"
#include "platform/ui/scripted_dialog.h"
#include "support/scratch_dir.h"

struct Box {
    std::string text, caption;
    uint32_t type;
    bool operator==(const Box&) const = default;
};
using Boxes = std::vector<Box>;

class DisplayTest : public testing::Test {
  protected:
    void SetUp() override {
        displaySettings = DisplaySettings{};
        modeCount = 0;
        g_d3d = &adapter;
        g_device = nullptr;
        // Display's constructor makes a real adapter before the fake replaces it: keep that one
        // offscreen, whatever display the machine has.
        gfx::Configure({.provider = gfx::ContextProvider::Headless});
        InstallUi();
    }
    void TearDown() override {
        display.reset();
        gfx::Configure({});
        ui::Configure({});
        g_d3d = nullptr;
        g_device = nullptr;
    }
    void InstallUi() {
        ui::Configure({.headless = true,
                       .messageBox =
                           [this](const char* t, const char* c, uint32_t type) {
                               boxes.push_back({t, c, type});
                               return ui::IDOK;
                           },
                       .dialog = dialog.Hook()});
    }
    // A display over the fake adapter (the real adapter its constructor made is released).
    Display& MakeDisplay() {
        display = std::make_unique<Display>();
        if (g_d3d != nullptr && g_d3d != &adapter) g_d3d->Release();
        g_d3d = &adapter;
        boxes.clear();
        return *display;
    }

    vmtest::ScratchDir folder{"vm-display"};
    vmtest::ScopedCurrentPath inFolder{folder.Path()};
    fake::Adapter adapter;
    ui::ScriptedDialog dialog;
    Boxes boxes;
    std::unique_ptr<Display> display;
};
