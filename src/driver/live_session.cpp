#include "driver/live_session.h"

#include <cstdio>
#include <utility>

#include "driver/live_overlay_model.h"
#include "platform/image/image.h"

namespace live {
namespace fs = std::filesystem;

namespace {
constexpr size_t kFrameHistory = 180;  // about three seconds at 60 frames a second
}

double SteadySeconds() {
    static const auto start = std::chrono::steady_clock::now();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

Session::Session(Music& music, TimelineShape shape, sync::Device& device, SessionPaths paths)
    : transport_(music, shape),
      tracks_(device),
      paths_(std::move(paths)),
      reloader_(paths_.data, paths_.content, device, [this] { return std::exchange(boxes_, {}); }) {
}

void Session::Start() {
    for (const fs::path& folder : {paths_.content, paths_.data}) {
        std::string error;
        if (!folder.empty() && !watcher_.Watch(folder, &error))
            lastReload_ = {"watching " + folder.string(), 0.0, false, error};
    }
    transport_.Start(SteadySeconds());
}

int Session::OnMessageBox(const char* text, const char* caption) {
    if (!boxes_.empty()) boxes_ += "\n";
    boxes_ += std::string("[") + caption + "] " + text;
    return ui::IDOK;
}

void Session::ApplySavedFiles() {
    for (const fs::path& file : watcher_.Changed()) {
        ReloadStatus status;
        if (reloader_.Apply(file, &status)) {
            lastReload_ = status;
            std::fprintf(
                stderr, "live: %s\n",
                status.ok
                    ? (status.what + " in " + std::to_string(status.milliseconds) + " ms").c_str()
                    : ("reload failed: " + status.error).c_str());
        }
    }
}

void Session::BeginFrame() {
    const auto now = std::chrono::steady_clock::now();
    if (lastFrame_ != std::chrono::steady_clock::time_point{}) {
        frameMs_.push_back(std::chrono::duration<float, std::milli>(now - lastFrame_).count());
        if (frameMs_.size() > kFrameHistory) frameMs_.pop_front();
    }
    lastFrame_ = now;

    if (overlayInput_.seek) transport_.SeekRow(overlayInput_.seekRow);
    if (overlayInput_.selectTrack >= 0 &&
        overlayInput_.selectTrack < static_cast<int>(driver::kTrackCount))
        selectedTrack_ = overlayInput_.selectTrack;
    overlayInput_ = {};

    ApplySavedFiles();
    // Boxes of the layers below (a missing track file, a lookup miss) show as the last message.
    if (!boxes_.empty()) lastReload_ = {"message", 0.0, false, std::exchange(boxes_, {})};
    transport_.Tick(SteadySeconds());
}

void Session::OnMessage(const ui::Msg& msg) {
    const KeyResult result = keys_.Apply(msg, transport_, tracks_.Track(driver::TrackId::Part));
    if (result.toggleOverlay) overlayVisible_ = !overlayVisible_;
    if (result.screenshot) screenshotPending_ = true;
}

void Session::DrawOverlay() {
    if (!overlayVisible_ || !ui::OverlayRunning()) return;
    OverlayFacts facts{&transport_, &tracks_, selectedTrack_,
                       std::vector<float>(frameMs_.begin(), frameMs_.end()), &lastReload_};
    ui::OverlayDraw(BuildOverlayModel(facts), &overlayInput_);
}

void Session::OnFrame(const gfx::Frame& frame) {
    screenshotPending_ = false;
    char name[64];
    std::snprintf(name, sizeof name, "vessmark-row%07.2f.png",
                  static_cast<double>(transport_.Row()));
    const fs::path path = fs::absolute(paths_.data).parent_path() / name;
    std::string error;
    if (image::SavePng(path.string(), frame.rgba, frame.width, frame.height, &error)) {
        lastScreenshot_ = path;
        lastReload_ = {"screenshot " + path.string(), 0.0, true, {}};
    } else {
        lastReload_ = {"screenshot", 0.0, false, error};
    }
}

float Session::LiveClock::currentRow() {
    s_.BeginFrame();
    return s_.transport_.Row();
}

bool Session::LivePump::Peek(ui::Msg* msg) {
    if (!inner_.Peek(msg)) return false;
    s_.OnMessage(*msg);
    return true;
}

}  // namespace live
