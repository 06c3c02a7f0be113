// The capture tool end to end over the default production: exact frame counts, identical frames on
// a second run, the soundtrack of the span in the video, a contact sheet, outputs it cannot write,
// the headless main job (the pictures of each part: the headless demo run), and the browser's
// flavour (OpenGL ES with baked effects) drawing the frames the desktop draws.
#include <gtest/gtest.h>
#include <stb/stb_image.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <string>

#include "support/scratch_dir.h"
#include "support/shell.h"
#include "support/xvfb_session.h"

namespace fs = std::filesystem;
using testsupport::Shell;

namespace {

// File name -> contents of every file in a folder.
std::map<std::string, std::string> Files(const fs::path& dir) {
    std::map<std::string, std::string> files;
    for (const auto& e : fs::directory_iterator(dir))
        files[e.path().filename()] = vmtest::ReadFile(e);
    return files;
}

class CaptureRun : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!fs::exists(fs::path(VM_DATA_DIR) / "vessmark"))
            GTEST_SKIP() << "the default production was not built";
    }
    // Runs the capture in the production's folder, with PATH as given (empty: unchanged).
    testsupport::ShellResult Capture(const std::string& args, const std::string& path = "") {
        return Shell("cd '" VM_DATA_DIR "' && " + (path.empty() ? "" : "env PATH=" + path + " ") +
                     "'" VM_CAPTURE_EXE "' --quiet --size 640x360 " + args);
    }
    const vmtest::ScratchDir work_{"vm-capture-run"};
};

TEST_F(CaptureRun, SameSpanTwiceGivesTheExactFramesBothTimes) {
    const std::string span = "--fps 10 --start 1 --end 3 --png-dir '" + work_.File("");
    auto first = Capture(span + "a' --demo-log '" + work_.File("demo.log") + "'");
    ASSERT_EQ(first.code, 0) << first.output;
    // The demo's own lines go to the log, not between the capture's messages.
    EXPECT_EQ(first.output.find("loading complete"), std::string::npos) << first.output;
    EXPECT_NE(vmtest::ReadFile(work_.File("demo.log")).find("loading complete\n"),
              std::string::npos);
    auto second = Capture(span + "b'");
    ASSERT_EQ(second.code, 0) << second.output;
    const auto a = Files(work_.File("a"));
    EXPECT_EQ(a.size(), 20u);
    EXPECT_TRUE(a.contains("frame-000000.png") && a.contains("frame-000019.png"));
    EXPECT_TRUE(a == Files(work_.File("b")));
}

TEST_F(CaptureRun, OutputsItCannotWriteAreExplainedAndPngFilesStillWritten) {
    const std::string video = " --output '" + work_.File("clip.mp4") + "'";
    auto alone = Capture("--end 0.5" + video, "/nonexistent");
    EXPECT_EQ(alone.code, 2);
    EXPECT_NE(alone.output.find("ffmpeg is not installed"), std::string::npos) << alone.output;
    auto withPng =
        Capture("--fps 4 --end 0.5 --png-dir '" + work_.File("png") + "'" + video, "/nonexistent");
    EXPECT_EQ(withPng.code, 0) << withPng.output;
    EXPECT_NE(withPng.output.find("PNG output goes on"), std::string::npos) << withPng.output;
    EXPECT_FALSE(fs::exists(work_.File("clip.mp4")));
    EXPECT_EQ(Files(work_.File("png")).size(), 2u);
    auto r = Capture("--end 1 --contact-sheet /nonexistent-dir/sheet.png");
    EXPECT_EQ(r.code, 2);
    EXPECT_NE(r.output.find("cannot write /nonexistent-dir/sheet.png"), std::string::npos)
        << r.output;
}

