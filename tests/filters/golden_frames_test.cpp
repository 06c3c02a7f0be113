// Golden frames: the whole demo on a headless context over a test timeline that shows each part
// through filter 0, each filter over the pig, and the image part through the two stacked blur
// chains. One frame per segment, averaged down to 160 x 120, is compared with
// tests/golden/<name>.png within a per-channel tolerance that llvmpipe keeps. The test assets
// (cubes for the pig meshes, images that brighten from top to bottom) come from the driver tests'
// demo data folder.
//
// To regenerate after a deliberate change of the picture, run the test with VM_UPDATE_GOLDEN=1: it
// rewrites the PNGs in the source tree; look at them before committing.
#include <gtest/gtest.h>
#include <stb/stb_image.h>
#include <stb/stb_image_write.h>

#include <cstdlib>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "driver/demo_data_folder.h"

namespace {

constexpr double kFramePeriod = 0.05;    // seconds of music per presented frame
constexpr uint32_t kRowsPerSegment = 4;  // about six frames at 12.75 rows a second
constexpr int kWidth = 640, kHeight = 480;
constexpr int kScale = 4;  // golden frames are 160 x 120
constexpr int kTolerance = 10;

struct Segment {
    const char* name;
    float part, filter;
};
constexpr Segment kSegments[] = {
    {"scene_pig", 1, 0},     {"scene_reflection", 2, 0}, {"scene_parade", 3, 0},
    {"scene_swarm", 4, 0},   {"scene_image_dama", 5, 0}, {"scene_image_demo", 6, 0},
    {"filter1", 1, 1},       {"filter2", 1, 2},          {"filter3", 1, 3},
    {"filter4", 1, 4},       {"filter5", 1, 5},          {"filter6", 1, 6},
    {"image_filter5", 5, 5}, {"image_filter6", 5, 6},
};

struct Picture {
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;
};

// The frame averaged over kScale x kScale blocks.
Picture Reduce(const gfx::Frame& frame) {
    Picture p{int(frame.width) / kScale, int(frame.height) / kScale, {}};
    std::vector<int> sums(size_t(p.width) * p.height * 3);
    for (int y = 0; y < p.height * kScale; ++y)
        for (int x = 0; x < p.width * kScale; ++x)
            for (int c = 0; c < 3; ++c)
                sums[(size_t(y / kScale) * p.width + x / kScale) * 3 + c] +=
                    frame.rgba[(size_t(y) * frame.width + x) * 4 + c];
    for (int sum : sums) p.rgb.push_back(uint8_t((sum + kScale * kScale / 2) / (kScale * kScale)));
    return p;
}

// Runs the demo once; the third frame of each segment by segment name.
std::map<std::string, Picture> RenderSegments() {
    demo_test::DemoDataFolder folder;
    folder.WriteAssets(kRowsPerSegment * std::size(kSegments) / 12.75 + 0.3);
    demo_test::Timeline timeline;
    for (uint32_t s = 0; s < std::size(kSegments); ++s) {
        timeline["0_part"].push_back({s * kRowsPerSegment, kSegments[s].part, 0});
        timeline["0_filter"].push_back({s * kRowsPerSegment, kSegments[s].filter, 0});
    }
    timeline["0_fp"] = {{0, 1.5f, 0}};
    timeline["0_fp2"] = {{0, 2.0f, 0}};
    timeline["0_fade"] = {{0, 0.2f, 0}};
    timeline["0_flash"] = {{0, 1.0f, 0}};
    timeline["1_cam.x"] = {{0, 0.6f, 0}};
    timeline["1_cam.y"] = {{0, -1.5f, 0}};
    timeline["1_cam.z"] = {{0, -4.0f, 0}};
    timeline["1_cam.fov"] = {{0, 1.0f, 0}};
    demo_test::WriteTrackFiles(folder.Path(), timeline);

    std::map<std::string, Picture> pictures;
    int lastSegment = -1, framesInSegment = 0;
    const auto run = demo_test::RunHeadless(
        folder, kWidth, kHeight, kFramePeriod, [&](const gfx::Frame& frame, int i) {
            const int segment =
                static_cast<int>(static_cast<float>(kFramePeriod * i) * 12.75f / kRowsPerSegment);
            framesInSegment = segment == lastSegment ? framesInSegment + 1 : 0;
            lastSegment = segment;
            if (framesInSegment == 2 && segment < int(std::size(kSegments)))
                pictures[kSegments[segment].name] = Reduce(frame);
        });
    EXPECT_EQ(run.exitCode, 0);
    return pictures;
}

// One demo run per test process: every segment is compared in this one test. (The test images
// brighten from top to bottom, so a picture turned upside down shows.)
TEST(GoldenFrames, EveryPartAndFilterMatchesItsStoredPicture) {
    const std::map<std::string, Picture> pictures = RenderSegments();
    const bool update = std::getenv("VM_UPDATE_GOLDEN") != nullptr;
    for (const Segment& segment : kSegments) {
        SCOPED_TRACE(segment.name);
        ASSERT_TRUE(pictures.contains(segment.name)) << "no frame was shown";
        const Picture& got = pictures.at(segment.name);
        const std::string golden = std::string(VM_GOLDEN_DIR "/") + segment.name + ".png";
        if (update) {
            EXPECT_TRUE(stbi_write_png(golden.c_str(), got.width, got.height, 3, got.rgb.data(),
                                       got.width * 3));
            continue;
        }
        int w = 0, h = 0, n = 0;
        unsigned char* stored = stbi_load(golden.c_str(), &w, &h, &n, 3);
        ASSERT_NE(stored, nullptr) << golden << ": run with VM_UPDATE_GOLDEN=1";
        const std::vector<uint8_t> expected(stored, stored + size_t(w) * h * 3);
        stbi_image_free(stored);
        ASSERT_EQ(std::tuple(w, h), std::tuple(got.width, got.height));
        int worst = 0;
        size_t at = 0;
        for (size_t i = 0; i < expected.size(); ++i) {
            const int d = std::abs(int(expected[i]) - int(got.rgb[i]));
            if (d > worst) worst = d, at = i / 3;
        }
        EXPECT_LE(worst, kTolerance) << "at (" << at % w << ", " << at / w << ")";
    }
}

}  // namespace
