#include "robustness/demo_process.h"

#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

namespace robust {
namespace fs = std::filesystem;

namespace {

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace

vmtest::Lines DemoRun::Summary() const {
    vmtest::Lines lines;
    std::vector<int> counts;
    for (const std::string& box : boxes) {
        const std::string line = box.substr(0, box.find('\n'));
        const auto at = std::find(lines.begin(), lines.end(), line);
        if (at == lines.end()) {
            lines.push_back(line);
            counts.push_back(1);
        } else {
            ++counts[size_t(at - lines.begin())];
        }
    }
    for (size_t i = 0; i < lines.size(); ++i)
        if (counts[i] > 1) lines[i] += " (x" + std::to_string(counts[i]) + ")";
    return lines;
}

std::string DemoRun::Describe() const {
    std::string s =
        "exit " + std::to_string(exitCode) + ", " + std::to_string(frames) + " frames\n";
    for (const std::string& line : Summary()) s += "  " + line + "\n";
    return s + "--- stderr (tail)\n" + err.substr(err.size() > 3000 ? err.size() - 3000 : 0);
}

bool DemoRun::SanitizerReported() const {
    for (const char* mark : {"ERROR: AddressSanitizer", "ERROR: LeakSanitizer",
                             "runtime error:", "SUMMARY: UndefinedBehaviorSanitizer"})
        if (err.find(mark) != std::string::npos) return true;
    return false;
}

DemoRun RunHeadlessDemo(const fs::path& folder, const RunOptions& options) {
    const fs::path side = folder.parent_path() / (folder.filename().string() + ".run");
    fs::create_directories(side);
    // Leaks inside the system's graphics and windowing libraries are not ours; a reader that runs
    // away with memory is stopped (under AddressSanitizer) before the machine is. Paths hold no
    // quote.
    std::string command = "env LSAN_OPTIONS=\"${LSAN_OPTIONS:-suppressions=" LSAN_SUPPRESSIONS
                          "}\" ASAN_OPTIONS=\"$ASAN_OPTIONS:hard_rss_limit_mb=3072\" "
                          "SDL_AUDIODRIVER=dummy";
    for (const std::string& variable : options.environment) command += " '" + variable + "'";
    command += " timeout -k 5 " + std::to_string(options.timeoutSeconds) +
               " '" HEADLESS_DEMO_PATH "' '" + folder.string() + "' " +
               std::to_string(options.width) + "x" + std::to_string(options.height) + " '" +
               (side / "boxes").string() + "' '" + options.wav + "'";
    command += " >'" + (side / "out").string() + "' 2>'" + (side / "err").string() + "'";
    const int status = std::system(command.c_str());

    DemoRun run;
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = ReadAll(side / "out");
    run.err = ReadAll(side / "err");
    const std::string boxes = ReadAll(side / "boxes");  // caption \x1f text \x1e, box by box
    for (size_t start = 0, end; (end = boxes.find('\x1e', start)) != std::string::npos;
         start = end + 1) {
        std::string box = boxes.substr(start, end - start);
        if (const size_t split = box.find('\x1f'); split != std::string::npos)
            box.replace(split, 1, ": ");
        run.boxes.push_back(box);
    }
    if (const size_t at = run.err.rfind("headless_demo: "); at != std::string::npos)
        std::sscanf(run.err.c_str() + at, "headless_demo: %ld frames", &run.frames);
    fs::remove_all(side);
    return run;
}

}  // namespace robust
