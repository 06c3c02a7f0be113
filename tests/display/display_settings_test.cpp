// The render area for every mode/aspect/window combination, and the settings dump byte for byte.
#include <sys/stat.h>

#include "display/test_env.h"

namespace {

struct AreaCase {
    uint32_t width, height;
    bool fullscreen;
    float ratio;
    int32_t renderHeight, offset;
};

class RenderAreaTest : public testing::TestWithParam<AreaCase> {};

TEST_P(RenderAreaTest, HeightAndOffset) {
    const AreaCase& c = GetParam();
    DisplaySettings s;
    s.screenWidth = c.width;
    s.screenHeight = c.height;
    s.fullscreen = c.fullscreen;
    s.ratio = c.ratio;
    s.ComputeRenderArea();
    EXPECT_EQ(s.renderWidth, static_cast<int32_t>(c.width));
    EXPECT_EQ(s.renderHeight, c.renderHeight);
    EXPECT_EQ(s.offset, c.offset);
    // Full screen keeps the chosen ratio; windowed always reports 4:3.
    EXPECT_EQ(s.ratio, c.fullscreen ? c.ratio : 1.3333334f);
}

constexpr float k43 = 1.3333334f, k1610 = 1.6f, k169 = 1.7777778f;

INSTANTIATE_TEST_SUITE_P(
    EveryCell, RenderAreaTest,
    testing::Values(
        AreaCase{1024, 768, true, k43, 576, 96}, AreaCase{1024, 768, true, k1610, 691, 38},
        AreaCase{1024, 768, true, k169, 768, 0}, AreaCase{1024, 768, false, k1610, 576, 96},
        AreaCase{1280, 1024, true, k43, 768, 128}, AreaCase{1280, 1024, true, k1610, 921, 51},
        AreaCase{1280, 1024, true, k169, 1024, 0}, AreaCase{1280, 1024, false, k169, 720, 152},
        AreaCase{1680, 1050, true, k43, 787, 131}, AreaCase{1680, 1050, true, k1610, 945, 52},
        AreaCase{1680, 1050, true, k169, 1050, 0}, AreaCase{1680, 1050, false, k43, 945, 52},
        AreaCase{1920, 1080, true, k43, 810, 135}, AreaCase{1920, 1080, true, k1610, 972, 54},
        AreaCase{1920, 1080, true, k169, 1080, 0}, AreaCase{1920, 1080, false, k43, 1080, 0},
        // Wider than 16:9 windowed: the band is taller than the screen, centred on it.
        AreaCase{2560, 1080, false, k169, 1440, -180},
        AreaCase{2560, 1081, false, k169, 1440, -180},
        // Windowed heights are truncated: 1400 x 9/16 is 787.5.
        AreaCase{1400, 1050, false, k169, 787, 131},
        // Full screen 16:9 fills odd heights too.
        AreaCase{800, 601, true, k169, 601, 0}));

TEST(AspectTables, RatiosAreTheNearestFloats) {
    EXPECT_EQ(kAspectRatios[0], 1.3333334f);
    EXPECT_EQ(kAspectRatios[1], 1.6f);
    EXPECT_EQ(kAspectRatios[2], 1.7777778f);
    EXPECT_STREQ(kAspectNames[1], "16:10");
    EXPECT_EQ(kMultiSampleTypes[8], 16u);
    EXPECT_STREQ(kMultiSampleNames[5], "10x Multisampling");
}

class DumpSettingsTest : public DisplayTest {};

TEST_F(DumpSettingsTest, StdoutAndFileCarryTheSameFiveLines) {
    displaySettings = DisplaySettings{1280, 1024, 75, 1.6f, false, true, 4};
    displaySettings.ComputeRenderArea();
    {
        std::ofstream old("lol.txt");
        old << "an older and much longer file that must be replaced entirely\n";
    }
    testing::internal::CaptureStdout();
    displaySettings.DumpSettings();
    const std::string out = testing::internal::GetCapturedStdout();
    const std::string expected =
        "screen = 1280x1024@75\nrender = 1280x720\noffset = 152\nratio  = 1.333333\nms = 4\n";
    EXPECT_EQ(out, expected);
    EXPECT_EQ(ReadFile("lol.txt"), expected);  // LF line ends, old content gone
}

TEST_F(DumpSettingsTest, UnwritableFileIsReportedAndStdoutStillGetsTheLines) {
    displaySettings = DisplaySettings{1024, 768, 60, 1.7777778f, true, true, 0};
    displaySettings.ComputeRenderArea();
    std::filesystem::create_directory("lol.txt");  // a folder in the way
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    displaySettings.DumpSettings();
    const std::string out = testing::internal::GetCapturedStdout();
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(out,
              "screen = 1024x768@60\nrender = 1024x768\noffset = 0\nratio  = 1.777778\nms = 0\n");
    EXPECT_NE(err.find("cannot write \"lol.txt\""), std::string::npos) << err;
}

}  // namespace
