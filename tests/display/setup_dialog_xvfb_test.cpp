// The real setup dialog on an Xvfb server, driven with xdotool: Return runs with the preselected
// settings, Escape exits, the close box ends the process. A screenshot stays in the build folder
// (setup_dialog.png). Skipped when Xvfb, xdotool or ImageMagick's import are missing.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

namespace {

namespace fs = std::filesystem;

bool OnPath(const char* tool) {
    return std::system((std::string("command -v ") + tool + " >/dev/null 2>&1").c_str()) == 0;
}

std::string Capture(const std::string& command) {
    std::string out;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[256];
        while (fgets(buffer, sizeof buffer, pipe) != nullptr) out += buffer;
        pclose(pipe);
    }
    return out;
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// Waits up to `seconds` for the child; returns its exit code, or -1 after killing it.
int WaitFor(pid_t pid, double seconds) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < end) {
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    return -1;
}

class SetupDialogXvfb : public testing::Test {
protected:
    static void SetUpTestSuite() {
        if (!OnPath("Xvfb") || !OnPath("xdotool") || !OnPath("import")) return;
        for (int n = 97; n < 140; ++n) {
            if (fs::exists("/tmp/.X" + std::to_string(n) + "-lock") ||
                fs::exists("/tmp/.X11-unix/X" + std::to_string(n)))
                continue;
            display_ = ":" + std::to_string(n);
            server_ = fork();
            if (server_ == 0) {
                freopen("/dev/null", "w", stderr);
                execlp("Xvfb", "Xvfb", display_.c_str(), "-screen", "0", "1024x768x24", "-nolisten", "tcp",
                       static_cast<char*>(nullptr));
                _exit(127);
            }
            for (int i = 0; i < 100 && !fs::exists("/tmp/.X11-unix/X" + std::to_string(n)); ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            if (!fs::exists("/tmp/.X11-unix/X" + std::to_string(n))) {
                kill(server_, SIGTERM);
                waitpid(server_, nullptr, 0);
                server_ = 0;
            }
            return;
        }
    }
    static void TearDownTestSuite() {
        if (server_ > 0) {
            kill(server_, SIGTERM);
            waitpid(server_, nullptr, 0);
            server_ = 0;
        }
    }
    void SetUp() override {
        if (server_ <= 0) GTEST_SKIP() << "Xvfb, xdotool or import not available";
        folder_ = fs::current_path() / ("e2e_" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(folder_);
        fs::create_directories(folder_);
    }

    // Starts the dialog program; returns the dialog window's id (empty if it never appeared).
    std::string Start() {
        app_ = fork();
        if (app_ == 0) {
            fs::current_path(folder_);
            freopen("out.txt", "w", stdout);
            freopen("err.txt", "w", stderr);
            setenv("DISPLAY", display_.c_str(), 1);
            execl(E2E_APP, E2E_APP, static_cast<char*>(nullptr));
            _exit(127);
        }
        const std::string id =
            Capture("DISPLAY=" + display_ + " timeout 20 xdotool search --sync --name '^tavrin_quell$' | head -n 1");
        std::this_thread::sleep_for(std::chrono::milliseconds(800));  // let a few frames draw
        return id.substr(0, id.find('\n'));
    }
    void X(const std::string& command) {
        std::system(("DISPLAY=" + display_ + " " + command + " >/dev/null 2>&1").c_str());
    }
    std::string Output() const { return ReadFile(folder_ / "out.txt"); }

    static inline std::string display_;
    static inline pid_t server_ = 0;
    pid_t app_ = 0;
    fs::path folder_;
};

TEST_F(SetupDialogXvfb, ReturnRunsWithThePreselectedSettings) {
    const std::string id = Start();
    ASSERT_FALSE(id.empty()) << ReadFile(folder_ / "err.txt");
    X("import -window root " + (fs::current_path() / "setup_dialog.png").string());
    X("xdotool windowfocus --sync " + id + " key Return");
    ASSERT_EQ(WaitFor(app_, 20), 0);
    const std::string out = Output();
    // 800 x 600 at 75 Hz preselected, 2x multisampling, 16:9 desktop, full screen.
    const std::string lines = "screen = 800x600@75\nrender = 800x600\noffset = 0\nratio  = 1.777778\nms = 2\n";
    EXPECT_NE(out.find("dismode to udse = 3   off = 2  5\n" + lines), std::string::npos) << out;
    EXPECT_NE(out.find("result=true"), std::string::npos) << out;
    EXPECT_EQ(ReadFile(folder_ / "lol.txt"), lines);
    EXPECT_TRUE(fs::exists(fs::current_path() / "setup_dialog.png"));
}

TEST_F(SetupDialogXvfb, EscapeExitsAfterPrintingHooo) {
    const std::string id = Start();
    ASSERT_FALSE(id.empty()) << ReadFile(folder_ / "err.txt");
    X("xdotool windowfocus --sync " + id + " key Escape");
    ASSERT_EQ(WaitFor(app_, 20), 0);
    EXPECT_NE(Output().find("hooo\nresult=false"), std::string::npos) << Output();
    EXPECT_FALSE(fs::exists(folder_ / "lol.txt"));
}

TEST_F(SetupDialogXvfb, CloseBoxEndsTheProcessWithZeroAndWritesNothing) {
    const std::string id = Start();
    ASSERT_FALSE(id.empty()) << ReadFile(folder_ / "err.txt");
    X(std::string(SEND_WM_DELETE) + " " + id);
    ASSERT_EQ(WaitFor(app_, 20), 0);
    const std::string out = Output();
    EXPECT_EQ(out.find("result="), std::string::npos) << out;
    EXPECT_EQ(out.find("hooo"), std::string::npos) << out;
    EXPECT_FALSE(fs::exists(folder_ / "lol.txt"));
}

}  // namespace
