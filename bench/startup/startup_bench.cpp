// Start-up time from the end of the setup dialog to the end of the first presented frame, split by
// what it spends, and peak memory, on the headless context.
//
//   startup_bench [--size WxH] [--run-through SECONDS] [--data DIR]
//
// The loading calls are timed where the demo makes them: the linker routes the demo's calls to
// Display::Open, audio::StreamCreateFile, LoadFilters, LoadScene and Mesh::LoadFromFile through
// the timing wrappers below (--wrap), and every effect compile goes through the effect registry's
// compiler hook. Render targets are LoadFilters less its effect compiles; textures are LoadScene
// less its meshes and effect compiles (the two grids it also builds cost microseconds).
// With --run-through S the demo then plays S seconds more at one second of music per frame, so the
// peak memory holds every part and filter; without it the run ends after the first frame.
#include <epoxy/gl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "display/display_settings.h"
#include "headless_demo.h"
#include "platform/audio/audio.h"
#include "platform/fx/fx.h"
#include "resources/effect_registry.h"

class Display;
class Mesh;

namespace {

double g_openSeconds = 0, g_soundtrackSeconds = 0, g_filtersSeconds = 0, g_sceneSeconds = 0;
double g_meshSeconds = 0, g_effectSeconds = 0, g_filterEffectSeconds = 0, g_sceneEffectSeconds = 0;
int g_effects = 0, g_meshes = 0;
enum class Phase { Other, Filters, Scene } g_phase = Phase::Other;

struct Stopwatch {
    explicit Stopwatch(double* total) : total_(total), start_(bench::WallSeconds()) {}
    ~Stopwatch() { *total_ += bench::WallSeconds() - start_; }
    double* total_;
    double start_;
};

}  // namespace

// The demo's calls, through --wrap; __real_* are the demo's own functions.
extern "C" {
bool __real__ZN7Display4OpenEPKc(Display* self, const char* title);
bool __wrap__ZN7Display4OpenEPKc(Display* self, const char* title) {
    Stopwatch watch(&g_openSeconds);
    return __real__ZN7Display4OpenEPKc(self, title);
}

audio::Handle __real__ZN5audio16StreamCreateFileEbPKcmmj(bool, const char*, uint64_t, uint64_t,
                                                         uint32_t);
audio::Handle __wrap__ZN5audio16StreamCreateFileEbPKcmmj(bool fromMemory, const char* path,
                                                         uint64_t offset, uint64_t length,
                                                         uint32_t flags) {
    Stopwatch watch(&g_soundtrackSeconds);
    return __real__ZN5audio16StreamCreateFileEbPKcmmj(fromMemory, path, offset, length, flags);
}

void __real__Z11LoadFiltersv();
void __wrap__Z11LoadFiltersv() {
    g_phase = Phase::Filters;
    Stopwatch watch(&g_filtersSeconds);
    __real__Z11LoadFiltersv();
    g_phase = Phase::Other;
}

void __real__Z9LoadScenev();
void __wrap__Z9LoadScenev() {
    g_phase = Phase::Scene;
    Stopwatch watch(&g_sceneSeconds);
    __real__Z9LoadScenev();
    g_phase = Phase::Other;
}

void __real__ZN4Mesh12LoadFromFileEPKc(Mesh* self, const char* path);
void __wrap__ZN4Mesh12LoadFromFileEPKc(Mesh* self, const char* path) {
    ++g_meshes;
    Stopwatch watch(&g_meshSeconds);
    __real__ZN4Mesh12LoadFromFileEPKc(self, path);
}
}

int main(int argc, char** argv) {
    std::filesystem::path data = VM_DEFAULT_DATA_DIR;
    bench::HeadlessRun run;
    double runThrough = 0;
    for (int i = 1; i < argc; i += 2) {
        const bool hasValue = i + 1 < argc;
        if (hasValue && !std::strcmp(argv[i], "--data"))
            data = argv[i + 1];
        else if (hasValue && !std::strcmp(argv[i], "--run-through"))
            runThrough = std::atof(argv[i + 1]);
        else if (hasValue && !std::strcmp(argv[i], "--size") &&
                 bench::ParseSize(argv[i + 1], &run.width, &run.height)) {
        } else {
            std::fprintf(stderr, "usage: %s [--size WxH] [--run-through SECONDS] [--data DIR]\n",
                         argv[0]);
            return 2;
        }
    }
    if (!bench::EnterDataFolder(data)) return 1;

    Effect::SetCompiler([](gfx::Device* device, const char* path, uint32_t flags,
                           fx::Effect** effect, std::string* messages) {
        ++g_effects;
        const double start = bench::WallSeconds();
        const gfx::HRESULT result = fx::CreateEffectFromFile(device, path, flags, effect, messages);
        const double spent = bench::WallSeconds() - start;
        g_effectSeconds += spent;
        (g_phase == Phase::Filters ? g_filterEffectSeconds : g_sceneEffectSeconds) +=
            g_phase == Phase::Other ? 0 : spent;
        return result;
    });

    double dialogEnd = 0, firstFrame = 0, music = 0;
    const double processStart = bench::WallSeconds();
    run.afterDialog = [&] { dialogEnd = bench::WallSeconds(); };
    run.endOfPass = [&] {
        if (firstFrame == 0) {
            glFinish();
            firstFrame = bench::WallSeconds();
        }
        music += 1.0;
        audio::AdvanceManualClock(1.0);
        return music > runThrough;
    };
    run.Configure();
    const int result = run.RunQuietly();
    if (result != 0 || firstFrame == 0) {
        std::fprintf(stderr, "startup_bench: the demo returned %d before a frame was presented\n",
                     result);
        return 1;
    }

    const double total = firstFrame - dialogEnd;
    const double renderTargets = g_filtersSeconds - g_filterEffectSeconds;
    const double textures = g_sceneSeconds - g_meshSeconds - g_sceneEffectSeconds;
    const double accounted =
        g_openSeconds + g_soundtrackSeconds + g_filtersSeconds + g_sceneSeconds;
    std::printf(
        "%ux%u start-up, end of dialog to first frame presented: %.1f ms (before the dialog: %.1f "
        "ms)\n",
        run.width, run.height, 1000 * total, 1000 * (dialogEnd - processStart));
    std::printf("multisampling chosen by the dialog: %u\n", displaySettings.multiSample);
    std::printf("  window and device     %8.1f ms\n", 1000 * g_openSeconds);
    std::printf("  soundtrack            %8.1f ms\n", 1000 * g_soundtrackSeconds);
    std::printf("  effects (%d)           %8.1f ms  (filters %.1f, scenes %.1f)\n", g_effects,
                1000 * g_effectSeconds, 1000 * g_filterEffectSeconds, 1000 * g_sceneEffectSeconds);
    std::printf("  meshes (%d)            %8.1f ms\n", g_meshes, 1000 * g_meshSeconds);
    std::printf("  textures              %8.1f ms\n", 1000 * textures);
    std::printf("  render targets        %8.1f ms\n", 1000 * renderTargets);
    std::printf("  tracks + first frame  %8.1f ms\n", 1000 * (total - accounted));
    std::printf("peak memory (maxrss) after %.0f s of music: %.1f MB; %llu message boxes\n",
                runThrough, bench::PeakRssKilobytes() / 1024.0,
                static_cast<unsigned long long>(run.messageBoxes));
    return 0;
}
