#include "driver/demo_main.h"

#include <array>
#include <cstdio>
#include <exception>
#include <memory>
#include <stdexcept>

#include "display/device_globals.h"
#include "display/display.h"
#include "driver/data_folder.h"
#include "driver/frame_loop.h"
#include "driver/live_frame.h"
#include "driver/track_names.h"
#include "filters/filters.h"
#include "platform/audio/audio.h"
#include "platform/ui/ui.h"
#include "scenes/assets.h"
#include "sync/bass_timer.h"
#include "sync/device.h"
#include "sync/player_device.h"
#include "sync/track.h"

namespace driver {
namespace {

constexpr float kBeatsPerMinute = 153.0f;
constexpr int kRowsPerBeat = 5;
constexpr uint32_t kOutputRate = 44100;
constexpr const char* kTrackPrefix = "s/synced";
constexpr const char* kWindowTitle = "ombrel er stygg";

// The demo's own fatal errors; caught with the standard library's in DemoMain.
class FatalError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

class TimerClock : public MusicClock {
  public:
    TimerClock(BassTimer& timer, audio::Handle stream) : timer_(timer), stream_(stream) {}
    float currentRow() override { return timer_.currentRow(); }
    float currentSeconds() override { return timer_.currentSeconds(); }
    bool soundtrackActive() override {
        return audio::ChannelIsActive(stream_) != audio::BASS_ACTIVE_STOPPED;
    }

  private:
    BassTimer& timer_;
    audio::Handle stream_;
};

// From the audio library's start-up to the end of shut-down; errors leave by exception.
int RunWithAudio() {
    if (!audio::Init(1, kOutputRate, audio::BASS_DEVICE_LATENCY)) {
        std::printf("auda2\n");
        throw FatalError("failed to init bass");
    }
    const audio::Handle stream =
        audio::StreamCreateFile(false, kSoundtrackPath, 0, 0, audio::BASS_STREAM_PRESCAN);
    if (stream == 0) {
        ui::MessageBox("error", "fucked stream");
        return 0;
    }

    LoadFilters();
    LoadScene();
    std::printf("loading complete\n");

    BassTimer timer(stream, kBeatsPerMinute, kRowsPerBeat);
    std::unique_ptr<sync::Device> device(new PlayerDevice(kTrackPrefix, &timer));
    if (!device) throw FatalError("something went wrong - failed to connect to host?");
    DeviceTracks tracks(*device);

    audio::Start();
    timer.play();

    TimerClock clock(timer, stream);
    LiveRenderer renderer;
    UiMessagePump pump;
    FrameLoop(clock, tracks, renderer, pump, stdout).Run();

    audio::StreamFree(stream);
    audio::Free();
    device.reset();
    return 0;
}

}  // namespace
}  // namespace driver

int DemoMain() {
    Display display;
    // Without an adapter there is nothing to ask or draw with; the display has said why.
    if (g_d3d == nullptr) return 1;
    // Only the viewer's own Exit ends here with 0; a dialog that could not be shown is a failure.
    if (!display.ShowSetupDialog()) return display.setupDialogFailed ? 1 : 0;
    if (!display.Open(driver::kWindowTitle)) {
        // Rendering through a missing device would crash: end here.
        std::printf("au\n");
        return 1;
    }
    try {
        return driver::RunWithAudio();
    } catch (const std::exception& error) {
        std::fprintf(stderr, "*** error: %s\n", error.what());
        return -1;
    }
}
