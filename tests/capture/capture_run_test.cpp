// The capture tool end to end over the default production: exact frame counts, identical frames on
// a second run, the soundtrack of the span in the video, a contact sheet, outputs it cannot write,
// the headless main job (the pictures of each part: the headless demo run), and the browser's
// flavour (OpenGL ES with baked effects) drawing the frames the desktop draws.
#include <gtest/gtest.h>
#include <stb/stb_image.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <string>

#include "support/scratch_dir.h"
#include "support/shell.h"

namespace fs = std::filesystem;

namespace {

using Result = testsupport::ShellResult;
using testsupport::Shell;

uint64_t HashFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    uint64_t h = 1469598103934665603ull;
    char c;
    while (in.get(c)) h = (h ^ uint8_t(c)) * 1099511628211ull;
    return h;
}

std::map<std::string, uint64_t> HashFolder(const fs::path& dir) {
    std::map<std::string, uint64_t> hashes;
    for (const auto& e : fs::directory_iterator(dir))
        hashes[e.path().filename()] = HashFile(e.path());
    return hashes;
}

bool Have(const char* program) {
    return std::system((std::string("command -v ") + program + " >/dev/null 2>&1").c_str()) == 0;
}

class CaptureRun : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!fs::exists(fs::path(VM_DATA_DIR) / "vessmark"))
            GTEST_SKIP() << "the default production was not built";
        scratch_ = std::make_unique<vmtest::ScratchDir>("vm-capture-run");
        work_ = scratch_->Path();
    }
    Result Capture(const std::string& args) {
        return Shell("cd '" VM_DATA_DIR "' && '" VM_CAPTURE_EXE "' --quiet " + args);
    }
    std::unique_ptr<vmtest::ScratchDir> scratch_;
    fs::path work_;
};

TEST_F(CaptureRun, SameSpanTwiceGivesTheExactFramesBothTimes) {
    const std::string span = "--size 640x360 --fps 10 --start 1 --end 3 ";
    auto first = Capture(span + "--png-dir '" + (work_ / "a").string() + "' --demo-log '" +
                         (work_ / "demo.log").string() + "'");
    ASSERT_EQ(first.code, 0) << first.output;
    // The demo's own lines go to the log, not between the capture's messages.
    EXPECT_EQ(first.output.find("loading complete"), std::string::npos) << first.output;
    std::ifstream log(work_ / "demo.log");
    const std::string lines((std::istreambuf_iterator<char>(log)),
                            std::istreambuf_iterator<char>());
    EXPECT_NE(lines.find("loading complete\n"), std::string::npos) << lines;
    auto second = Capture(span + "--png-dir '" + (work_ / "b").string() + "'");
    ASSERT_EQ(second.code, 0) << second.output;

    auto a = HashFolder(work_ / "a"), b = HashFolder(work_ / "b");
    EXPECT_EQ(a.size(), 20u);
    EXPECT_EQ(a, b);
    EXPECT_TRUE(a.count("frame-000000.png") && a.count("frame-000019.png"));
}

TEST_F(CaptureRun, VideoCarriesTheSoundtrackOfTheSpanAndASheetIsWritten) {
    if (!Have("ffmpeg") || !Have("ffprobe")) GTEST_SKIP() << "ffmpeg is not installed";
    const fs::path video = work_ / "clip.mp4", sheet = work_ / "sheet.png";
    auto r = Capture("--size 640x360 --fps 12 --start 40 --end 42.5 --output '" + video.string() +
                     "' --contact-sheet '" + sheet.string() + "' --sheet-interval 1");
    ASSERT_EQ(r.code, 0) << r.output;
    EXPECT_NE(r.output.find("30 frames"), std::string::npos) << r.output;

    auto frames = Shell(
        "ffprobe -v error -count_frames -select_streams v:0 -show_entries "
        "stream=nb_read_frames -of csv=p=0 '" +
        video.string() + "'");
    EXPECT_EQ(std::atoi(frames.output.c_str()), 30) << frames.output;
    auto audio = Shell(
        "ffprobe -v error -select_streams a:0 -show_entries stream=duration "
        "-of csv=p=0 '" +
        video.string() + "'");
    EXPECT_NEAR(std::atof(audio.output.c_str()), 2.5, 0.06) << audio.output;

    int w = 0, h = 0, n = 0;
    ASSERT_TRUE(stbi_info(sheet.c_str(), &w, &h, &n));
    EXPECT_GT(w, 3 * 320);  // three frames, one a second
}

