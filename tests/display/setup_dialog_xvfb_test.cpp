// The real setup dialog on an Xvfb server, driven with xdotool: choices made by keyboard alone
// reach "lol.txt", the exit keys print "hooo", the close box ends the process. A screenshot with
// the focus mark stays in the build folder (setup_dialog.png). Skipped when Xvfb, xdotool or
// ImageMagick's import are missing.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "support/xvfb_session.h"

namespace {

namespace fs = std::filesystem;
using vmtest::ReadFile;
using vmtest::WaitFor;

class SetupDialogXvfb : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        if (!vmtest::XvfbSession::Available({"xdotool", "import"})) return;
        xvfb_ = std::make_unique<vmtest::XvfbSession>();
        xvfb_->Start(97, 140, "1024x768x24");
    }
    static void TearDownTestSuite() { xvfb_.reset(); }
    void SetUp() override {
        if (!xvfb_ || !xvfb_->Running()) GTEST_SKIP() << "Xvfb, xdotool or import not available";
        folder_ =
            fs::current_path() /
            ("e2e_" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(folder_);
        fs::create_directories(folder_);
    }

    // Starts the dialog program; returns the dialog window's id (empty if it never appeared).
    std::string Start() {
        app_ = xvfb_->Launch(E2E_APP, folder_);
        const std::string id = xvfb_->FindWindow("^tavrin_quell$");
        std::this_thread::sleep_for(std::chrono::milliseconds(800));  // let a few frames draw
        return id;
    }
    void X(const std::string& command) { xvfb_->X(command); }
    void Keys(const std::string& window, const std::string& keys) {
        X("xdotool windowfocus --sync " + window + " key --delay 40 " + keys);
    }
    std::string Output() const { return ReadFile(folder_ / "out.txt"); }

    static inline std::unique_ptr<vmtest::XvfbSession> xvfb_;
    pid_t app_ = 0;
    fs::path folder_;
};

// Keys as xdotool names them; focus starts on Run, tab order Run, Exit, Fullscreen, Resolution,
// Aspect Ratio, Multisampling, Vsync. The fake adapter lists 640x480@60, 800x600@60, 800x600@75
// (preselected), 1024x768@60, 1920x1080@60; No, 2x (preselected), 4x Multisampling; the 16:9
// desktop preselects "16:9". Between them the runs choose every entry and both states of each box.
TEST_F(SetupDialogXvfb, KeyboardChoicesReachLolTxt) {
    struct Case {
        const char* keys;
        const char* lolTxt;
        const char* boxes;
    };
    const Case cases[] = {
        {"Return", "screen = 800x600@75\nrender = 800x600\noffset = 0\nratio  = 1.777778\nms = 2\n",
         "fullscreen=1 vsync=1"},
        {"Tab Tab Tab Home Tab Up Up Tab Home Tab space Return",
         "screen = 640x480@60\nrender = 640x360\noffset = 60\nratio  = 1.333333\nms = 0\n",
         "fullscreen=1 vsync=0"},
        {"Tab Tab space Tab Up Tab Tab End shift+Tab shift+Tab shift+Tab shift+Tab shift+Tab space",
         "screen = 800x600@60\nrender = 800x450\noffset = 75\nratio  = 1.333333\nms = 4\n",
         "fullscreen=0 vsync=1"},
        {"Tab Tab Tab alt+Down Down Return Tab F4 Up Return Return",
         "screen = 1024x768@60\nrender = 1024x691\noffset = 38\nratio  = 1.600000\nms = 2\n",
         "fullscreen=1 vsync=1"},
        {"Tab Tab space Tab End Tab Tab Next Tab space Return",
         "screen = 1920x1080@60\nrender = 1920x1080\noffset = 0\nratio  = 1.333333\nms = 4\n",
         "fullscreen=0 vsync=0"},
        {"Tab Tab Tab Prior Down Down Tab F4 Home F4 Tab Up Tab space space Return",
         "screen = 800x600@75\nrender = 800x450\noffset = 75\nratio  = 1.333333\nms = 0\n",
         "fullscreen=1 vsync=1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.keys);
        const std::string id = Start();
        ASSERT_FALSE(id.empty()) << ReadFile(folder_ / "err.txt");
        Keys(id, c.keys);
        ASSERT_EQ(WaitFor(app_, std::chrono::seconds(20)), 0);
        EXPECT_EQ(ReadFile(folder_ / "lol.txt"), c.lolTxt);
        EXPECT_NE(Output().find(std::string(c.lolTxt) + "\nresult=true " + c.boxes),
                  std::string::npos)
            << Output();
        fs::remove(folder_ / "lol.txt");
    }
}

// Escape in an open list closes only the list; Escape, or Return on a focused Exit, then exits.
TEST_F(SetupDialogXvfb, ExitKeysPrintHoooAndWriteNothing) {
    struct Case {
        const char* keysFirst;  // the dialog is still open after these
        const char* keysLast;
    };
    const Case cases[] = {{"Tab Tab Tab alt+Down Down Escape", "Escape"}, {"Tab", "Return"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.keysFirst) + " | " + c.keysLast);
        const std::string id = Start();
        ASSERT_FALSE(id.empty()) << ReadFile(folder_ / "err.txt");
        Keys(id, c.keysFirst);
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        ASSERT_EQ(waitpid(app_, nullptr, WNOHANG), 0) << "the dialog ended early: " << Output();
        if (&c == &cases[0])  // the focus mark on the Resolution list
            X("import -window root " + (fs::current_path() / "setup_dialog.png").string());
        Keys(id, c.keysLast);
        ASSERT_EQ(WaitFor(app_, std::chrono::seconds(20)), 0);
        EXPECT_NE(Output().find("hooo\nresult=false"), std::string::npos) << Output();
        EXPECT_FALSE(fs::exists(folder_ / "lol.txt"));
    }
    EXPECT_TRUE(fs::exists(fs::current_path() / "setup_dialog.png"));
}

TEST_F(SetupDialogXvfb, CloseBoxEndsTheProcessWithZeroAndWritesNothing) {
    const std::string id = Start();
    ASSERT_FALSE(id.empty()) << ReadFile(folder_ / "err.txt");
    X(std::string(SEND_WM_DELETE) + " " + id);
    ASSERT_EQ(WaitFor(app_, std::chrono::seconds(20)), 0);
    const std::string out = Output();
    EXPECT_EQ(out.find("result="), std::string::npos) << out;
    EXPECT_EQ(out.find("hooo"), std::string::npos) << out;
    EXPECT_FALSE(fs::exists(folder_ / "lol.txt"));
}

}  // namespace
