// The default production's whole timeline, headless, under the sanitizers of the build: every part,
// filter and file of the real data once, with no message box and nothing reported.
#include <gtest/gtest.h>

#include <filesystem>

#include "robustness/demo_process.h"

namespace robust {
namespace {

namespace fs = std::filesystem;

TEST(FullTimeline, GeneratedProductionRunsToItsEndWithoutAnyReport) {
    const fs::path data = VM_DATA_DIR;
    if (!fs::exists(data / "vessmark" / "Tavrin Demo Laat - Vessmark part 2 skal brukes.mp3"))
        GTEST_SKIP() << "no generated data folder (build the `content` target)";
    // A private copy: the demo writes lol.txt where it runs.
    const fs::path copy = fs::path(::testing::TempDir()) / "robust-full-timeline";
    fs::remove_all(copy);
    fs::copy(data, copy, fs::copy_options::recursive);
    const DemoRun run = RunHeadlessDemo(copy, {.timeoutSeconds = 540});
    fs::remove_all(copy);

    EXPECT_FALSE(run.SanitizerReported()) << run.err.substr(0, 20000);
    EXPECT_EQ(run.exitCode, 0) << run.Describe();
    EXPECT_TRUE(run.boxes.empty()) << run.Describe();
    EXPECT_EQ(run.err.find("sync: "), std::string::npos) << "a damaged track file: " << run.err;
    // 123 s of music in quarter seconds; the loop ends on the first frame past 123 s (or when a
    // shorter soundtrack stops).
    EXPECT_GE(run.frames, 400) << run.Describe();
    EXPECT_LE(run.frames, 123 * 4 + 3) << run.Describe();
    EXPECT_NE(run.out.find("loading complete\n"), std::string::npos);
}

}  // namespace
}  // namespace robust
