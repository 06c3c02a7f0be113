#include "headless_demo.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "driver/demo_main.h"
#include "platform/audio/audio.h"
#include "platform/ui/scripted_dialog.h"
#include "platform/ui/ui.h"

namespace bench {

namespace {

double ClockSeconds(clockid_t id) {
    timespec ts{};
    clock_gettime(id, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

}  // namespace

double WallSeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}
double ProcessCpuSeconds() {
    return ClockSeconds(CLOCK_PROCESS_CPUTIME_ID);
}
double ThreadCpuSeconds() {
    return ClockSeconds(CLOCK_THREAD_CPUTIME_ID);
}

long PeakRssKilobytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

bool EnterDataFolder(const std::filesystem::path& data) {
    std::error_code error;
    if (!std::filesystem::is_directory(data / "s", error) ||
        !std::filesystem::is_directory(data / "vessmark", error)) {
        std::fprintf(stderr, "no default production at %s (build the content target first)\n",
                     data.c_str());
        return false;
    }
    std::filesystem::current_path(data, error);
    if (error) {
        std::fprintf(stderr, "cannot enter %s: %s\n", data.c_str(), error.message().c_str());
        return false;
    }
    return true;
}

bool ParseSize(const char* text, uint32_t* width, uint32_t* height) {
    unsigned w = 0, h = 0;
    char tail = 0;
    if (std::sscanf(text, "%ux%u%c", &w, &h, &tail) != 2 || w < 16 || h < 16 || w > 8192 ||
        h > 8192)
        return false;
    *width = w;
    *height = h;
    return true;
}

void HeadlessRun::Configure() {
    gfx::Config gfxConfig;
    gfxConfig.provider = gfx::ContextProvider::Headless;
    const gfx::DisplayMode mode{width, height, 60, gfx::D3DFMT_X8R8G8B8};
    gfxConfig.headlessModes = {mode};
    gfxConfig.headlessDesktop = mode;
    gfxConfig.frameSink = frameSink;
    gfx::Configure(gfxConfig);

    auto dialog = std::make_shared<ui::ScriptedDialog>();
    ui::Config uiConfig;
    uiConfig.headless = true;
    uiConfig.dialog = [this, dialog](const ui::DialogTemplate& tmpl, ui::DialogProc proc,
                                     intptr_t param) {
        const intptr_t result = dialog->Run(tmpl, proc, param);
        if (afterDialog) afterDialog();
        return result;
    };
    uiConfig.messageBox = [this](const char*, const char*, uint32_t) {
        ++messageBoxes;
        return ui::IDOK;
    };
    // One look per pass finds the queue empty; when endOfPass asks, that look finds WM_QUIT.
    auto quitSent = std::make_shared<bool>(false);
    uiConfig.peekMessage = [this, quitSent](ui::Msg* msg) {
        if (*quitSent || !endOfPass || !endOfPass()) return false;
        *quitSent = true;
        msg->message = ui::WM_QUIT;
        return true;
    };
    ui::Configure(uiConfig);

    audio::Config audioConfig;
    audioConfig.manualClock = true;
    audio::Configure(audioConfig);
}

int HeadlessRun::RunQuietly() {
    std::fflush(stdout);
    const int savedOut = dup(1);
    const int devNull = open("/dev/null", O_WRONLY);
    if (devNull >= 0) {
        dup2(devNull, 1);
        close(devNull);
    }
    const int result = DemoMain();
    std::fflush(stdout);
    if (savedOut >= 0) {
        dup2(savedOut, 1);
        close(savedOut);
    }
    return result;
}

}  // namespace bench
