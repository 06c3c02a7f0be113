// A private Xvfb server for tests that drive real windows with the X command-line tools, and the
// process helpers those tests share. It starts the server on the first free display of a range and
// stops it on destruction; it does not install or find the tools (Available says whether they are
// on PATH, and tests skip without them). Order: Available, Start (once per suite), Launch / X /
// FindWindow while it runs, Stop.
#pragma once

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "support/shell.h"

namespace vmtest {

inline bool OnPath(const char* tool) {
    return std::system((std::string("command -v ") + tool + " >/dev/null 2>&1").c_str()) == 0;
}

inline std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// Waits up to `limit` for the child; returns its exit code, or -1 after killing it.
inline int WaitFor(pid_t pid, std::chrono::duration<double> limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid)
            return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    return -1;
}

class XvfbSession {
  public:
    ~XvfbSession() { Stop(); }

    static bool Available(std::initializer_list<const char*> tools) {
        return OnPath("Xvfb") && std::all_of(tools.begin(), tools.end(), OnPath);
    }

    // Starts Xvfb on the first display in [first, last) without a lock or socket; false if it
    // fails.
    bool Start(int first, int last, const std::string& screen) {
        namespace fs = std::filesystem;
        for (int n = first; n < last; ++n) {
            const std::string socket = "/tmp/.X11-unix/X" + std::to_string(n);
            if (fs::exists("/tmp/.X" + std::to_string(n) + "-lock") || fs::exists(socket)) continue;
            display_ = ":" + std::to_string(n);
            server_ = fork();
            if (server_ == 0) {
                (void)!freopen("/dev/null", "w", stderr);
                execlp("Xvfb", "Xvfb", display_.c_str(), "-screen", "0", screen.c_str(),
                       "-nolisten", "tcp", static_cast<char*>(nullptr));
                _exit(127);
            }
            for (int i = 0; i < 100 && !fs::exists(socket); ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            if (!fs::exists(socket)) Stop();
            return server_ > 0;
        }
        return false;
    }

    void Stop() {
        if (server_ <= 0) return;
        kill(server_, SIGTERM);
        waitpid(server_, nullptr, 0);
        server_ = 0;
    }

    // Runs `program` with `args` in `folder` on this display with stdout and stderr in out.txt and
    // err.txt.
    pid_t Launch(const char* program, const std::filesystem::path& folder,
                 std::vector<std::string> args = {}) const {
        const pid_t pid = fork();
        if (pid == 0) {
            std::filesystem::current_path(folder);
            (void)!freopen("out.txt", "w", stdout);
            (void)!freopen("err.txt", "w", stderr);
            setenv("DISPLAY", display_.c_str(), 1);
            setenv("SDL_AUDIODRIVER", "dummy", 1);
            std::vector<char*> argv{const_cast<char*>(program)};
            for (std::string& arg : args) argv.push_back(arg.data());
            argv.push_back(nullptr);
            execv(program, argv.data());
            _exit(127);
        }
        return pid;
    }

    // Runs a command on this display, ignoring its output.
    void X(const std::string& command) const {
        (void)!std::system(("DISPLAY=" + display_ + " " + command + " >/dev/null 2>&1").c_str());
    }
    // The first window whose name matches the regular expression, waiting up to 20 seconds.
    std::string FindWindow(const std::string& name) const {
        const auto found = testsupport::Shell("{ DISPLAY=" + display_ +
                                              " timeout 20 xdotool search --sync --name '" + name +
                                              "'; } 2>/dev/null");
        return found.output.substr(0, found.output.find('\n'));
    }

  private:
    std::string display_;
    pid_t server_ = 0;
};

}  // namespace vmtest
