// Bad track files: each run of the demo shows the message the device gives for it and goes on.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <limits>

#include "robustness/bad_data_fixture.h"

namespace robust {
namespace {

constexpr const char* kPartTrack = "s/synced_0_part.track";

TEST_F(BadDataTest, ValidFolderRunsToTheEndWithoutAnyMessage) {
    const DemoRun run = Run();
    ExpectRanToTheEnd(run);
    EXPECT_TRUE(run.boxes.empty()) << run.DescribeBoxes();
    EXPECT_NE(run.out.find("in part 1\n"), std::string::npos);
}

}  // namespace
}  // namespace robust