// Without a display the main job (scripts/play.sh) captures the production: a video of the span's
// frames with its soundtrack, and a contact sheet.
TEST_F(CaptureRun, MainJobWithoutADisplayCapturesTheSpanWithItsSoundtrack) {
    if (!vmtest::OnPath("ffmpeg") || !vmtest::OnPath("ffprobe")) GTEST_SKIP() << "no ffmpeg";
    auto r = Shell("env -u DISPLAY -u WAYLAND_DISPLAY BUILD_DIR='" VM_BUILD_DIR "' OUT_DIR='" +
                   work_.File("") +
                   "' CAPTURE_ARGS='--size 640x360 --fps 12 --start 40 --end 42.5 "
                   "--sheet-interval 1' bash '" VM_SOURCE_DIR "/scripts/play.sh'");
    ASSERT_EQ(r.code, 0) << r.output;
    EXPECT_NE(r.output.find("No display found"), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("30 frames"), std::string::npos) << r.output;
    const std::string probe = "ffprobe -v error -of csv=p=0 -show_entries ";
    const std::string video = work_.File("vessmark.mp4");
    auto frames = Shell(probe + "stream=nb_read_frames -count_frames -select_streams v:0 " + video);
    EXPECT_EQ(std::atoi(frames.output.c_str()), 30) << frames.output;
    auto audio = Shell(probe + "stream=duration -select_streams a:0 " + video);
    EXPECT_NEAR(std::atof(audio.output.c_str()), 2.5, 0.06) << audio.output;
    int w = 0, h = 0, n = 0;
    ASSERT_TRUE(stbi_info(work_.File("contact-sheet.png").c_str(), &w, &h, &n));
    EXPECT_GT(w, 3 * 320);  // three frames, one a second
}

// The browser build's way of drawing (OpenGL ES 3.0, effects from files vessmark-fxbake baked) on
// frames of three parts (one pig blurred, the reflection with glow, the swarm with stacked blur)
// against the desktop's. Depth rounds differently without clip control: a few edge pixels of
// overlapping pigs may differ (measured over the whole show: at most 929 pixels of 230400 differ
// at all, at most 6 by more than a tenth).
TEST_F(CaptureRun, BrowserFlavourWithBakedEffectsDrawsTheDesktopFrames) {
    const fs::path data = work_.Path() / "data";
    fs::copy(VM_DATA_DIR, data, fs::copy_options::recursive);
    const auto bake = Shell("'" VM_FXBAKE_EXE "' '" + data.string() + "'");
    ASSERT_EQ(bake.code, 0) << bake.output;
    ASSERT_NE(bake.output.find("vessmark/shaders/pig.fx: baked\n"), std::string::npos)
        << bake.output;
    for (const char* at : {"5", "30", "70"}) {
        std::vector<std::vector<uint8_t>> frames;
        for (const char* flavour : {"", "--baked-effects "}) {
            const fs::path dir = work_.Path() / (std::string(at) + (*flavour ? "-es" : "-desktop"));
            const auto run = Shell("cd '" + data.string() + "' && '" VM_CAPTURE_EXE "' --quiet " +
                                   flavour + "--size 640x360 --fps 2 --start " + at + " --end " +
                                   at + ".5 --png-dir '" + dir.string() + "'");
            ASSERT_EQ(run.code, 0) << run.output;
            int w = 0, h = 0, n = 0;
            uint8_t* rgb = stbi_load((dir / "frame-000000.png").c_str(), &w, &h, &n, 3);
            ASSERT_TRUE(rgb && w == 640 && h == 360) << dir;
            frames.emplace_back(rgb, rgb + size_t(w) * h * 3);
            stbi_image_free(rgb);
        }
        const std::vector<uint8_t>&desktop = frames[0], &es = frames[1];
        std::set<uint32_t> colours;
        size_t differ = 0, farOff = 0;
        for (size_t p = 0; p < desktop.size(); p += 3) {
            colours.insert(uint32_t(desktop[p]) << 16 | uint32_t(desktop[p + 1]) << 8 |
                           desktop[p + 2]);
            int most = 0;
            for (int c = 0; c < 3; ++c) most = std::max(most, std::abs(desktop[p + c] - es[p + c]));
            differ += most > 0;
            farOff += most > 25;
        }
        EXPECT_GT(colours.size(), 64u) << "at " << at << " s the desktop frame is a picture";
        EXPECT_LE(differ, 2304u) << "at " << at << " s: at most 1 % of the pixels differ";
        EXPECT_LE(farOff, 115u) << "at " << at << " s: at most 0.05 % differ by over a tenth";
    }
}

}  // namespace
