// Live mode's costs on the headless context over the default production:
//   - reload times: the timeline (compile, write 23 track files atomically, swap the keys), one
//     effect ("pig", compiled from the content folder and copied into the data folder) and one mesh
//     (the pig's body), median of --runs reloads each;
//   - the overlay per frame: cheap frames (clear, filter 0) with and without the overlay hook,
//     alternating, each read back by a frame sink so the GPU work is inside the time; the
//     difference of the medians, and the time spent inside the hook itself.
//
//   live_bench [--size WxH] [--runs N] [--data DIR] [--content DIR]
//
// The data folder's files are rewritten with the bytes they already hold.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "display/device_globals.h"
#include "display/display.h"
#include "display/display_settings.h"
#include "driver/live_frame.h"
#include "driver/live_overlay_model.h"
#include "driver/live_reload.h"
#include "driver/live_transport.h"
#include "filters/filters.h"
#include "headless_demo.h"
#include "platform/gfx/gfx.h"
#include "platform/ui/overlay.h"
#include "platform/ui/ui.h"
#include "resources/static_resources.h"
#include "scenes/assets.h"
#include "sync/player_device.h"

namespace {

namespace fs = std::filesystem;

bool overlayOn = false;
const live::OverlayFacts* overlayFacts = nullptr;  // what the overlay hook draws
std::vector<double> hookWallMs, hookCpuMs;         // inside the hook: model, ImGui, GL calls

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : v[v.size() / 2];
}

// A fixed playhead for the overlay model.
class StillMusic : public live::Music {
  public:
    int64_t Frame() override { return 44100 * 40; }
    int64_t Length() override { return 44100 * 123; }
    void Seek(int64_t) override {}
    void Play() override {}
    void Pause() override {}
    void SetLoop(int64_t, int64_t) override {}
};

}  // namespace

int main(int argc, char** argv) {
    uint32_t width = 1280, height = 720;
    int runs = 15;
    fs::path data = VM_DEFAULT_DATA_DIR, content = VM_CONTENT_DIR;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--size") && bench::ParseSize(argv[i + 1], &width, &height))
            continue;
        if (!std::strcmp(argv[i], "--runs") && (runs = std::atoi(argv[i + 1])) > 0) continue;
        if (!std::strcmp(argv[i], "--data")) {
            data = argv[i + 1];
            continue;
        }
        if (!std::strcmp(argv[i], "--content")) {
            content = argv[i + 1];
            continue;
        }
        std::fprintf(stderr,
                     "usage: live_bench [--size WxH] [--runs N] [--data DIR] [--content DIR]\n");
        return 2;
    }
    data = fs::absolute(data);
    content = fs::absolute(content);
    if (!bench::EnterDataFolder(data)) return 1;

    gfx::Config config;
    config.provider = gfx::ContextProvider::Headless;
    config.headlessModes = {{width, height, 60, gfx::D3DFMT_X8R8G8B8}};
    config.headlessDesktop = config.headlessModes[0];
    config.frameSink = [](const gfx::Frame&) {};  // the read-back waits for the GPU work
    config.overlay = [] {
        ui::OverlayInput input;
        if (!overlayOn || overlayFacts == nullptr) return;
        const double wall = bench::WallSeconds(), cpu = bench::ThreadCpuSeconds();
        ui::OverlayDraw(live::BuildOverlayModel(*overlayFacts), &input);
        hookWallMs.push_back((bench::WallSeconds() - wall) * 1e3);
        hookCpuMs.push_back((bench::ThreadCpuSeconds() - cpu) * 1e3);
    };
    gfx::Configure(config);
    ui::Configure({.headless = true,
                   .messageBox = [](const char*, const char*, uint32_t) { return ui::IDOK; }});
    Display display;
    displaySettings.screenWidth = width;
    displaySettings.screenHeight = height;
    displaySettings.ComputeRenderArea();
    if (!display.Open("bench")) return 1;
    LoadFilters();
    LoadScene();
    PlayerDevice device("s/synced", nullptr);
    driver::DeviceTracks tracks(device);

    live::Reloader reloader(data, content, device, [] { return std::string(); });
    struct Target {
        const char* label;
        std::function<live::ReloadStatus()> reload;
    };
    const Target targets[] = {
        {"timeline (23 tracks)", [&] { return reloader.Timeline(content / "timeline.txt"); }},
        {"effect pig.fx",
         [&] {
             return reloader.EffectFile(sceneEffects, 0, content / "vessmark/shaders/pig.fx",
                                        data / "vessmark/shaders/pig.fx");
         }},
        {"mesh gris.SCENEgrismesh_1",
         [&] { return reloader.MeshFile(1, data / "vessmark/gris/gris.SCENEgrismesh_1.mesh"); }},
    };
    std::printf("reload times, median of %d (ms)\n", runs);
    for (const Target& t : targets) {
        std::vector<double> ms;
        std::string what;
        for (int i = 0; i < runs; ++i) {
            const live::ReloadStatus status = t.reload();
            if (!status.ok) {
                std::fprintf(stderr, "%s: %s\n", t.label, status.error.c_str());
                return 1;
            }
            ms.push_back(status.milliseconds);
            what = status.what;
        }
        std::printf("  %-28s %8.2f  (%s)\n", t.label, Median(ms), what.c_str());
    }

    StillMusic music;
    live::Transport transport(music, {});
    transport.Start(0.0);
    transport.Tick(0.0);
    std::vector<float> frameMs(180, 16.7f);
    live::ReloadStatus last{"timeline.txt: 23 tracks compiled, 23 in use", 4.2, true, {}};
    const live::OverlayFacts facts{&transport, &tracks, 4, frameMs, &last};
    overlayFacts = &facts;
    if (!ui::OverlayStart(static_cast<int>(width), static_cast<int>(height))) return 1;
    // A cheap frame (clear, filter 0, Present with its read-back) so the overlay's share shows.
    driver::LiveRenderer renderer;
    std::vector<double> with, without;
    for (int i = 0; i < 4 * runs + 2; ++i) {
        overlayOn = i % 2 == 0;
        const double start = bench::WallSeconds();
        renderer.ClearBackBuffer(0);
        renderer.FilterDefault();
        renderer.Present();
        const double ms = (bench::WallSeconds() - start) * 1e3;
        if (i >= 2) (overlayOn ? with : without).push_back(ms);
    }
    ui::OverlayStop();
    std::printf("overlay, %ux%u, median of %zu frames (ms)\n", width, height, with.size());
    std::printf("  frame without overlay        %8.2f  (clear, filter 0, Present + read-back)\n",
                Median(without));
    std::printf("  frame with overlay           %8.2f\n", Median(with));
    std::printf("  difference                   %8.2f\n", Median(with) - Median(without));
    std::printf("  inside the hook, wall        %8.2f  (model, ImGui frame, GL submission)\n",
                Median(hookWallMs));
    std::printf("  inside the hook, thread CPU  %8.2f\n", Median(hookCpuMs));
    return 0;
}
