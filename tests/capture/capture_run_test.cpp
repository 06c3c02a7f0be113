// The capture tool end to end over the default production: exact frame counts, identical frames on
// a second run, the soundtrack of the span in the video, a contact sheet, outputs it cannot write,
// and the headless main job (the pictures of each part: the headless demo run).
#include <gtest/gtest.h>
#include <stb/stb_image.h>

#include <filesystem>
#include <map>

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

}  // namespace
