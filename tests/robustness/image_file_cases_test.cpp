// Bad image files: the texture registry reports the entry by its name and stops loading, so the
// entries after it are missing and every lookup of them shows "No Match", every frame they are drawn.
#include <gtest/gtest.h>

#include <string>
#include <utility>

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
        EXPECT_EQ(run.CountBoxes("TextureStack", "InvalidData With dama"), 1u) << run.DescribeBoxes();
        EXPECT_EQ(run.CountCaption("TextureStack"), 1u) << run.DescribeBoxes();
        EXPECT_EQ(run.CountBoxes("No Match", "dama"), 1u) << run.DescribeBoxes();
        EXPECT_EQ(run.CountBoxes("No Match", "demo"), 1u) << run.DescribeBoxes();
        EXPECT_EQ(run.CountBoxes("No Match", "bg"), 1u) << run.DescribeBoxes();
        EXPECT_EQ(run.CountBoxes("No Match", "eyes"), 0u) << "the first texture stays loaded";
    }
};

TEST_F(BadImageTest, UnusableImagesAreReportedByTheirNameAndLoadingStops) {
    const Bytes png = Read(kDama);
    Bytes truncated = png;
    truncated.resize(png.size() / 2);
    Bytes huge = png;
    // IHDR width and height, big-endian, at bytes 16..23: 100000 x 100000, refused before decoding.
    for (size_t at : {size_t{16}, size_t{20}}) Set32(huge, at, 0xA0860100u);
    const std::string text = "this is not a picture\n";
    const std::pair<const char*, Bytes> cases[] = {
        {"empty", Bytes{}},
        {"truncated", truncated},
        {"text", Bytes(text.begin(), text.end())},
        {"a soundtrack", Read(kSoundtrack)},
        {"huge dimensions", huge},
    };
    for (const auto& [what, bytes] : cases) {
        SCOPED_TRACE(what);
        Write(kDama, bytes);
        ExpectDamaRefused(Run());
    }
    SCOPED_TRACE("unreadable, then missing");
    if (MakeUnreadable(kDama)) ExpectDamaRefused(Run());  // root reads anything
    Remove(kDama);
    ExpectDamaRefused(Run());
}

TEST_F(BadImageTest, JpegBehindThePngExtensionLoadsByItsContent) {
    Write(kDama, Read("vessmark/gris/augetext.JPG"));
    const DemoRun run = Run();
    ExpectRanToTheEnd(run);
    EXPECT_TRUE(run.boxes.empty()) << run.DescribeBoxes();
}

TEST_F(BadImageTest, DirectoryInPlaceOfTheFirstImageStopsAllTextureLoading) {
    MakeDirectory("vessmark/gris/augetext.JPG");
    const DemoRun run = Run();
    ExpectRanToTheEnd(run);
    EXPECT_EQ(run.CountBoxes("TextureStack", "InvalidData With eyes"), 1u) << run.DescribeBoxes();
    EXPECT_GE(run.CountBoxes("No Match", "eyes"), 1u) << run.DescribeBoxes();
    EXPECT_EQ(run.CountBoxes("No Match", "dama"), 1u) << run.DescribeBoxes();
}

}  // namespace
}  // namespace robust
