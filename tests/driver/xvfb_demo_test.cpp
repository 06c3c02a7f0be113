// The real vessmark program on an Xvfb server, driven with xdotool: Return on the setup dialog,
// a screenshot while the demo runs, Escape to end. Skipped when Xvfb, xdotool, xwininfo or
// ImageMagick's import are missing.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <sstream>
#include <string>
#include <thread>

#include "driver/demo_data_folder.h"
#include "driver/track_names.h"
#include "support/screenshot.h"
#include "support/xvfb_session.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr int kScreenWidth = 1280, kScreenHeight = 1024;
// Full screen on a 4:3 desktop: a 1280 x 768 render area, 128 rows below the top.
constexpr int kOffset = 128, kRenderHeight = 768;

using vmtest::ReadFile;
using vmtest::WaitFor;

size_t CountOccurrences(const std::string& text, const std::string& what) {
    size_t count = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++count;
    return count;
}

// A screenshot of the whole screen with the checks these tests make.
struct Screenshot : vmtest::Screenshot {
    bool RowsDark(int from, int to) const {
        for (int y = from; y < to; ++y)
            for (int x = 0; x < width; ++x) {
                const uint8_t* p = At(x, y);
                if (p[0] > 8 || p[1] > 8 || p[2] > 8) return false;
            }
        return true;
    }
    // Mean of one channel over a band of rows.
    double Mean(int from, int to, int channel) const {
        double sum = 0;
        for (int y = from; y < to; ++y)
            for (int x = 0; x < width; ++x) sum += At(x, y)[channel];
        return sum / (static_cast<double>(to - from) * width);
    }
};

class XvfbDemo : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        if (!vmtest::XvfbSession::Available({"xdotool", "xwininfo", "import"})) return;
        xvfb_ = std::make_unique<vmtest::XvfbSession>();
        xvfb_->Start(151, 199,
                     std::to_string(kScreenWidth) + "x" + std::to_string(kScreenHeight) + "x24");
    }
    static void TearDownTestSuite() { xvfb_.reset(); }
    void SetUp() override {
        if (!xvfb_ || !xvfb_->Running())
            GTEST_SKIP() << "Xvfb, xdotool, xwininfo or import not available";
    }
    void TearDown() override {
        if (app_ > 0) WaitFor(app_, 0s);  // kills a program a failed test left running
    }

    // Starts vessmark in the data folder and presses Return on its setup dialog.
    void StartAndRun(const fs::path& folder) {
        app_ = xvfb_->Launch(VESSMARK_PATH, folder);
        const std::string dialog = xvfb_->FindWindow("^tavrin_quell$");
        ASSERT_FALSE(dialog.empty()) << "no setup dialog";
        std::this_thread::sleep_for(500ms);
        X("xdotool windowfocus --sync " + dialog + " key Return");
    }

    // Dismisses message boxes with this caption as they appear; returns how many.
    int DismissBoxes(const std::string& caption, int expected, std::chrono::seconds limit) {
        int dismissed = 0;
        const auto end = std::chrono::steady_clock::now() + limit;
        while (dismissed < expected && std::chrono::steady_clock::now() < end) {
            std::istringstream tree(xvfb_->Capture("xwininfo -root -tree"));
            std::string id;
            for (std::string line; std::getline(tree, line);) {
                if (line.find("\"" + caption + "\"") != std::string::npos) {
                    std::istringstream(line) >> id;
                    break;
                }
            }
            if (id.empty()) {
                std::this_thread::sleep_for(100ms);
                continue;
            }
            X("xdotool windowfocus --sync " + id + " key Return");
            // Wait until that box is gone before looking for the next one.
            for (int i = 0;
                 i < 50 && xvfb_->Capture("xwininfo -root -tree").find(id + " \"" + caption) !=
                               std::string::npos;
                 ++i)
                std::this_thread::sleep_for(50ms);
            ++dismissed;
        }
        return dismissed;
    }

    Screenshot Shoot(const fs::path& file) { return {vmtest::Shoot(*xvfb_, file)}; }

    void X(const std::string& command) { xvfb_->X(command); }

    static inline std::unique_ptr<vmtest::XvfbSession> xvfb_;
    pid_t app_ = 0;
};

