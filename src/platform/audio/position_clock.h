// position_clock: the smooth, monotonic playing position of one stream, in sample frames.
//
// WHAT IT DOES
//   Turns the coarse facts an audio callback gives (which frames were handed out, and when) into a
//   position that moves smoothly with time between callbacks, never steps backwards while running,
//   and never passes the end. Time is an input (seconds of a steady clock), so the logic runs in
//   tests without sleeping.
//
//   Each handed-out buffer re-anchors the clock at (frames handed out - one period of latency) at
//   the time of the callback; between callbacks the position runs on at the sample rate for at most
//   one period. With a period of 0 (manual clock) the position is exactly the last anchor.
//
// STEP BY STEP
//   1. PositionClock clock(44100, endFrame, periodFrames)
//   2. clock.Set(frame, now)                    on play, resume and seek
//   3. clock.OnBuffer(handedOutEnd, now)        from the audio callback
//   4. clock.Position(now)                      whenever the position is asked for while running
#pragma once

#include <cstdint>

namespace audio {

class PositionClock {
  public:
    PositionClock(double framesPerSecond, int64_t endFrame, int64_t periodFrames);

    void Set(int64_t frame, double now);
    void OnBuffer(int64_t handedOutEnd, double now);
    double Position(double now);           // running position: monotonic, capped at the end
    double Last() const { return last_; }  // the position last answered (frozen while stopped)
    int64_t End() const { return end_; }

  private:
    double rate_;
    int64_t end_;
    int64_t period_;
    double anchor_ = 0.0;
    double anchorTime_ = 0.0;
    double last_ = 0.0;
};

}  // namespace audio
