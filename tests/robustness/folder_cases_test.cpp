// Hostile surroundings rather than hostile files: a settings file that cannot be written, and a
// folder where every data file is missing at once.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "robustness/bad_data_fixture.h"

namespace robust {
namespace {

TEST_F(BadDataTest, SettingsFileThatCannotBeWrittenIsReportedAndTheDemoRuns) {
    MakeDirectory("lol.txt");
    const DemoRun run = Run();
    ExpectRanToTheEnd(run);
    EXPECT_TRUE(run.boxes.empty()) << run.DescribeBoxes();
    EXPECT_NE(run.err.find("lol.txt"), std::string::npos) << run.err;
}

TEST_F(BadDataTest, EmptyFolderShowsTheStreamBoxOnly) {
    for (const char* top : {"vessmark", "DefaultFilters", "s"})
        std::filesystem::remove_all(Path(top));
    const DemoRun run = Run();
    ExpectSurvived(run);
    EXPECT_EQ(run.exitCode, 0);
    ASSERT_EQ(run.boxes.size(), 1u) << run.DescribeBoxes();
    EXPECT_EQ(run.boxes[0].caption, "fucked stream");
}

TEST_F(BadDataTest, EverythingButTheSoundtrackMissingStillRunsToTheEnd) {
    for (const char* top :
         {"vessmark/gris", "vessmark/data", "vessmark/shaders", "DefaultFilters", "s"})
        std::filesystem::remove_all(Path(top));
    const DemoRun run = Run();
    ExpectRanToTheEnd(run);
    EXPECT_EQ(run.CountCaption("ikkenoesync"), 23u);
    EXPECT_EQ(run.CountCaption("Failed To Open The MeshFile"), 6u);
    EXPECT_EQ(run.CountBoxes("TextureStack", "InvalidData With eyes"), 1u);
    EXPECT_EQ(run.CountCaption(
                  std::string("Shader Compilation Error In [DefaultFilters/DefaultFilter.fx]")),
              1u);
    EXPECT_EQ(
        run.CountCaption(std::string("Shader Compilation Error In [vessmark/shaders/pig.fx]")), 1u);
    // Part 0 and filter 0 every frame: each frame misses "DefaultFilter" and "color".
    EXPECT_GE(static_cast<long>(run.CountBoxes("No Match", "color")), run.frames);
}

}  // namespace
}  // namespace robust
