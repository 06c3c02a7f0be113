// The whole demo on a headless graphics context: scripted dialog, manual audio clock moved on by
// one frame period per Present, a timeline of test tracks over a short soundtrack. What a run over
// a valid folder shows (frames per part, letterbox bands, the output lines in order); that it ends
// cleanly without a message is the robustness suite's valid-folder case.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <set>
#include <sstream>
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

namespace fs = std::filesystem;

constexpr double kFramePeriod = 0.05;  // seconds of music per presented frame
constexpr double kSoundtrackSeconds = 2.4;
constexpr uint32_t kRowsPerSegment = 4;
constexpr int kWidth = 640, kHeight = 480;  // the one mode; 4:3 full screen gives 640 x 360
constexpr int kBand = 60;                   // letterbox rows above and below

// Segment s of the timeline (rows 4s to 4s + 3) runs this part and this filter.
struct Segment {
    float part, filter;
};
// The last starts at row 28: 2.196 s at 153 beats a minute, so the frame at 2.2 s is the first to
// print "clear" again (at 152 it would start after 2.2 s).
constexpr Segment kSegments[] = {{1, 0}, {2, 1}, {3, 2}, {4, 3}, {5, 4}, {6, 5}, {0, 6}, {7, 0}};

struct Frame {
    double seconds;
    uint64_t hash;
    bool bandsBlack;
};

struct RunResult {
    int exitCode = 0;
    std::string output;
    std::vector<Frame> frames;
    std::string lolTxt;
};

uint64_t Fnv1a(const uint8_t* data, size_t size) {
    uint64_t h = 1469598103934665603ull;
    for (size_t i = 0; i < size; ++i) h = (h ^ data[i]) * 1099511628211ull;
    return h;
}

bool RowsBlack(const gfx::Frame& frame, int fromRow, int toRow) {
    for (int y = fromRow; y < toRow; ++y)
        for (uint32_t x = 0; x < frame.width; ++x) {
            const uint8_t* p = frame.rgba + (static_cast<size_t>(y) * frame.width + x) * 4;
            if (p[0] > 8 || p[1] > 8 || p[2] > 8) return false;
        }
    return true;
}

demo_test::Timeline TestTimeline() {
    demo_test::Timeline timeline;
    for (const char* name : driver::kTrackNames) timeline[name] = {};  // no keys: 0, and no box
    auto& part = timeline["0_part"];
    auto& filter = timeline["0_filter"];
    for (uint32_t s = 0; s < std::size(kSegments); ++s) {
        part.push_back({s * kRowsPerSegment, kSegments[s].part, 0});
        filter.push_back({s * kRowsPerSegment, kSegments[s].filter, 0});
    }
    timeline["0_fp"] = {{0, 1.0f, 0}};
    timeline["0_fp2"] = {{0, 0.5f, 0}};
    timeline["0_fade"] = {{0, 0.5f, 1}, {32, 1.0f, 0}};
    timeline["0_flash"] = {{0, 1.0f, 0}};
    timeline["1_cam.x"] = {{0, 0.4f, 1}, {32, 1.2f, 0}};
    timeline["1_cam.y"] = {{0, -1.0f, 0}};
    timeline["1_cam.z"] = {{0, -4.0f, 0}};
    timeline["1_cam.fov"] = {{0, 1.0f, 0}};
    return timeline;
}

int SegmentOf(double seconds) {
    const float row = static_cast<float>(seconds) * 12.75f;
    return std::min(static_cast<int>(row / kRowsPerSegment),
                    static_cast<int>(std::size(kSegments)) - 1);
}

// Runs the demo and keeps what it showed and said.
RunResult DemoRun() {
    RunResult result;
    demo_test::DemoDataFolder folder;
    folder.WriteAssets(kSoundtrackSeconds);
    demo_test::WriteTrackFiles(folder.Path(), TestTimeline());

    double clock = 0.0;
    ui::ScriptedDialog dialog;  // Run with every preselection
    demo_test::ConfigureHeadlessDemo(
        kWidth, kHeight,
        [&clock, &result](const gfx::Frame& frame) {
            result.frames.push_back(
                {clock, Fnv1a(frame.rgba, size_t(frame.width) * frame.height * 4),
                 RowsBlack(frame, 0, kBand) && RowsBlack(frame, kHeight - kBand, kHeight)});
            clock += kFramePeriod;
            audio::AdvanceManualClock(kFramePeriod);
        },
        dialog);

    // Standard output goes to a file for the run.
    const fs::path outPath = folder.Path() / "stdout.txt";
    std::fflush(stdout);
    const int savedOut = dup(1);
    const int outFd = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    dup2(outFd, 1);
    close(outFd);
    const fs::path savedDir = fs::current_path();
    fs::current_path(folder.Path());

    result.exitCode = DemoMain();
    gfx::Configure(gfx::Config{});
    ui::Configure({});
    audio::Configure({});

    std::fflush(stdout);
    dup2(savedOut, 1);
    close(savedOut);
    fs::current_path(savedDir);

    std::ifstream out(outPath);
    result.output.assign(std::istreambuf_iterator<char>(out), {});
    std::ifstream lol(folder.Path() / "lol.txt");
    result.lolTxt.assign(std::istreambuf_iterator<char>(lol), {});
    return result;
}

