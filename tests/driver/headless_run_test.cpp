// The whole demo on a headless graphics context: scripted dialog, manual audio clock moved on by
// one frame period per Present, a timeline of test tracks over a short soundtrack. What a run over
// a valid folder shows (a picture per part, letterbox bands, the output lines at the tempo's
// rows); that it ends cleanly without a message is the robustness suite's valid-folder case.
#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "driver/demo_data_folder.h"
#include "driver/demo_main.h"
#include "driver/track_names.h"
#include "platform/audio/audio.h"
#include "platform/gfx/gfx.h"
#include "platform/ui/scripted_dialog.h"
#include "platform/ui/ui.h"

namespace {

constexpr double kFramePeriod = 0.05;       // seconds of music per presented frame
constexpr int kWidth = 640, kHeight = 480;  // the one mode; 4:3 full screen gives 640 x 360
constexpr int kBand = 60;                   // letterbox rows above and below

// Segment s of the timeline (rows 4s to 4s + 3) runs this part and this filter. The last starts at
// row 28: 2.196 s at 153 beats a minute and 5 rows a beat, so the frame at 2.2 s is the first to
// print "clear" again (at 152 it would start after 2.2 s).
struct Segment {
    float part, filter;
};
constexpr Segment kSegments[] = {{1, 0}, {2, 1}, {3, 2}, {4, 3}, {5, 4}, {6, 5}, {0, 6}, {7, 0}};

int SegmentOf(double seconds) {
    return std::min(static_cast<int>(static_cast<float>(seconds) * 12.75f / 4), 7);
}

struct Frame {
    int segment;
    uint64_t hash;
    bool bandsBlack;
};

Frame Look(const gfx::Frame& frame, double seconds) {
    Frame look{SegmentOf(seconds), 1469598103934665603ull, true};
    for (size_t i = 0; i < size_t(frame.width) * frame.height * 4; ++i) {
        look.hash = (look.hash ^ frame.rgba[i]) * 1099511628211ull;  // FNV-1a
        const size_t y = i / 4 / frame.width;
        if (i % 4 < 3 && (y < kBand || y >= kHeight - kBand)) look.bandsBlack &= frame.rgba[i] <= 8;
    }
    return look;
}

TEST(HeadlessRun, EveryPartShowsItsOwnPictureBetweenBlackBandsAndTheLinesFollowTheTempo) {
    demo_test::DemoDataFolder folder;
    folder.WriteAssets(2.4);
    demo_test::Timeline timeline;
    for (const char* name : driver::kTrackNames) timeline[name] = {};  // no keys: 0, and no box
    for (uint32_t s = 0; s < std::size(kSegments); ++s) {
        timeline["0_part"].push_back({s * 4, kSegments[s].part, 0});
        timeline["0_filter"].push_back({s * 4, kSegments[s].filter, 0});
    }
    timeline["0_fp"] = {{0, 1.0f, 0}};
    timeline["0_fp2"] = {{0, 0.5f, 0}};
    timeline["0_fade"] = {{0, 0.5f, 1}, {32, 1.0f, 0}};
    timeline["0_flash"] = {{0, 1.0f, 0}};
    timeline["1_cam.x"] = {{0, 0.4f, 1}, {32, 1.2f, 0}};
    timeline["1_cam.y"] = {{0, -1.0f, 0}};
    timeline["1_cam.z"] = {{0, -4.0f, 0}};
    timeline["1_cam.fov"] = {{0, 1.0f, 0}};
    demo_test::WriteTrackFiles(folder.Path(), timeline);

    std::vector<Frame> frames;
    ui::ScriptedDialog dialog;  // Run with every preselection
    demo_test::ConfigureHeadlessDemo(
        kWidth, kHeight,
        [&frames](const gfx::Frame& frame) {
            frames.push_back(Look(frame, kFramePeriod * double(frames.size())));
            audio::AdvanceManualClock(kFramePeriod);
        },
        dialog);
    testing::internal::CaptureStdout();
    {
        vmtest::ScopedCurrentPath inFolder(folder.Path());
        EXPECT_EQ(DemoMain(), 0);
    }
    const std::string out = testing::internal::GetCapturedStdout();
    gfx::Configure(gfx::Config{});
    ui::Configure({});
    audio::Configure({});

    // The third frame of each of the six scene segments (a segment lasts about six frames).
    std::set<uint64_t> pictures;
    std::string lines = "loading complete\n";
    for (size_t i = 0, inSegment = 0; i < frames.size(); ++i) {
        const int s = frames[i].segment;
        inSegment = i > 0 && frames[i - 1].segment == s ? inSegment + 1 : 0;
        if (s < 6 && inSegment == 2) pictures.insert(frames[i].hash);
        lines += kSegments[s].part == 1 ? "in part 1\n" : "";
        lines += kSegments[s].filter == 0 ? "clear\n" : "";
        EXPECT_TRUE(frames[i].bandsBlack) << "frame " << i;
    }
    EXPECT_EQ(pictures.size(), 6u);
    // The dialog's choice and the display settings, then the lines of each frame.
    EXPECT_EQ(out,
              " 0 = 0 -> 0\ndismode to udse = 0   off = 0  1\nscreen = 640x480@60\n"
              "render = 640x360\noffset = 60\nratio  = 1.333333\nms = 0\n" +
                  lines);
    std::ifstream lol(folder.Path() / "lol.txt");
    EXPECT_EQ(std::count(std::istreambuf_iterator<char>(lol), {}, '\n'), 5);
}

// Before the demo starts only the viewer's own Exit ends it with 0; a dialog that cannot be shown
// at all (no display, no hook) ends it with 1 and a reason on stderr.
TEST(HeadlessRun, ExitCodeSaysWhetherTheViewerOrAMissingDialogEndedIt) {
    gfx::Config gfxConfig;
    gfxConfig.provider = gfx::ContextProvider::Headless;
    gfxConfig.headlessModes = {{kWidth, kHeight, 60, gfx::D3DFMT_X8R8G8B8}};
    gfx::Configure(gfxConfig);
    ui::ScriptedDialog exitDialog({.endings = {ui::DialogEnding::Command(ui::IDCANCEL)}});
    for (const bool scriptedExit : {true, false}) {
        ui::Config config{.headless = true};
        if (scriptedExit) config.dialog = exitDialog.Hook();
        ui::Configure(config);
        testing::internal::CaptureStderr();
        EXPECT_EQ(DemoMain(), scriptedExit ? 0 : 1);
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_EQ(err.find("could not be shown") != std::string::npos, !scriptedExit) << err;
    }
    gfx::Configure(gfx::Config{});
    ui::Configure({});
}

}  // namespace
