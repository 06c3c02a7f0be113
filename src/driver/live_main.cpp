#include "driver/live_main.h"

#include <cstdio>
#include <exception>
#include <memory>

#include "display/device_globals.h"
#include "display/display.h"
#include "display/display_settings.h"
#include "driver/live_music.h"
#include "driver/live_session.h"
#include "filters/filters.h"
#include "platform/audio/audio.h"
#include "platform/gfx/gfx.h"
#include "platform/ui/overlay.h"
#include "platform/ui/ui.h"
#include "scenes/assets.h"
#include "sync/bass_timer.h"
#include "sync/player_device.h"

namespace live {
namespace fs = std::filesystem;

namespace {

constexpr const char* kSoundtrackPath =
    "vessmark/Tavrin Demo Laat - Vessmark part 2 skal brukes.mp3";
constexpr const char* kTrackPrefix = "s/synced";

// The session the platform hooks reach, set while a run is on; boxes shown before it exists.
Session* current = nullptr;
std::string earlyBoxes;

int RecordBox(const char* text, const char* caption, uint32_t /*type*/) {
    if (current != nullptr) return current->OnMessageBox(text, caption);
    earlyBoxes += std::string(earlyBoxes.empty() ? "" : "\n") + "[" + caption + "] " + text;
    return ui::IDOK;
}

int RunLive(const LiveOptions& options, const fs::path& content) {
    if (!audio::Init(1, 44100, audio::BASS_DEVICE_LATENCY)) {
        std::fprintf(stderr, "live: the audio output could not start\n");
        return 1;
    }
    const audio::Handle stream =
        audio::StreamCreateFile(false, kSoundtrackPath, 0, 0, audio::BASS_STREAM_PRESCAN);
    if (stream == 0) {
        std::fprintf(stderr, "live: no soundtrack \"%s\" in %s\n", kSoundtrackPath,
                     fs::current_path().c_str());
        audio::Free();
        return 1;
    }
    LoadFilters();
    LoadScene();
    std::printf("loading complete\n");

    BassTimer timer(stream, 153.0f, 5);
    PlayerDevice device(kTrackPrefix, &timer);
    StreamMusic music(stream);
    Session session(music, TimelineShape{}, device, {fs::current_path(), content});
    current = &session;
    if (!earlyBoxes.empty()) session.OnMessageBox(earlyBoxes.c_str(), "start-up");
    ui::OverlayStart(options.width, options.height);
    audio::Start();
    session.Start();
    // The per-frame diagnostic lines of the plain program would flood the terminal.
    std::FILE* quiet = std::fopen("/dev/null", "w");
    driver::FrameLoop(session.Clock(), session.TrackSource(), session.Renderer(), session.Pump(),
                      quiet != nullptr ? quiet : stdout)
        .Run();
    if (quiet != nullptr) std::fclose(quiet);
    ui::OverlayStop();
    current = nullptr;
    audio::StreamFree(stream);
    audio::Free();
    return 0;
}

}  // namespace

int LiveMain(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--help") {
            std::printf("usage: vessmark [--live [--content DIR] [--size WxH]]\noptions:\n%s",
                        kLiveUsage);
            return 0;
        }
    }
    LiveOptions options;
    std::string error;
    if (!ParseLiveOptions(argc, argv, &options, &error)) {
        std::fprintf(stderr, "vessmark: %s\noptions:\n%s", error.c_str(), kLiveUsage);
        return 2;
    }
    std::error_code ec;
    const fs::path content = fs::weakly_canonical(
        options.content.empty() ? fs::path(VM_CONTENT_DIR) : options.content, ec);
    if (ec || !fs::is_directory(content)) {
        std::fprintf(stderr, "vessmark: no content folder %s\n", content.c_str());
        return 2;
    }

    gfx::Configure({.frameSink =
                        [](const gfx::Frame& f) {
                            if (current != nullptr) current->OnFrame(f);
                        },
                    .frameWanted = [] { return current != nullptr && current->FrameWanted(); },
                    .overlay =
                        [] {
                            if (current != nullptr) current->DrawOverlay();
                        }});
    // Live mode never blocks on a box: each one shows in the overlay (and on stderr).
    ui::Configure({.messageBox = RecordBox});
    audio::Configure({});

    Display display;
    if (g_d3d == nullptr) return 1;
    displaySettings.screenWidth = static_cast<uint32_t>(options.width);
    displaySettings.screenHeight = static_cast<uint32_t>(options.height);
    displaySettings.refreshRate = 60;
    displaySettings.fullscreen = false;
    displaySettings.vsync = true;
    displaySettings.multiSample = 0;
    displaySettings.ComputeRenderArea();
    if (!display.Open("ombrel er stygg")) {
        std::printf("au\n");
        return 1;
    }
    try {
        return RunLive(options, content);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "*** error: %s\n", e.what());
        return -1;
    }
}

}  // namespace live
