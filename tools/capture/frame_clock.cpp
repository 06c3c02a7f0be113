#include "frame_clock.h"

#include <cmath>

namespace capture {

uint64_t FrameClock::FrameCount() const {
    double n = std::ceil((end_ - start_) * fps_ - 1e-9);
    return n > 0 ? uint64_t(n) : 0;
}

FrameClock::Step FrameClock::OnPresent() {
    const uint64_t total = FrameCount();
    if (!started_) {
        started_ = true;
        if (start_ > 0.0) {
            // The demo starts its music at 0: skip this frame and jump to the span's start.
            return {false, 0, start_, total == 0};
        }
    }
    if (next_ >= total) return {false, next_, 0.0, true};
    uint64_t k = next_++;
    return {true, k, TimeOf(k + 1) - TimeOf(k), next_ >= total};
}

}  // namespace capture
