// vessmark --live on an Xvfb server: a timeline edit switches the part on screen within a second;
// a broken effect shows its error in the overlay while the picture runs on; fixing it recovers; a
// click in the timeline strip seeks, Space pauses and F12 saves the frame named with its row.
// Skipped when Xvfb, xdotool or ImageMagick's import are missing.
#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <thread>

#include "driver/demo_data_folder.h"
#include "support/screenshot.h"
#include "support/xvfb_session.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr int kWidth = 1280, kHeight = 720;

// Mean colour of a rectangle, and its pixels of the overlay's error colour (light red text).
struct Look {
    std::array<double, 3> mean{};
    int errorPixels = 0;
};
Look LookAt(const vmtest::Screenshot& shot, int x0, int y0, int x1, int y1) {
    Look look;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            const uint8_t* p = shot.At(x, y);
            for (int c = 0; c < 3; ++c) look.mean[c] += p[c] / double((x1 - x0) * (y1 - y0));
            look.errorPixels += p[0] > 215 && p[1] < 120 && p[2] < 110;
        }
    return look;
}

void WriteText(const fs::path& file, const std::string& text) {
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << text;
}

std::string Timeline(int part) {
    return "track 0_part\n  0 " + std::to_string(part) +
           "\ntrack 0_filter\n  0 0\ntrack 0_flash\n  0 1\n";
}

TEST(LiveXvfb, ATimelineEditSwitchesThePartABrokenEffectShowsItsErrorAndTheStripSeeks) {
    if (!vmtest::XvfbSession::Available({"import", "xdotool"}))
        GTEST_SKIP() << "Xvfb, xdotool or import missing";
    vmtest::XvfbSession xvfb;
    ASSERT_TRUE(
        xvfb.Start(151, 199, std::to_string(kWidth) + "x" + std::to_string(kHeight) + "x24"));

    // The data folder inside a folder of this test's own, where F12's PNG lands beside it.
    const vmtest::ScratchDir scratch("vm-live-xvfb");
    setenv("TMPDIR", scratch.Path().c_str(), 1);
    const auto folder = std::make_unique<demo_test::DemoDataFolder>();
    unsetenv("TMPDIR");
    folder->WriteAssets(30.0);
    demo_test::Timeline start;
    start["0_part"] = {{0, 5.0f, 0}};  // "dama": red
    start["0_flash"] = {{0, 1.0f, 0}};
    demo_test::WriteTrackFiles(folder->Path(), start);
    const fs::path sources = folder->Path() / "sources";
    WriteText(sources / "timeline.txt", Timeline(5));
    const std::string filter =
        vmtest::ReadFile(fs::path(VM_CONTENT_DIR) / "DefaultFilters/DefaultFilter.fx");
    WriteText(sources / "DefaultFilters/DefaultFilter.fx", filter);

    const pid_t app =
        xvfb.Launch(VESSMARK_PATH, folder->Path(), {"--live", "--content", "sources"});
    ASSERT_FALSE(xvfb.FindWindow("^BIG$").empty()) << vmtest::ReadFile(folder->Path() / "err.txt");
    std::this_thread::sleep_for(3s);
    // Each step: the file written, then (a second later) the picture right of the track panel and
    // below the transport panel (not covered) and the errors shown in the panels.
    const struct {
        const char* file;
        std::string text;  // written before the look; empty: nothing
        const char* what;
        int red, errors;  // 1: red dominates, 0: green dominates; 1: errors shown
    } steps[] = {
        {"timeline.txt", "", "part 5, the red image", 1, 0},
        {"timeline.txt", Timeline(6), "part 6 (green) within a second", 0, 0},
        {"DefaultFilters/DefaultFilter.fx", "float4 broken(", "its error; the effect runs on", 0,
         1},
        {"DefaultFilters/DefaultFilter.fx", filter, "recovered", 0, 0},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.what);
        if (!step.text.empty()) WriteText(sources / step.file, step.text);
        std::this_thread::sleep_for(1s);
        const vmtest::Screenshot shot = vmtest::Shoot(xvfb, folder->Path() / "shot.png");
        ASSERT_EQ(shot.width, kWidth);
        const auto picture = LookAt(shot, 760, 340, 1260, 680).mean;
        EXPECT_GT(picture[step.red ? 0 : 1], 2 * picture[step.red ? 1 : 0])
            << vmtest::ReadFile(folder->Path() / "err.txt");
        const int errors = LookAt(shot, 8, 8, 1272, 220).errorPixels;
        EXPECT_EQ(errors > 50 ? 1 : errors, step.errors) << errors;
    }

    // A click in the timeline strip (x 16..1264 spans the 30 s soundtrack, 382.5 rows) seeks; Space
    // pauses there and F12 saves the frame named with its row.
    const std::string window = xvfb.FindWindow("^BIG$");
    xvfb.X("xdotool mousemove 640 101 click 1");
    std::this_thread::sleep_for(300ms);
    xvfb.X("xdotool windowfocus --sync " + window + " key space key F12");
    std::this_thread::sleep_for(1s);
    float shotRow = -1;
    for (const auto& entry : fs::directory_iterator(scratch.Path()))
        std::sscanf(entry.path().filename().c_str(), "vessmark-row%f.png", &shotRow);
    EXPECT_GT(shotRow, 191.0f) << "the click's row (640 - 16) / 1248 * 382.5";
    EXPECT_LT(shotRow, 205.0f) << "paused within a second of it";

    kill(app, SIGTERM);
    vmtest::WaitFor(app, 20s);
    const std::string err = vmtest::ReadFile(folder->Path() / "err.txt");
    EXPECT_NE(err.find("live: timeline.txt: 3 tracks compiled, 3 in use"), std::string::npos)
        << err;
    EXPECT_NE(err.find("live: reload failed: "), std::string::npos) << err;
    EXPECT_NE(err.find("live: DefaultFilter.fx: compiled"), std::string::npos) << err;
}

}  // namespace