TEST_F(XvfbDemo, ShowsThePictureBetweenBlackBandsAndEndsOnEscape) {
    demo_test::DemoDataFolder folder;
    folder.WriteAssets(30.0);
    demo_test::Timeline timeline;
    for (const char* name : driver::kTrackNames) timeline[name] = {};
    timeline["0_part"] = {{0, 5.0f, 0}};  // the "dama" image: red, brighter toward the bottom
    timeline["0_filter"] = {{0, 0.0f, 0}};
    timeline["0_flash"] = {{0, 1.0f, 0}};
    demo_test::WriteTrackFiles(folder.Path(), timeline);

    StartAndRun(folder.Path());
    const std::string window = xvfb_->FindWindow("^BIG$");
    ASSERT_FALSE(window.empty()) << "no demo window";
    std::this_thread::sleep_for(3s);  // loading and a few frames

    const Screenshot shot = Shoot(folder.Path() / "running.png");
    ASSERT_EQ(shot.width, kScreenWidth);
    ASSERT_EQ(shot.height, kScreenHeight);
    EXPECT_TRUE(shot.RowsDark(0, kOffset)) << "band above the render area";
    EXPECT_TRUE(shot.RowsDark(kOffset + kRenderHeight, kScreenHeight))
        << "band below the render area";
    const double upper = shot.Mean(kOffset + 20, kOffset + kRenderHeight / 2, 0);
    const double lower = shot.Mean(kOffset + kRenderHeight / 2, kOffset + kRenderHeight - 20, 0);
    EXPECT_GT(upper, 40.0) << "the image fills the render area";
    EXPECT_GT(lower, upper) << "the image is upright: its bright bottom rows at the bottom";
    EXPECT_GT(shot.Mean(kOffset + 20, kOffset + kRenderHeight - 20, 0),
              2 * shot.Mean(kOffset + 20, kOffset + kRenderHeight - 20, 2))
        << "red dominates";

    X("xdotool windowfocus --sync " + window + " key Escape");
    EXPECT_EQ(WaitFor(app_, 60s), 0) << ReadFile(folder.Path() / "err.txt");
    app_ = 0;
    const std::string lol = ReadFile(folder.Path() / "lol.txt");
    EXPECT_EQ(CountOccurrences(lol, "\n"), 5u) << lol;
    EXPECT_EQ(lol.rfind("screen = 1280x1024@", 0), 0u) << lol;
    EXPECT_NE(ReadFile(folder.Path() / "out.txt").find("loading complete\n"), std::string::npos);
}

TEST_F(XvfbDemo, EveryMissingTrackFileIsReportedThenTheDemoRunsOnItsDefaults) {
    demo_test::DemoDataFolder folder;
    folder.WriteAssets(30.0);  // no track files at all

    StartAndRun(folder.Path());
    EXPECT_EQ(DismissBoxes("ikkenoesync", 23, 60s), 23);
    const std::string window = xvfb_->FindWindow("^BIG$");
    ASSERT_FALSE(window.empty()) << "no demo window";
    std::this_thread::sleep_for(2s);

    // Every track reads 0: part 0 clears the back buffer yellow, then filter 0 clears it black and
    // shows the (never drawn) scene texture between black bands.
    const Screenshot shot = Shoot(folder.Path() / "defaults.png");
    ASSERT_EQ(shot.height, kScreenHeight);
    EXPECT_TRUE(shot.RowsDark(0, kOffset));
    EXPECT_TRUE(shot.RowsDark(kOffset + kRenderHeight, kScreenHeight));

    X("xdotool windowfocus --sync " + window + " key Escape");
    EXPECT_EQ(WaitFor(app_, 60s), 0);
    app_ = 0;
    const std::string out = ReadFile(folder.Path() / "out.txt");
    EXPECT_NE(out.find("loading complete\nclear\n"), std::string::npos) << out.substr(0, 2000);
    EXPECT_EQ(out.find("in part 1"), std::string::npos);
    const std::string err = ReadFile(folder.Path() / "err.txt");
    EXPECT_EQ(CountOccurrences(err, "ikkenoesync"), 23u);
    EXPECT_NE(err.find("s/synced_1_cam.fov.track"), std::string::npos);
}

}  // namespace
