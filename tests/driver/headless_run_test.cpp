// The whole demo on a headless graphics context over a timeline of test tracks: the output lines at
// the tempo's rows, and the exit code. (The pictures are the golden frames' part; that a run over a
// valid folder ends cleanly without a message is the robustness suite's.)
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "driver/demo_data_folder.h"
#include "driver/demo_main.h"
#include "platform/ui/scripted_dialog.h"
#include "platform/ui/ui.h"

namespace {

constexpr double kFramePeriod = 0.05;  // seconds of music per presented frame

// Segment s of the timeline (rows 4s to 4s + 3) runs this part and this filter. The last starts at
// row 28: 2.196 s at 153 beats a minute and 5 rows a beat, so the frame at 2.2 s is the first to
// print "clear" again (at 152 it would start after 2.2 s).
struct Segment {
    float part, filter;
};
constexpr Segment kSegments[] = {{1, 0}, {2, 1}, {3, 2}, {4, 3}, {5, 4}, {6, 5}, {0, 6}, {7, 0}};

TEST(HeadlessRun, TheDialogSettingsAndEachFramesLinesFollowTheTempo) {
    demo_test::DemoDataFolder folder;
    folder.WriteAssets(2.4);
    demo_test::Timeline timeline;
    for (uint32_t s = 0; s < std::size(kSegments); ++s) {
        timeline["0_part"].push_back({s * 4, kSegments[s].part, 0});
        timeline["0_filter"].push_back({s * 4, kSegments[s].filter, 0});
    }
    timeline["0_fade"] = {{0, 0.5f, 1}, {32, 1.0f, 0}};
    timeline["0_flash"] = {{0, 1.0f, 0}};
    timeline["1_cam.z"] = {{0, -4.0f, 0}};
    timeline["1_cam.fov"] = {{0, 1.0f, 0}};
    demo_test::WriteTrackFiles(folder.Path(), timeline);

    std::string lines = "loading complete\n";
    const auto run = demo_test::RunHeadless(folder, 640, 480, kFramePeriod, [&](auto&, int i) {
        const float row = static_cast<float>(kFramePeriod * i) * 12.75f;
        const Segment& s = kSegments[std::min(static_cast<int>(row / 4), 7)];
        lines += std::string(s.part == 1 ? "in part 1\n" : "") + (s.filter == 0 ? "clear\n" : "");
    });
    EXPECT_EQ(run.exitCode, 0);
    // The dialog's choice and the display settings (4:3 full screen: 640 x 360, 60 rows down),
    // then the lines of each frame.
    EXPECT_EQ(run.out,
              " 0 = 0 -> 0\ndismode to udse = 0   off = 0  1\nscreen = 640x480@60\n"
              "render = 640x360\noffset = 60\nratio  = 1.333333\nms = 0\n" +
                  lines);
    std::ifstream lol(folder.Path() / "lol.txt");
    EXPECT_EQ(std::count(std::istreambuf_iterator<char>(lol), {}, '\n'), 5);
}

// Before the demo starts only the viewer's own Exit ends it with 0; a dialog that cannot be shown
// at all (no display, no hook) ends it with 1 and a reason on stderr.
TEST(HeadlessRun, ExitCodeSaysWhetherTheViewerOrAMissingDialogEndedIt) {
    gfx::Configure({.provider = gfx::ContextProvider::Headless});
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
    gfx::Configure({});
    ui::Configure({});
}

}  // namespace
