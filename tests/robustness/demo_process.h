// Runs the headless demo program (headless_demo) as a child process in a data folder and collects
// what it showed and said: exit code, standard output and error, message boxes, frames presented.
// One process per run: the demo's registries and render textures are static and filled once.
#pragma once

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace robust {

struct Box {
    std::string caption;
    std::string text;
};

struct DemoRun {
    int exitCode = -1000;   // the process's exit status (0..255), or -1000 when it did not exit
    int signal = 0;         // the signal that ended it, 0 when none
    bool timedOut = false;  // killed after the time limit
    std::string out, err;
    std::vector<Box> boxes;
    long frames = -1;  // frames presented, from the program's last line; -1 when missing

    size_t CountBoxes(const std::string& caption, const std::string& text) const;
    size_t CountCaption(const std::string& caption) const;
    // "caption: text" lines, for failure messages.
    std::string DescribeBoxes() const;
    // Anything a sanitizer wrote (AddressSanitizer, LeakSanitizer, UndefinedBehaviorSanitizer).
    bool SanitizerReported() const;
};

struct RunOptions {
    double step = 0.25;
    int width = 640, height = 360;
    long maxFrames = 400;
    int timeoutSeconds = 120;
    std::vector<std::string> extraArgs;                            // passed on to headless_demo
    std::vector<std::pair<std::string, std::string>> environment;  // set in the child only
};

// Runs headless_demo in `folder`; output files go into `folder`/../ (beside it), never into it.
DemoRun RunHeadlessDemo(const std::filesystem::path& folder, const RunOptions& options = {});

}  // namespace robust
