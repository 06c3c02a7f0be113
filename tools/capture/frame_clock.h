// The capture's frame clock: which music time each presented frame shows, and how far the audio
// layer's manual clock must move after it. Times are computed from whole frame numbers so that
// rounding never accumulates.
#pragma once

#include <cstdint>

namespace capture {

class FrameClock {
  public:
    FrameClock(double start, double end, double fps) : start_(start), end_(end), fps_(fps) {}

    // Number of frames in [start, end).
    uint64_t FrameCount() const;
    // Music time of frame k.
    double TimeOf(uint64_t k) const { return start_ + double(k) / fps_; }

    // Called for each presented frame, at music time `now`. Tells whether this frame belongs to the
    // capture (and its number), and how many seconds the clock must advance before the next one.
    struct Step {
        bool keep;
        uint64_t frame;
        double advance;
        bool done;  // no frame after this one is wanted
    };
    Step OnPresent();

  private:
    double start_, end_, fps_;
    bool started_ = false;  // the first present happens at time 0, before the span when start > 0
    uint64_t next_ = 0;     // the frame the next present shows
};

}  // namespace capture
