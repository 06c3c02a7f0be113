// The real setup dialog on an Xvfb server, driven with xdotool: choices made by keyboard alone
// reach "lol.txt", the exit keys print "hooo", the close box ends the process. A screenshot with
// the focus mark stays in the build folder (setup_dialog.png). Skipped when Xvfb, xdotool or
// ImageMagick's import are missing.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/xvfb_session.h"

namespace {

namespace fs = std::filesystem;
using vmtest::ReadFile;

// Keys as xdotool names them; focus starts on Run, tab order Run, Exit, Fullscreen, Resolution,
// Aspect Ratio, Multisampling, Vsync. The fake adapter lists 640x480@60, 800x600@60, 800x600@75
// (preselected), 1024x768@60, 1920x1080@60; No, 2x (preselected), 4x Multisampling; the 16:9
// desktop preselects "16:9". Between them the runs choose every entry and both states of each box.
// Escape in an open list closes only the list (the dialog is checked to be open at the "|").
TEST(SetupDialogXvfb, KeyboardChoicesReachLolTxtExitKeysPrintHoooAndTheCloseBoxEndsIt) {
    if (!vmtest::XvfbSession::Available({"xdotool", "import"}))
        GTEST_SKIP() << "Xvfb, xdotool or import not available";
    vmtest::XvfbSession xvfb;
    ASSERT_TRUE(xvfb.Start(97, 140, "1024x768x24"));
    const struct {
        const char* keys;  // null: the close box
        const char* lolTxt;
        const char* out;
    } cases[] = {
        {"Return", "screen = 800x600@75\nrender = 800x600\noffset = 0\nratio  = 1.777778\nms = 2\n",
         "result=true fullscreen=1 vsync=1"},
        {"Tab Tab Tab Home Tab Up Up Tab Home Tab space Return",
         "screen = 640x480@60\nrender = 640x360\noffset = 60\nratio  = 1.333333\nms = 0\n",
         "result=true fullscreen=1 vsync=0"},
        {"Tab Tab space Tab Up Tab Tab End shift+Tab shift+Tab shift+Tab shift+Tab shift+Tab space",
         "screen = 800x600@60\nrender = 800x450\noffset = 75\nratio  = 1.333333\nms = 4\n",
         "result=true fullscreen=0 vsync=1"},
        {"Tab Tab Tab alt+Down Down Return Tab F4 Up Return Return",
         "screen = 1024x768@60\nrender = 1024x691\noffset = 38\nratio  = 1.600000\nms = 2\n",
         "result=true fullscreen=1 vsync=1"},
        {"Tab Tab space Tab End Tab Tab Next Tab space Return",
         "screen = 1920x1080@60\nrender = 1920x1080\noffset = 0\nratio  = 1.333333\nms = 4\n",
         "result=true fullscreen=0 vsync=0"},
        {"Tab Tab Tab Prior Down Down Tab F4 Home F4 Tab Up Tab space space Return",
         "screen = 800x600@75\nrender = 800x450\noffset = 75\nratio  = 1.333333\nms = 0\n",
         "result=true fullscreen=1 vsync=1"},
        {"Tab Tab Tab alt+Down Down Escape|Escape", "", "hooo\nresult=false"},
        {"Tab|Return", "", "hooo\nresult=false"},
        {nullptr, "", ""},
    };
    const fs::path folder = fs::current_path() / "e2e_setup_dialog";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.keys ? c.keys : "close box");
        fs::remove_all(folder);
        fs::create_directories(folder);
        const pid_t app = xvfb.Launch(E2E_APP, folder);
        const std::string id = xvfb.FindWindow("^tavrin_quell$");
        ASSERT_FALSE(id.empty()) << ReadFile(folder / "err.txt");
        std::this_thread::sleep_for(std::chrono::milliseconds(800));  // let a few frames draw
        const std::string keys = c.keys ? c.keys : "";
        const size_t pause = keys.find('|');
        const auto press = [&](const std::string& k) {
            xvfb.X("xdotool windowfocus --sync " + id + " key --delay 40 " + k);
        };
        if (c.keys == nullptr) {
            xvfb.X(std::string(SEND_WM_DELETE) + " " + id);
        } else if (pause != std::string::npos) {
            press(keys.substr(0, pause));
            std::this_thread::sleep_for(std::chrono::milliseconds(500));
            ASSERT_EQ(waitpid(app, nullptr, WNOHANG), 0) << "ended early";
            xvfb.X("import -window root " + (fs::current_path() / "setup_dialog.png").string());
            press(keys.substr(pause + 1));
        } else {
            press(keys);
        }
        ASSERT_EQ(vmtest::WaitFor(app, std::chrono::seconds(20)), 0);
        const std::string out = ReadFile(folder / "out.txt");
        EXPECT_EQ(ReadFile(folder / "lol.txt"), c.lolTxt);
        EXPECT_NE(out.find(std::string(c.lolTxt) + (*c.lolTxt ? "\n" : "") + c.out),
                  std::string::npos)
            << out;
        if (c.keys == nullptr) {
            EXPECT_EQ(out.find("result="), std::string::npos) << out;
        }
    }
    EXPECT_TRUE(fs::exists(fs::current_path() / "setup_dialog.png"));
}

}  // namespace