size_t CountLines(const std::string& text, const std::string& line) {
    size_t count = 0;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);) count += l == line;
    return count;
}

TEST(HeadlessRun, EveryPartShowsItsOwnPictureBetweenBlackBandsAndTheLinesComeInOrder) {
    const RunResult run = DemoRun();
    EXPECT_EQ(run.exitCode, 0) << run.output;
    ASSERT_FALSE(run.frames.empty());
    // One frame well inside each of the six scene segments (a segment lasts about six frames).
    std::set<uint64_t> pictures;
    for (int s = 0; s < 6; ++s) {
        const auto first =
            std::find_if(run.frames.begin(), run.frames.end(),
                         [s](const Frame& frame) { return SegmentOf(frame.seconds) == s; });
        ASSERT_LT(first + 2, run.frames.end()) << "segment " << s;
        pictures.insert(first[2].hash);  // the third frame of the segment
    }
    EXPECT_EQ(pictures.size(), 6u);
    for (const Frame& frame : run.frames) EXPECT_TRUE(frame.bandsBlack) << frame.seconds;

    const std::string& out = run.output;
    const size_t settings = out.find("screen = 640x480@60\nrender = 640x360\noffset = 60\n");
    const size_t loaded = out.find("loading complete\n");
    ASSERT_NE(settings, std::string::npos) << out;
    ASSERT_NE(loaded, std::string::npos) << out;
    EXPECT_LT(settings, loaded);
    EXPECT_LT(loaded, out.find("in part 1\n"));
    EXPECT_EQ(out.find("au\n"), std::string::npos);
    size_t partOne = 0, filterZero = 0;
    for (const Frame& frame : run.frames) {
        const Segment& segment = kSegments[SegmentOf(frame.seconds)];
        partOne += segment.part == 1;
        filterZero += segment.filter == 0;
    }
    EXPECT_GT(partOne, 0u);
    EXPECT_EQ(CountLines(out, "in part 1"), partOne);
    EXPECT_EQ(CountLines(out, "clear"), filterZero);
    EXPECT_EQ(std::count(run.lolTxt.begin(), run.lolTxt.end(), '\n'), 5) << run.lolTxt;
}

// Before the demo starts only the viewer's own Exit ends it with 0; a dialog that cannot be shown
// at all (no display, no hook) ends it with 1 and a reason on stderr.
TEST(HeadlessRun, ExitCodeSaysWhetherTheViewerOrAMissingDialogEndedIt) {
    gfx::Config gfxConfig;
    gfxConfig.provider = gfx::ContextProvider::Headless;
    gfxConfig.headlessModes = {{kWidth, kHeight, 60, gfx::D3DFMT_X8R8G8B8}};
    gfx::Configure(gfxConfig);
    ui::ScriptedDialog exitDialog({.endings = {ui::DialogEnding::Command(ui::IDCANCEL)}});
    struct Case {
        bool scriptedExit;
        int exitCode;
        const char* stderrHas;
    };
    for (const Case& c : {Case{true, 0, ""}, Case{false, 1, "could not be shown"}}) {
        ui::Config uiConfig;
        uiConfig.headless = true;
        if (c.scriptedExit) uiConfig.dialog = exitDialog.Hook();
        ui::Configure(uiConfig);
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        EXPECT_EQ(DemoMain(), c.exitCode) << c.scriptedExit;
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_EQ(testing::internal::GetCapturedStdout().find("hooo") != std::string::npos,
                  c.scriptedExit);
        EXPECT_NE(err.find(c.stderrHas), std::string::npos) << err;
    }
    gfx::Configure(gfx::Config{});
    ui::Configure({});
}

}  // namespace
