// Running the demo in-process on the headless context for benchmark programs.
//
// WHAT IT DOES
//   Configures the platform layers (EGL surfaceless graphics offering exactly one display mode,
//   scripted dialog that accepts its defaults, message boxes counted instead of shown, manual
//   audio clock) and runs DemoMain with the demo's own standard output silenced. Hooks let the
//   caller see the end of the dialog, every presented frame and the end of every pass.
//
// WHAT IT DOES NOT DO
//   Does not build the content: the data folder must exist (the `content` target writes it).
//
// ORDER OF CALLS
//   1. bench::EnterDataFolder(argv-derived path) (false: message printed, stop).
//   2. Fill a bench::HeadlessRun, call Configure(), then RunQuietly() once per process.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>

#include "platform/gfx/gfx.h"

namespace bench {

double WallSeconds();        // steady clock, arbitrary origin
double ProcessCpuSeconds();  // every thread of the process (llvmpipe's workers included)
double ThreadCpuSeconds();   // the calling thread only
long PeakRssKilobytes();     // getrusage maxrss

// False (with a message on stderr) when the folder does not hold the default production.
bool EnterDataFolder(const std::filesystem::path& data);

// Parses "WxH"; false when malformed.
bool ParseSize(const char* text, uint32_t* width, uint32_t* height);

struct HeadlessRun {
    uint32_t width = 1280, height = 720;
    // Called when the setup dialog has returned.
    std::function<void()> afterDialog;
    // Called by Present with the back buffer; leave empty to keep Present free of read-backs.
    gfx::FrameSink frameSink;
    // Called once at the end of every pass, after Present (the first message-queue look).
    // Return true to make this pass the last one.
    std::function<bool()> endOfPass;
    uint64_t messageBoxes = 0;  // counted while running

    void Configure();
    int RunQuietly();  // DemoMain's result
};

}  // namespace bench
