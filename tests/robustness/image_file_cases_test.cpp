// Bad image files: the texture registry reports the entry by its name and stops loading, so the
// entries after it are missing and every lookup of them shows "No Match", every frame they are
// drawn. One refusal stands for all: the decoder's reasons are checked with the image tests.
#include <gtest/gtest.h>

#include "robustness/bad_data_fixture.h"

namespace robust {
namespace {

TEST_F(BadDataTest, UnusableImageIsReportedByItsNameAndLoadingStops) {
    constexpr const char* kDama = "vessmark/data/dama.png";  // the second of four textures
    Bytes truncated = Read(kDama);
    truncated.resize(truncated.size() / 2);
    Write(kDama, truncated);
    const DemoRun run = Run();
    // One report for dama; "dama", "bg" and "demo" are missing when parts 5, 4 and 6 draw them
    // (frames 2, 5 and 3 of the fixture's timeline); the first texture stays loaded.
    ExpectRanToTheEnd(run);
    EXPECT_EQ(run.CountCaption("TextureStack"), 1u) << run.DescribeBoxes();
    EXPECT_EQ(run.CountBoxes("TextureStack", "InvalidData With dama"), 1u);
    for (const char* name : {"dama", "demo", "bg"})
        EXPECT_EQ(run.CountBoxes("No Match", name), 1u) << name << "\n" << run.DescribeBoxes();
    EXPECT_EQ(run.CountBoxes("No Match", "eyes"), 0u);
}

}  // namespace
}  // namespace robust
