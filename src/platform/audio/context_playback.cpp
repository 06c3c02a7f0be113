#include "platform/audio/context_playback.h"

#include <algorithm>
#include <cmath>

#include "platform/audio/sample_source.h"

namespace audio {

ContextPlayback::ContextPlayback(int64_t lengthFrames, int64_t periodFrames)
    : length_(std::max<int64_t>(lengthFrames, 0)),
      period_(std::max<int64_t>(periodFrames, 0)),
      clock_(kDecodeRate, length_, period_) {
    clock_.Set(0, 0.0);
}

NodeCommand ContextPlayback::StartAt(int64_t frame, const ContextTime& time) {
    nodeFrame_ = frame;
    nodeContextTime_ = time.scheduled;
    clock_.Set(frame, time.now);
    return {NodeCommand::Kind::Start, frame};
}

NodeCommand ContextPlayback::Play(bool restart, const ContextTime& time) {
    NodeCommand command;
    if (restart) SetPosition(0, time, &command);
    if (state_ == State::Playing) return command;
    const int64_t from = static_cast<int64_t>(std::floor(clock_.Last()));
    if (from >= length_) {
        state_ = State::Stopped;
        return {NodeCommand::Kind::Stop, 0};
    }
    state_ = State::Playing;
    return StartAt(from, time);
}

NodeCommand ContextPlayback::Pause(const ContextTime& time) {
    if (StateAt(time) != State::Playing) return {};
    clock_.Set(static_cast<int64_t>(std::floor(clock_.Last())), time.now);
    state_ = State::Paused;
    return {NodeCommand::Kind::Stop, 0};
}

bool ContextPlayback::SetPosition(int64_t frame, const ContextTime& time, NodeCommand* command) {
    if (frame < 0 || frame > length_) return false;
    if (state_ == State::Playing) {
        *command = StartAt(frame, time);
    } else {
        clock_.Set(frame, time.now);
        *command = {};
    }
    return true;
}

int64_t ContextPlayback::Position(const ContextTime& time) {
    if (state_ == State::Playing) {
        // What has been heard since the node started, anchored at the moment the context reported
        // it; the clock runs on from there for at most one period.
        const double heard =
            static_cast<double>(nodeFrame_) +
            std::max(0.0, time.heard - nodeContextTime_) * static_cast<double>(kDecodeRate);
        clock_.OnBuffer(static_cast<int64_t>(std::floor(heard)) + period_, time.heardAt);
        if (clock_.Position(time.now) >= static_cast<double>(length_)) state_ = State::Stopped;
    }
    return static_cast<int64_t>(std::floor(clock_.Last()));
}

ContextPlayback::State ContextPlayback::StateAt(const ContextTime& time) {
    Position(time);
    return state_;
}

}  // namespace audio
