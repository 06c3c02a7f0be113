// The real setup dialog on an Xvfb server, driven with xdotool: Return runs with the preselected
// settings, Escape exits, the close box ends the process. A screenshot stays in the build folder
// (setup_dialog.png). Skipped when Xvfb, xdotool or ImageMagick's import are missing.
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
    std::string Output() const { return ReadFile(folder_ / "out.txt"); }

    static inline std::unique_ptr<vmtest::XvfbSession> xvfb_;
    pid_t app_ = 0;
    fs::path folder_;
};

TEST_F(SetupDialogXvfb, ReturnRunsWithThePreselectedSettings) {
    const std::string id = Start();
    ASSERT_FALSE(id.empty()) << ReadFile(folder_ / "err.txt");
    X("import -window root " + (fs::current_path() / "setup_dialog.png").string());
    X("xdotool windowfocus --sync " + id + " key Return");
    ASSERT_EQ(WaitFor(app_, std::chrono::seconds(20)), 0);
    const std::string out = Output();
    // 800 x 600 at 75 Hz preselected, 2x multisampling, 16:9 desktop, full screen.
    const std::string lines =
        "screen = 800x600@75\nrender = 800x600\noffset = 0\nratio  = 1.777778\nms = 2\n";
    EXPECT_NE(out.find("dismode to udse = 3   off = 2  5\n" + lines), std::string::npos) << out;
    EXPECT_NE(out.find("result=true"), std::string::npos) << out;
    EXPECT_EQ(ReadFile(folder_ / "lol.txt"), lines);
    EXPECT_TRUE(fs::exists(fs::current_path() / "setup_dialog.png"));
}

TEST_F(SetupDialogXvfb, EscapeExitsAfterPrintingHooo) {
    const std::string id = Start();
    ASSERT_FALSE(id.empty()) << ReadFile(folder_ / "err.txt");
    X("xdotool windowfocus --sync " + id + " key Escape");
    ASSERT_EQ(WaitFor(app_, std::chrono::seconds(20)), 0);
    EXPECT_NE(Output().find("hooo\nresult=false"), std::string::npos) << Output();
    EXPECT_FALSE(fs::exists(folder_ / "lol.txt"));
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
