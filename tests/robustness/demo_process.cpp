#include "robustness/demo_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace robust {
namespace fs = std::filesystem;

namespace {

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<Box> ParseBoxes(const std::string& log) {
    std::vector<Box> boxes;
    size_t start = 0;
    for (size_t end; (end = log.find('\x1e', start)) != std::string::npos; start = end + 1) {
        const std::string record = log.substr(start, end - start);
        const size_t split = record.find('\x1f');
        if (split == std::string::npos) continue;
        boxes.push_back({record.substr(0, split), record.substr(split + 1)});
    }
    return boxes;
}

long FramesFrom(const std::string& err) {
    const std::string tag = "headless_demo: ";
    const size_t at = err.rfind(tag);
    if (at == std::string::npos) return -1;
    long frames = -1;
    if (std::sscanf(err.c_str() + at + tag.size(), "%ld frames", &frames) != 1) return -1;
    return frames;
}

}  // namespace

size_t DemoRun::CountBoxes(const std::string& caption, const std::string& text) const {
    size_t n = 0;
    for (const Box& box : boxes) n += box.caption == caption && box.text == text;
    return n;
}

size_t DemoRun::CountCaption(const std::string& caption) const {
    size_t n = 0;
    for (const Box& box : boxes) n += box.caption == caption;
    return n;
}

std::string DemoRun::DescribeBoxes() const {
    std::ostringstream s;
    s << boxes.size() << " boxes";
    size_t shown = 0;
    for (const Box& box : boxes) {
        if (++shown > 40) {
            s << "\n  ...";
            break;
        }
        s << "\n  " << box.caption << ": " << box.text;
    }
    s << "\nexit " << exitCode << ", signal " << signal << ", frames " << frames
      << "\n--- stderr (tail)\n"
      << (err.size() > 3000 ? err.substr(err.size() - 3000) : err);
    return s.str();
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
    const fs::path outPath = side / "stdout.txt", errPath = side / "stderr.txt",
                   boxPath = side / "boxes.bin";
    const std::string step = std::to_string(options.step);
    const std::string size = std::to_string(options.width) + "x" + std::to_string(options.height);
    const std::string maxFrames = std::to_string(options.maxFrames);
    std::vector<std::string> args = {
        HEADLESS_DEMO_PATH, folder.string(), "--step",        step, "--size", size, "--max-frames",
        maxFrames,          "--boxes",       boxPath.string()};
    args.insert(args.end(), options.extraArgs.begin(), options.extraArgs.end());

    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
        const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (out < 0 || err < 0) _exit(126);
        dup2(out, 1);
        dup2(err, 2);
        close(out);
        close(err);
        // Leaks inside the system's graphics and windowing libraries are not ours.
        if (std::getenv("LSAN_OPTIONS") == nullptr)
            setenv("LSAN_OPTIONS", "suppressions=" LSAN_SUPPRESSIONS, 1);
        if (std::getenv("SDL_AUDIODRIVER") == nullptr) setenv("SDL_AUDIODRIVER", "dummy", 1);
        // A reader that runs away with memory is stopped (under AddressSanitizer) before the
        // machine is.
        const char* asan = std::getenv("ASAN_OPTIONS");
        setenv("ASAN_OPTIONS", (std::string(asan ? asan : "") + ":hard_rss_limit_mb=3072").c_str(),
               1);
        for (const auto& [name, value] : options.environment)
            setenv(name.c_str(), value.c_str(), 1);
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }

    DemoRun run;
    int status = 0;
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::seconds(options.timeoutSeconds);
    for (;;) {
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid) break;
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            run.timedOut = true;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (WIFEXITED(status)) run.exitCode = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) run.signal = WTERMSIG(status);
    run.out = ReadAll(outPath);
    run.err = ReadAll(errPath);
    run.boxes = ParseBoxes(ReadAll(boxPath));
    run.frames = FramesFrom(run.err);
    std::error_code ec;
    fs::remove_all(side, ec);
    return run;
}

}  // namespace robust
