// Runs the headless demo program (headless_demo) as a child process in a data folder and collects
// what it showed and said: exit code, standard output and error, message boxes, frames presented.
// One process per run: the demo's registries and render textures are static and filled once.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "support/call_lines.h"

namespace robust {

struct DemoRun {
    int exitCode = -1;  // the exit status; 124 after the time limit, 128 + N for signal N
    std::string out, err;
    vmtest::Lines boxes;  // "caption: text" of every message box, in order
    long frames = -1;     // frames presented, from the program's last line; -1 when missing

    // The boxes in first-seen order, each once with " (xN)" when shown N > 1 times, each text cut
    // at its first line.
    vmtest::Lines Summary() const;
    // The summary, exit code, frames and the end of stderr, for failure messages.
    std::string Describe() const;
    // Anything a sanitizer wrote (AddressSanitizer, LeakSanitizer, UndefinedBehaviorSanitizer).
    bool SanitizerReported() const;
};

struct RunOptions {
    int width = 640, height = 360;
    int timeoutSeconds = 120;
    std::string wav;                       // headless_demo records the music played there
    std::vector<std::string> environment;  // NAME=value, set in the child only
};

// Runs headless_demo in `folder`; output files go beside it, never into it.
DemoRun RunHeadlessDemo(const std::filesystem::path& folder, const RunOptions& options = {});

}  // namespace robust
