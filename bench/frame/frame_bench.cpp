// Frame time, CPU time and heap allocations per frame, by part and by filter, over the default
// production on the headless context at 1280 x 720.
//
//   frame_bench [--data DIR] [--step SECONDS] [--until SECONDS]
//
// The music clock is moved on by --step seconds of music per presented frame (default 0.5), so a
// run samples the whole timeline in a few hundred frames; --until stops earlier. A frame is measured
// from one Present to the next, so it includes the sync update, the scene, the filter and the copy
// of the back buffer that feeds the frame sink. Allocations are counted with a replaced global
// operator new (the system's own C++ code) and a malloc wrapper (everything, drivers included).
#include <fcntl.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <new>
#include <string>
#include <vector>

#include "driver/demo_main.h"
#include "platform/audio/audio.h"
#include "platform/gfx/gfx.h"
#include "platform/ui/scripted_dialog.h"
#include "platform/ui/ui.h"
#include "sync/player_device.h"

// ---- Allocation counting ----------------------------------------------------------------------
namespace {
std::atomic<uint64_t> g_newCalls{0};
std::atomic<uint64_t> g_mallocCalls{0};
}  // namespace

extern "C" void* __libc_malloc(size_t size);
extern "C" void* malloc(size_t size) {
    g_mallocCalls.fetch_add(1, std::memory_order_relaxed);
    return __libc_malloc(size);
}

void* operator new(size_t size) {
    g_newCalls.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}
void* operator new[](size_t size) { return operator new(size); }
void* operator new(size_t size, const std::nothrow_t&) noexcept {
    g_newCalls.fetch_add(1, std::memory_order_relaxed);
    return std::malloc(size == 0 ? 1 : size);
}
void* operator new[](size_t size, const std::nothrow_t& tag) noexcept { return operator new(size, tag); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }
void operator delete[](void* p, size_t) noexcept { std::free(p); }

namespace {

namespace fs = std::filesystem;

double CpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + ts.tv_nsec * 1e-9;
}

struct Totals {
    uint64_t frames = 0;
    double wall = 0, cpu = 0;
    uint64_t news = 0, mallocs = 0;
    uint64_t framesWithNew = 0;  // first uses (shader variants, caches) allocate; steady frames should not
    double worstWall = 0;
};

struct FrameRecord {
    float seconds;
    double wall, cpu;
    uint64_t news, mallocs;
};

void PrintTable(const char* title, const std::map<int, Totals>& rows) {
    std::printf("\n%-8s %7s %10s %10s %10s %10s %12s %14s\n", title, "frames", "wall ms", "worst ms",
                "cpu ms", "new/frame", "malloc/frame", "frames w/ new");
    for (const auto& [key, t] : rows) {
        const double n = static_cast<double>(t.frames);
        std::printf("%-8d %7llu %10.2f %10.2f %10.2f %10.2f %12.2f %14llu\n", key,
                    static_cast<unsigned long long>(t.frames), 1000 * t.wall / n, 1000 * t.worstWall,
                    1000 * t.cpu / n, static_cast<double>(t.news) / n,
                    static_cast<double>(t.mallocs) / n,
                    static_cast<unsigned long long>(t.framesWithNew));
    }
}

}  // namespace

