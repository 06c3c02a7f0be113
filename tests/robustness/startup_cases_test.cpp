// Start-up failures of the demo as a whole: no graphics adapter at all (no EGL vendor for the GL
// dispatch library), a device that cannot be created (a back buffer larger than any texture the
// context allows), and an audio library that cannot start (its recording cannot be written).
#include <gtest/gtest.h>

#include "robustness/bad_data_fixture.h"

namespace robust {
namespace {

TEST_F(BadDataTest, StartUpFailuresAreReportedAndEndTheDemoWithTheirExitCode) {
    MakeDirectory("music.wav");
    const struct {
        const char* what;
        RunOptions options;
        int exitCode;  // -1 is 255 as a process status
        vmtest::Lines boxes;
        const char *out, *err;
    } cases[] = {
        {"no adapter",
         {.environment = {"__EGL_VENDOR_LIBRARY_FILENAMES=" + Path("none.json").string()}},
         1,
         {"D3D9Init: Failed Direct3DCreate9(SDK_VERSION)"},
         "",
         ""},
        {"no device",
         {.width = 20000, .height = 11250},
         1,
         {"Error::D3D9Init: CreateDevice"},
         "au\n",
         ""},
        {"no audio",
         {.wav = Path("music.wav").string()},
         255,
         {},
         "auda2\n",
         "*** error: failed to init bass\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const DemoRun run = Run(c.options);
        ExpectEnded(run, c.exitCode);
        EXPECT_EQ(run.frames, 0);
        EXPECT_LINES(run.boxes, c.boxes);
        EXPECT_NE(run.out.find(c.out), std::string::npos) << run.out;
        EXPECT_NE(run.err.find(c.err), std::string::npos) << run.err;
        EXPECT_EQ(run.out.find("loading complete"), std::string::npos) << run.out;
    }
}

}  // namespace
}  // namespace robust
