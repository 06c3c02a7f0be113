// Bad image files: the texture registry reports the entry by its name and stops loading, so the
// entries after it are missing and every lookup of them shows "No Match", every frame they are drawn.
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
        EXPECT_EQ(run.CountBoxes("TextureStack", "InvalidData With dama"), 1u) << run.DescribeBoxes();
        EXPECT_EQ(run.CountCaption("TextureStack"), 1u) << run.DescribeBoxes();
        EXPECT_EQ(run.CountBoxes("No Match", "dama"), 1u) << run.DescribeBoxes();
        EXPECT_EQ(run.CountBoxes("No Match", "demo"), 1u) << run.DescribeBoxes();
        EXPECT_EQ(run.CountBoxes("No Match", "bg"), 1u) << run.DescribeBoxes();
        EXPECT_EQ(run.CountBoxes("No Match", "eyes"), 0u) << "the first texture stays loaded";
    }
};

TEST_F(BadImageTest, MissingImageIsReportedByItsNameAndLoadingStops) {
    Remove(kDama);
    ExpectDamaRefused(Run());
}

TEST_F(BadImageTest, EmptyImageFileIsRefused) {
    Write(kDama, Bytes{});
    ExpectDamaRefused(Run());
}

TEST_F(BadImageTest, TruncatedPngIsRefused) {
    Bytes png = Read(kDama);
    png.resize(png.size() / 2);
    Write(kDama, png);
    ExpectDamaRefused(Run());
}

TEST_F(BadImageTest, TextBehindThePngExtensionIsRefused) {
    Write(kDama, std::string("this is not a picture\n"));
    ExpectDamaRefused(Run());
}

TEST_F(BadImageTest, SoundtrackBehindThePngExtensionIsRefused) {
    Write(kDama, Read(kSoundtrack));
    ExpectDamaRefused(Run());
}

TEST_F(BadImageTest, PngThatClaimsHugeDimensionsIsRefusedBeforeDecoding) {
    Bytes png = Read(kDama);
    // IHDR width and height, big-endian, at bytes 16..23: 100000 x 100000.
    for (size_t at : {size_t{16}, size_t{20}}) {
        png.at(at) = 0x00;
        png.at(at + 1) = 0x01;
        png.at(at + 2) = 0x86;
        png.at(at + 3) = 0xA0;
    }
    Write(kDama, png);
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

TEST_F(BadImageTest, UnreadableImageIsRefused) {
    if (!MakeUnreadable(kDama)) GTEST_SKIP() << "permissions do not stop this user reading (root)";
    ExpectDamaRefused(Run());
}

}  // namespace
}  // namespace robust