int main(int argc, char** argv) {
    fs::path data = VM_DEFAULT_DATA_DIR;
    double step = 0.5, until = 1e9;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--data")) data = argv[i + 1];
        else if (!std::strcmp(argv[i], "--step")) step = std::atof(argv[i + 1]);
        else if (!std::strcmp(argv[i], "--until")) until = std::atof(argv[i + 1]);
        else {
            std::fprintf(stderr, "usage: %s [--data DIR] [--step SECONDS] [--until SECONDS]\n", argv[0]);
            return 2;
        }
    }
    if (!fs::is_directory(data) || step <= 0) {
        std::fprintf(stderr, "frame_bench: no data folder at %s (build the content first)\n", data.c_str());
        return 1;
    }
    fs::current_path(data);

    // The selector tracks, read the same way the demo reads them, to label each frame.
    PlayerDevice tracks("s/synced", nullptr);
    sync::Track* partTrack = tracks.fetchTrack("0_part");
    sync::Track* filterTrack = tracks.fetchTrack("0_filter");

    std::vector<FrameRecord> frames;
    frames.reserve(static_cast<size_t>(130.0 / step) + 16);
    double musicSeconds = 0.0;
    double lastWall = 0, lastCpu = 0;
    uint64_t lastNew = 0, lastMalloc = 0;
    bool started = false;
    const auto origin = std::chrono::steady_clock::now();
    auto wallNow = [&origin] {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - origin).count();
    };

    gfx::Config gfxConfig;
    gfxConfig.provider = gfx::ContextProvider::Headless;
    gfxConfig.headlessModes = {{1280, 720, 60, gfx::D3DFMT_X8R8G8B8}};
    gfxConfig.headlessDesktop = {1280, 720, 60, gfx::D3DFMT_X8R8G8B8};
    gfxConfig.frameSink = [&](const gfx::Frame&) {
        const double wall = wallNow(), cpu = CpuSeconds();
        const uint64_t news = g_newCalls.load(), mallocs = g_mallocCalls.load();
        if (started && frames.size() < frames.capacity())
            frames.push_back({static_cast<float>(musicSeconds - step), wall - lastWall, cpu - lastCpu,
                              news - lastNew, mallocs - lastMalloc});
        started = true;
        lastWall = wall;
        lastCpu = cpu;
        lastNew = g_newCalls.load();
        lastMalloc = g_mallocCalls.load();
        musicSeconds += step;
        audio::AdvanceManualClock(step);
    };
    gfx::Configure(gfxConfig);

    ui::ScriptedDialog dialog;
    ui::Config uiConfig;
    uiConfig.headless = true;
    uiConfig.dialog = dialog.Hook();
    uint64_t boxes = 0;
    uiConfig.messageBox = [&boxes](const char*, const char*, uint32_t) {
        ++boxes;
        return ui::IDOK;
    };
    uiConfig.peekMessage = [&](ui::Msg* msg) {
        if (musicSeconds <= until) return false;
        until = 1e18;  // one quit message
        msg->message = ui::WM_QUIT;
        return true;
    };
    ui::Configure(uiConfig);
    audio::Config audioConfig;
    audioConfig.manualClock = true;
    audio::Configure(audioConfig);

    // The demo's own lines are not wanted here.
    std::fflush(stdout);
    const int savedOut = dup(1);
    const int devNull = open("/dev/null", O_WRONLY);
    dup2(devNull, 1);
    close(devNull);
    const double startWall = wallNow();
    const int result = DemoMain();
    const double total = wallNow() - startWall;
    std::fflush(stdout);
    dup2(savedOut, 1);
    close(savedOut);

    std::map<int, Totals> byPart, byFilter;
    for (const FrameRecord& f : frames) {
        const float row = f.seconds * 12.75f;
        for (auto [table, value] : {std::pair{&byPart, partTrack->valueAt(row)},
                                    std::pair{&byFilter, filterTrack->valueAt(row)}}) {
            const int key = value > -1e6f && value < 1e6f ? static_cast<int>(value) : -1;
            Totals& t = (*table)[key];
            ++t.frames;
            t.wall += f.wall;
            t.cpu += f.cpu;
            t.news += f.news;
            t.mallocs += f.mallocs;
            t.framesWithNew += f.news > 0 ? 1 : 0;
            t.worstWall = std::max(t.worstWall, f.wall);
        }
    }
    std::printf("DemoMain returned %d after %.1f s; %zu frames measured at %.3f s of music each; "
                "%llu message boxes\n",
                result, total, frames.size(), step, static_cast<unsigned long long>(boxes));
    PrintTable("part", byPart);
    PrintTable("filter", byFilter);
    return result == 0 ? 0 : 1;
}
