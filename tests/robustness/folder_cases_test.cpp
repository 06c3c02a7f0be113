// Hostile surroundings rather than hostile files: a settings file that cannot be written, named
// pipes in place of files, and a folder where every data file is missing at once.
#include <gtest/gtest.h>
#include <sys/stat.h>

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

// Opening or reading a pipe without a writer would block for ever: each reader must see a file that
// cannot be opened, at once.
TEST_F(BadDataTest, NamedPipeInPlaceOfAnyFileIsAFileThatCannotBeOpened) {
    const struct {
        const char* file;
        const char* caption;  // of the one box expected; null: no box, a line on stderr
        const char* text;
    } cases[] = {
        {kSoundtrack, "fucked stream", "error"},
        {"s/synced_0_part.track", "ikkenoesync", "s/synced_0_part.track"},
        {kBodyMesh, "Failed To Open The MeshFile", kBodyMesh},
        {"vessmark/data/dama.png", "TextureStack", "InvalidData With dama"},
        {"vessmark/shaders/pig.fx", "Shader Compilation Error In [vessmark/shaders/pig.fx]",
         nullptr},
        {"lol.txt", nullptr, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const Bytes saved = Read(c.file);
        Remove(c.file);
        ASSERT_EQ(mkfifo(Path(c.file).c_str(), 0600), 0);
        RunOptions options;
        options.timeoutSeconds = 60;
        const DemoRun run = Run(options);
        ExpectSurvived(run);
        EXPECT_EQ(run.exitCode, 0) << run.DescribeBoxes();
        if (c.caption == nullptr) {
            EXPECT_TRUE(run.boxes.empty()) << run.DescribeBoxes();
            EXPECT_NE(run.err.find(c.file), std::string::npos) << run.err;
        } else if (c.text != nullptr) {
            EXPECT_GE(run.CountBoxes(c.caption, c.text), 1u) << run.DescribeBoxes();
        } else {
            EXPECT_EQ(run.CountCaption(c.caption), 1u) << run.DescribeBoxes();
        }
        Remove(c.file);
        if (!saved.empty()) Write(c.file, saved);
    }
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
