// The real vessmark program on an Xvfb server, driven with xdotool: Return on the setup dialog,
// a screenshot while the demo runs, Escape to end. Skipped when Xvfb, xdotool or ImageMagick's
// import are missing.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include "driver/demo_data_folder.h"
#include "support/screenshot.h"
#include "support/xvfb_session.h"

namespace {

using namespace std::chrono_literals;

// Full screen on a 1280 x 1024 desktop: a 1280 x 768 render area, 128 rows below the top.
constexpr int kScreenHeight = 1024, kOffset = 128, kRenderHeight = 768;

// The mean of one channel over rows [from, to), and the brightest value there.
std::pair<double, int> Rows(const vmtest::Screenshot& shot, int from, int to, int channel) {
    double sum = 0;
    int brightest = 0;
    for (int y = from; y < to; ++y)
        for (int x = 0; x < shot.width; ++x) {
            sum += shot.At(x, y)[channel];
            brightest = std::max<int>(brightest, shot.At(x, y)[channel]);
        }
    return {sum / (static_cast<double>(to - from) * shot.width), brightest};
}

TEST(XvfbDemo, ShowsThePictureBetweenBlackBandsAndEndsOnEscape) {
    if (!vmtest::XvfbSession::Available({"xdotool", "import"}))
        GTEST_SKIP() << "Xvfb, xdotool or import not available";
    vmtest::XvfbSession xvfb;
    ASSERT_TRUE(xvfb.Start(151, 199, "1280x1024x24"));
    demo_test::DemoDataFolder folder;
    folder.WriteAssets(30.0);
    demo_test::Timeline timeline;
    timeline["0_part"] = {{0, 5.0f, 0}};  // the "dama" image: red, brighter toward the bottom
    timeline["0_flash"] = {{0, 1.0f, 0}};
    demo_test::WriteTrackFiles(folder.Path(), timeline);

    const pid_t app = xvfb.Launch(VESSMARK_PATH, folder.Path());
    const std::string dialog = xvfb.FindWindow("^tavrin_quell$");
    ASSERT_FALSE(dialog.empty()) << "no setup dialog";
    std::this_thread::sleep_for(500ms);
    xvfb.X("xdotool windowfocus --sync " + dialog + " key Return");
    const std::string window = xvfb.FindWindow("^BIG$");
    ASSERT_FALSE(window.empty()) << "no demo window";
    std::this_thread::sleep_for(3s);  // loading and a few frames

    const vmtest::Screenshot shot = vmtest::Shoot(xvfb, folder.Path() / "running.png");
    ASSERT_EQ(shot.height, kScreenHeight);
    const int bottom = kOffset + kRenderHeight;
    for (int channel = 0; channel < 3; ++channel) {
        EXPECT_LE(Rows(shot, 0, kOffset, channel).second, 8) << "band above the render area";
        EXPECT_LE(Rows(shot, bottom, kScreenHeight, channel).second, 8) << "band below it";
    }
    const double upper = Rows(shot, kOffset + 20, kOffset + kRenderHeight / 2, 0).first;
    const double lower = Rows(shot, kOffset + kRenderHeight / 2, bottom - 20, 0).first;
    EXPECT_GT(upper, 40.0) << "the image fills the render area";
    EXPECT_GT(lower, upper) << "the image is upright: its bright bottom rows at the bottom";
    EXPECT_GT(upper, 2 * Rows(shot, kOffset + 20, kOffset + kRenderHeight / 2, 2).first)
        << "red dominates";

    xvfb.X("xdotool windowfocus --sync " + window + " key Escape");
    EXPECT_EQ(vmtest::WaitFor(app, 60s), 0) << vmtest::ReadFile(folder.Path() / "err.txt");
    EXPECT_TRUE(vmtest::ReadFile(folder.Path() / "lol.txt").starts_with("screen = 1280x1024@"));
}

}  // namespace
