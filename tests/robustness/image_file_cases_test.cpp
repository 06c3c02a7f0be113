// Bad image files: the texture registry reports the entry by its name and stops loading, so the
// entries after it are missing and every lookup of them shows "No Match", every frame they are
// drawn.
#include <gtest/gtest.h>

#include <string>

#include "robustness/bad_data_fixture.h"

namespace robust {
namespace {

constexpr const char* kDama = "vessmark/data/dama.png";  // the second of four textures

class BadImageTest : public BadDataTest {
  protected:
    // dama failed: one report for it, and "dama", "bg" and "demo" are missing when parts 5, 4 and 6
    // draw them (frames 2, 5 and 3 of the fixture's timeline).
    void ExpectDamaRefused(const DemoRun& run) const {
        ExpectRanToTheEnd(run);
        EXPECT_EQ(run.CountBoxes("TextureStack", "InvalidData With dama"), 1u)
            << run.DescribeBoxes();
        EXPECT_EQ(run.CountCaption("TextureStack"), 1u) << run.DescribeBoxes();
        EXPECT_EQ(run.CountBoxes("No Match", "dama"), 1u) << run.DescribeBoxes();
        EXPECT_EQ(run.CountBoxes("No Match", "demo"), 1u) << run.DescribeBoxes();
        EXPECT_EQ(run.CountBoxes("No Match", "bg"), 1u) << run.DescribeBoxes();
        EXPECT_EQ(run.CountBoxes("No Match", "eyes"), 0u) << "the first texture stays loaded";
    }
};

// One refusal stands for all: the decoder's reasons are checked with the image tests.
TEST_F(BadImageTest, UnusableImageIsReportedByItsNameAndLoadingStops) {
    Bytes truncated = Read(kDama);
    truncated.resize(truncated.size() / 2);
    Write(kDama, truncated);
    ExpectDamaRefused(Run());
}

TEST_F(BadImageTest, JpegBehindThePngExtensionLoadsByItsContent) {
    Write(kDama, Read("vessmark/gris/augetext.JPG"));
    const DemoRun run = Run();
    ExpectRanToTheEnd(run);
    EXPECT_TRUE(run.boxes.empty()) << run.DescribeBoxes();
}

}  // namespace
}  // namespace robust
