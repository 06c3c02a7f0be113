// Bad track files: each run of the demo shows the message the device gives for it and goes on.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>
#include <filesystem>
#include <iterator>
#include <limits>

#include "robustness/bad_data_fixture.h"

namespace robust {
namespace {

constexpr const char* kPartTrack = "s/synced_0_part.track";

TEST_F(BadDataTest, MissingOrUnopenableTrackFileShowsItsNameOnceAndTheTrackStaysAtZero) {
    RunUnopenable(kPartTrack, [](const char* what, const DemoRun& run) {
        SCOPED_TRACE(what);
        ExpectRanToTheEnd(run);
        EXPECT_EQ(run.CountBoxes("ikkenoesync", kPartTrack), 1u) << run.DescribeBoxes();
        EXPECT_EQ(run.boxes.size(), 1u) << run.DescribeBoxes();
        EXPECT_EQ(run.out.find("in part 1\n"), std::string::npos) << "an empty 0_part track is 0";
    });
}

TEST_F(BadDataTest, WithoutTheTrackFolderEveryTrackShowsOneBoxInFetchOrder) {
    std::filesystem::remove_all(Path("s"));
    const DemoRun run = Run();
    ExpectRanToTheEnd(run);
    const char* order[] = {"0_part",    "0_filter",   "0_fp",     "0_fp2",    "0_fade",
                           "0_flash",   "0_gradient", "1_cam.x",  "1_cam.y",  "1_cam.z",
                           "1_cam.fov", "1_cam.rot",  "1_view.x", "1_view.y", "1_view.z",
                           "2_st1",     "2_st2",      "2_st3",    "2_st4",    "2_st5",
                           "2_st6",     "2_st7",      "3_smile"};
    ASSERT_EQ(run.boxes.size(), std::size(order)) << run.DescribeBoxes();
    for (size_t i = 0; i < std::size(order); ++i) {
        EXPECT_EQ(run.boxes[i].caption, "ikkenoesync");
        EXPECT_EQ(run.boxes[i].text, std::string("s/synced_") + order[i] + ".track");
    }
    // Part 0 and filter 0 every frame: "clear" once per frame, never "in part 1".
    size_t clears = 0;
    for (size_t at = run.out.find("clear\n"); at != std::string::npos;
         at = run.out.find("clear\n", at + 1))
        ++clears;
    EXPECT_EQ(static_cast<long>(clears), run.frames);
}

TEST_F(BadDataTest, DamagedTrackFilesKeepTheWholeRecordsTheyHoldWithOneLineOnStderr) {
    Bytes cut = TrackFile({{0, 1.0f, 0}, {3, 2.0f, 0}, {6, 5.0f, 0}});
    cut.resize(cut.size() - 5);  // the third record loses its value and kind
    Bytes hugeCount = TrackFile({{0, 1.0f, 0}, {3, 2.0f, 0}});
    Set32(hugeCount, 0, 0xFFFFFFFFu);
    struct Case {
        const char* what;
        const Bytes& file;
        std::string stderrNames;
    };
    // The reader's other faults are checked with the track file tests.
    const Case cases[] = {
        {"cut inside a record", cut, kPartTrack},
        {"huge key count", hugeCount, "4294967295"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Write(kPartTrack, c.file);
        const DemoRun run = Run();
        ExpectRanToTheEnd(run);
        EXPECT_TRUE(run.boxes.empty()) << run.DescribeBoxes();
        EXPECT_NE(run.err.find(c.stderrNames), std::string::npos) << run.err;
        EXPECT_NE(run.out.find("in part 1\n"), std::string::npos) << "the first key survives";
    }
}

TEST_F(BadDataTest, NonFiniteAndHugeSelectorValuesClearToYellowAndRunFilterZero) {
    const float inf = std::numeric_limits<float>::infinity();
    Write(
        kPartTrack,
        TrackFile({{0, std::numeric_limits<float>::quiet_NaN(), 1}, {6, 1e30f, 2}, {12, -inf, 3}}));
    Write("s/synced_0_filter.track",
          TrackFile({{0, inf, 1}, {9, -3e9f, 0}, {15, std::nanf(""), 0}}));
    Write("s/synced_1_cam.fov.track", TrackFile({{0, inf, 0}}));
    Write("s/synced_1_cam.x.track", TrackFile({{0, std::numeric_limits<float>::quiet_NaN(), 0}}));
    const DemoRun run = Run();
    ExpectRanToTheEnd(run);
    EXPECT_TRUE(run.boxes.empty()) << run.DescribeBoxes();
    EXPECT_EQ(run.out.find("in part 1\n"), std::string::npos);
    EXPECT_EQ(run.out.find("clear\n"), std::string::npos) << "out-of-range filters print nothing";
}

TEST_F(BadDataTest, NonFiniteCameraValuesStillRenderEveryPart) {
    const float inf = std::numeric_limits<float>::infinity();
    Write("s/synced_1_cam.fov.track", TrackFile({{0, inf, 0}, {9, 0.0f, 0}, {15, -inf, 0}}));
    Write("s/synced_1_cam.x.track", TrackFile({{0, std::numeric_limits<float>::quiet_NaN(), 0}}));
    Write("s/synced_1_view.z.track", TrackFile({{0, 3e38f, 1}, {20, -3e38f, 0}}));
    Write("s/synced_0_fade.track", TrackFile({{0, -inf, 0}}));
    Write("s/synced_0_fp.track",
          TrackFile({{0, 1e30f, 0}, {12, std::numeric_limits<float>::quiet_NaN(), 0}}));
    const DemoRun run = Run();
    ExpectRanToTheEnd(run);
    EXPECT_TRUE(run.boxes.empty()) << run.DescribeBoxes();
    EXPECT_NE(run.out.find("in part 1\n"), std::string::npos);
}

}  // namespace
}  // namespace robust
