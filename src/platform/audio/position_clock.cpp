#include "platform/audio/position_clock.h"

#include <algorithm>

namespace audio {

PositionClock::PositionClock(double framesPerSecond, int64_t endFrame, int64_t periodFrames)
    : rate_(framesPerSecond),
      end_(std::max<int64_t>(endFrame, 0)),
      period_(std::max<int64_t>(periodFrames, 0)) {}

void PositionClock::Set(int64_t frame, double now) {
    anchor_ = static_cast<double>(std::clamp<int64_t>(frame, 0, end_));
    anchorTime_ = now;
    last_ = anchor_;
}

void PositionClock::OnBuffer(int64_t handedOutEnd, double now) {
    anchor_ = static_cast<double>(handedOutEnd - period_);
    anchorTime_ = now;
}

double PositionClock::Position(double now) {
    const double ahead = std::clamp((now - anchorTime_) * rate_, 0.0, static_cast<double>(period_));
    last_ = std::min(std::max(last_, anchor_ + ahead), static_cast<double>(end_));
    return last_;
}

}  // namespace audio
