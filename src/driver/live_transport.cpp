#include "driver/live_transport.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace live {

float RowOfFrame(int64_t frame, float rowsPerSecond) {
    const float seconds =
        static_cast<float>(static_cast<double>(frame) / static_cast<double>(kFramesPerSecond));
    return seconds * rowsPerSecond;
}

int64_t FrameOfRow(double row, float rowsPerSecond) {
    // The first frame whose row (as the timer rounds it) is not before `row`: a seek to a key's
    // row then shows that key, not the one before it.
    const double exact = std::max(row, 0.0) / static_cast<double>(rowsPerSecond) *
                         static_cast<double>(kFramesPerSecond);
    auto frame = static_cast<int64_t>(std::ceil(exact - 1e-6));
    while (frame > 0 && RowOfFrame(frame - 1, rowsPerSecond) >= row) --frame;
    while (RowOfFrame(frame, rowsPerSecond) < row) ++frame;
    return frame;
}

Transport::Transport(Music& music, TimelineShape shape)
    : music_(music),
      shape_(shape),
      endFrame_(
          std::min<int64_t>(music.Length(), std::llround(shape.endSeconds * kFramesPerSecond))) {}

void Transport::Start(double now) {
    lastTick_ = now;
    music_.Seek(0);
    music_.Play();
}

float Transport::Seconds() const {
    return static_cast<float>(static_cast<double>(frame_) / static_cast<double>(kFramesPerSecond));
}

void Transport::Tick(double now) {
    const double elapsed = std::max(0.0, now - lastTick_);
    lastTick_ = now;
    if (paused_) return;
    if (MusicLeads()) {
        frame_ = music_.Frame();
    } else {
        const double exact = elapsed * Speed() * kFramesPerSecond + carry_;
        const auto whole = static_cast<int64_t>(std::floor(exact));
        carry_ = exact - static_cast<double>(whole);
        frame_ += whole;
        if (looping_ && frame_ >= loopEnd_ && frame_ - whole < loopEnd_)
            frame_ = loopStart_ + (frame_ - loopEnd_) % (loopEnd_ - loopStart_);
    }
    if (frame_ >= endFrame_) {
        // The end of the production holds still until the viewer seeks or loops.
        frame_ = endFrame_;
        paused_ = true;
        music_.Pause();
        music_.Seek(frame_);
    }
}

void Transport::TogglePause() {
    if (MusicLeads()) frame_ = music_.Frame();
    paused_ = !paused_;
    if (paused_) {
        music_.Pause();
        music_.Seek(frame_);
    } else if (frame_ >= endFrame_) {
        paused_ = true;  // nothing left to play
    } else if (MusicLeads()) {
        music_.Seek(frame_);
        music_.Play();
    }
}

void Transport::Seek(int64_t frame) {
    frame_ = std::clamp<int64_t>(frame, 0, endFrame_);
    carry_ = 0.0;
    music_.Seek(frame_);
}

void Transport::Step(int rows, int direction) {
    if (rows <= 0) return;
    const double at = static_cast<double>(Row()) / rows;
    // A playhead a hair off a grid line counts as on it: float rows of whole-row frames.
    constexpr double kSlack = 1e-4;
    const double target = direction > 0 ? (std::floor(at + kSlack) + 1.0) * rows
                                        : (std::ceil(at - kSlack) - 1.0) * rows;
    SeekRow(std::max(0.0, target));
}

void Transport::Slower() {
    ChangeSpeed(speed_ - 1);
}

void Transport::Faster() {
    ChangeSpeed(speed_ + 1);
}

void Transport::ChangeSpeed(int index) {
    index = std::clamp(index, 0, static_cast<int>(std::size(kSpeeds)) - 1);
    if (index == speed_) return;
    if (MusicLeads()) {
        frame_ = music_.Frame();
        music_.Pause();
    }
    speed_ = index;
    carry_ = 0.0;
    if (MusicLeads()) {
        music_.Seek(frame_);
        music_.Play();
    }
}

void Transport::SetLoopStart() {
    loopStart_ = frame_;
    ApplyLoop();
}

void Transport::SetLoopEnd() {
    loopEnd_ = frame_;
    ApplyLoop();
}

void Transport::ToggleLoop() {
    looping_ = !looping_ && LoopValid();
    if (looping_ && (frame_ < loopStart_ || frame_ >= loopEnd_)) Seek(loopStart_);
    ApplyLoop();
}

void Transport::ApplyLoop() {
    if (!LoopValid()) looping_ = false;
    if (looping_)
        music_.SetLoop(loopStart_, loopEnd_);
    else
        music_.SetLoop(0, 0);
}

}  // namespace live