TEST_F(CaptureRun, OutputsItCannotWriteAreExplainedAndPngFilesStillWritten) {
    const std::string noFfmpeg =
        "cd '" VM_DATA_DIR "' && env PATH=/nonexistent '" VM_CAPTURE_EXE "' --quiet ";
    const fs::path video = work_ / "clip.mp4", frames = work_ / "frames";
    auto alone = Shell(noFfmpeg + "--size 640x360 --end 0.5 --output '" + video.string() + "'");
    EXPECT_EQ(alone.code, 2);
    EXPECT_NE(alone.output.find("ffmpeg is not installed"), std::string::npos) << alone.output;

    auto withPng = Shell(noFfmpeg + "--size 640x360 --fps 4 --end 0.5 --output '" + video.string() +
                         "' --png-dir '" + frames.string() + "'");
    EXPECT_EQ(withPng.code, 0) << withPng.output;
    EXPECT_NE(withPng.output.find("PNG output goes on"), std::string::npos) << withPng.output;
    EXPECT_FALSE(fs::exists(video));
    EXPECT_EQ(HashFolder(frames).size(), 2u);

    auto r = Capture("--size 640x360 --end 1 --contact-sheet /nonexistent-dir/sheet.png");
    EXPECT_EQ(r.code, 2);
    EXPECT_NE(r.output.find("cannot write /nonexistent-dir/sheet.png"), std::string::npos)
        << r.output;
}

TEST_F(CaptureRun, MainJobWithoutADisplayCapturesTheProduction) {
    if (!Have("ffmpeg")) GTEST_SKIP() << "ffmpeg is not installed";
    const std::string env = "env -u DISPLAY -u WAYLAND_DISPLAY BUILD_DIR='" VM_BUILD_DIR
                            "' OUT_DIR='" +
                            work_.string() + "' CAPTURE_ARGS='--size 640x360 --fps 4 --end 2' ";
    auto r = Shell(env + "bash '" VM_SOURCE_DIR "/scripts/play.sh'");
    ASSERT_EQ(r.code, 0) << r.output;
    EXPECT_NE(r.output.find("No display found"), std::string::npos);
    EXPECT_TRUE(fs::file_size(work_ / "vessmark.mp4") > 1000);
    EXPECT_TRUE(fs::file_size(work_ / "contact-sheet.png") > 1000);
}

// The browser build's way of drawing (OpenGL ES 3.0, effects from files vessmark-fxbake baked) on
// frames of three parts (one pig blurred, the reflection with glow, the swarm with stacked blur)
// against the desktop's. Depth rounds differently without clip control: a few edge pixels of
// overlapping pigs may differ (measured over the whole show: at most 929 pixels of 230400 differ
// at all, at most 6 by more than a tenth).
TEST_F(CaptureRun, BrowserFlavourWithBakedEffectsDrawsTheDesktopFrames) {
    const fs::path data = work_ / "data";
    fs::copy(VM_DATA_DIR, data, fs::copy_options::recursive);
    const auto bake = Shell("'" VM_FXBAKE_EXE "' '" + data.string() + "'");
    ASSERT_EQ(bake.code, 0) << bake.output;
    ASSERT_NE(bake.output.find("vessmark/shaders/pig.fx: baked\n"), std::string::npos)
        << bake.output;
    for (const char* at : {"5", "30", "70"}) {
        std::vector<std::vector<uint8_t>> frames;
        for (const char* flavour : {"", "--baked-effects "}) {
            const fs::path dir = work_ / (std::string(at) + (*flavour ? "-es" : "-desktop"));
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
