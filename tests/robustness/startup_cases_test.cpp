// Start-up failures of the demo as a whole: no graphics adapter at all, a device that cannot be
// created (the "au" line, then the end), and an audio library that cannot start (a fatal error,
// exit code -1).
#include <gtest/gtest.h>

#include <string>

#include "robustness/bad_data_fixture.h"

namespace robust {
namespace {

TEST_F(BadDataTest, NoGraphicsAdapterIsReportedAndTheDemoEnds) {
    // The GL dispatch library finds no EGL vendor: no context, no adapter.
    RunOptions options;
    options.environment = {
        {"__EGL_VENDOR_LIBRARY_FILENAMES", Path("no-such-vendor.json").string()}};
    const DemoRun run = Run(options);
    ExpectSurvived(run);
    EXPECT_EQ(run.CountBoxes("D3D9Init", "Failed Direct3DCreate9(SDK_VERSION)"), 1u)
        << run.DescribeBoxes();
    EXPECT_EQ(run.boxes.size(), 1u) << run.DescribeBoxes();
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.frames, 0);
}

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
