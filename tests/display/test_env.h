// Shared set-up of the display tests: a fresh temporary working folder (for "lol.txt"), the fake
// adapter as g_d3d, recorded message boxes, an exit hook that throws, and zeroed globals.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "display/device_globals.h"
#include "display/display_settings.h"
#include "display/fake_adapter.h"
#include "display/setup_dialog.h"
#include "platform/gfx/gfx.h"
#include "platform/ui/scripted_dialog.h"
#include "platform/ui/ui.h"
#include "support/scratch_dir.h"

struct ExitCalled {
    int code;
};

struct Box {
    std::string text, caption;
    uint32_t type;
};

class DisplayTest : public testing::Test {
  protected:
    void SetUp() override {
        folder_ = std::make_unique<vmtest::ScratchDir>("vm-display");
        inFolder_ = std::make_unique<vmtest::ScopedCurrentPath>(folder_->Path());
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
        gfx::Configure({});
        ui::Configure({});
        g_d3d = nullptr;
        g_device = nullptr;
        inFolder_.reset();
        folder_.reset();
    }

    void InstallUi() {
        ui::Configure({.headless = true,
                       .messageBox =
                           [this](const char* t, const char* c, uint32_t type) {
                               boxes.push_back({t, c, type});
                               return ui::IDOK;
                           },
                       .dialog = dialog.Hook(),
                       .exitProcess = [](int code) { throw ExitCalled{code}; }});
    }

    static std::string ReadFile(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

    fake::Adapter adapter;
    ui::ScriptedDialog dialog;
    std::vector<Box> boxes;

  private:
    std::unique_ptr<vmtest::ScratchDir> folder_;
    std::unique_ptr<vmtest::ScopedCurrentPath> inFolder_;
};
