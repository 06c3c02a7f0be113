// Start-up failures of the demo as a whole: the audio library that cannot start (a fatal error,
// exit code -1) and a device that cannot be created (the "au" line, then the end).
#include <gtest/gtest.h>

#include <string>

#include "robustness/bad_data_fixture.h"

namespace robust {
namespace {

TEST_F(BadDataTest, AudioStartFailureIsAFatalErrorWithExitCodeMinusOne) {
    // The recording of the music cannot be written: the audio library refuses to start.
    MakeDirectory("music.wav");
    RunOptions options;
    options.extraArgs = {"--wav", Path("music.wav").string()};
    const DemoRun run = Run(options);
    ExpectSurvived(run);
    EXPECT_EQ(run.exitCode, 255) << "-1 as a process status\n" << run.DescribeBoxes();
    EXPECT_NE(run.out.find("auda2\n"), std::string::npos) << run.out;
    EXPECT_NE(run.err.find("*** error: failed to init bass\n"), std::string::npos) << run.err;
    EXPECT_EQ(run.out.find("loading complete"), std::string::npos);
    EXPECT_TRUE(run.boxes.empty()) << run.DescribeBoxes();
    EXPECT_EQ(run.frames, 0);
}

TEST_F(BadDataTest, DeviceThatCannotBeCreatedIsReportedAndTheDemoEnds) {
    // A back buffer larger than any texture the context allows.
    RunOptions options;
    options.width = 20000;
    options.height = 11250;
    const DemoRun run = Run(options);
    ExpectSurvived(run);
    EXPECT_EQ(run.CountCaption("Error::D3D9Init"), 1u) << run.DescribeBoxes();
    EXPECT_NE(run.out.find("au\n"), std::string::npos) << run.out;
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.frames, 0);
}

}  // namespace
}  // namespace robust
