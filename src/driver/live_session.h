// One live run: the transport over the soundtrack, the keys, the watched folders and the reloads
// between frames, the overlay and the F12 screenshot, wired into the unchanged frame loop through
// its clock, pump and renderer seams.
//
// Per pass of the frame loop: the clock's currentRow starts the frame (overlay clicks applied,
// saved files reloaded, the playhead moved); the renderer's Present draws the overlay over the
// picture (gfx's overlay hook) and saves a requested screenshot (gfx's frame sink); the pump hands
// every key message to the transport before the loop sees it (Escape and quit still end the run).
#pragma once

#include <chrono>
#include <deque>
#include <filesystem>
#include <memory>
#include <string>

#include "driver/frame_loop.h"
#include "driver/live_frame.h"
#include "driver/live_keys.h"
#include "driver/live_reload.h"
#include "driver/live_transport.h"
#include "driver/live_watcher.h"
#include "platform/gfx/gfx.h"
#include "platform/ui/overlay.h"

namespace live {

struct SessionPaths {
    std::filesystem::path data;     // the folder the demo runs in
    std::filesystem::path content;  // sources of the production; empty: none watched
};

class Session {
  public:
    Session(Music& music, TimelineShape shape, sync::Device& device, SessionPaths paths);

    // Watches the folders (a folder that cannot be watched is reported in the status line).
    void Start();

    driver::MusicClock& Clock() { return clock_; }
    driver::MessagePump& Pump() { return pump_; }
    driver::FrameRenderer& Renderer() { return renderer_; }
    Transport& GetTransport() { return transport_; }
    const driver::DeviceTracks& Tracks() const { return tracks_; }
    driver::TrackSource& TrackSource() { return tracks_; }
    const ReloadStatus& LastReload() const { return lastReload_; }
    bool OverlayVisible() const { return overlayVisible_; }
    const std::filesystem::path& LastScreenshot() const { return lastScreenshot_; }

    // The hooks the platform calls: message boxes (recorded for the overlay, never modal), the
    // overlay drawing in Present, and the frame sink with its wish.
    int OnMessageBox(const char* text, const char* caption);
    void DrawOverlay();
    bool FrameWanted() const { return screenshotPending_; }
    void OnFrame(const gfx::Frame& frame);

    // Starts a frame: applies overlay input and saved files, moves the playhead.
    void BeginFrame();
    void OnMessage(const ui::Msg& msg);
    // Reloads every saved file the watcher has seen; public for tests and benchmarks.
    void ApplySavedFiles();

  private:
    class LiveClock : public driver::MusicClock {
      public:
        explicit LiveClock(Session& s) : s_(s) {}
        float currentRow() override;
        float currentSeconds() override { return s_.transport_.Seconds(); }
        bool soundtrackActive() override { return true; }

      private:
        Session& s_;
    };
    class LivePump : public driver::MessagePump {
      public:
        explicit LivePump(Session& s) : s_(s) {}
        bool Peek(ui::Msg* msg) override;
        void Translate(const ui::Msg& msg) override { inner_.Translate(msg); }
        void Dispatch(const ui::Msg& msg) override { inner_.Dispatch(msg); }

      private:
        Session& s_;
        driver::UiMessagePump inner_;
    };
    Transport transport_;
    driver::DeviceTracks tracks_;
    SessionPaths paths_;
    LiveKeys keys_;
    FolderWatcher watcher_;
    std::string boxes_;  // box texts not yet shown
    Reloader reloader_;
    ReloadStatus lastReload_;
    LiveClock clock_{*this};
    LivePump pump_{*this};
    driver::LiveRenderer renderer_;

    bool overlayVisible_ = true;
    ui::OverlayInput overlayInput_;
    int selectedTrack_ = 0;
    bool screenshotPending_ = false;
    std::filesystem::path lastScreenshot_;
    std::deque<float> frameMs_;
    std::chrono::steady_clock::time_point lastFrame_{};
};

double SteadySeconds();

}  // namespace live
