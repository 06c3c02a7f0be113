// playback_stream: one stream's play/pause/seek state and its read head, without any device.
//
// WHAT IT DOES
//   Keeps the sample source (an MP3 decoded on demand), the read head the mixer takes from, the
//   state (stopped, playing, paused) and the position clock. Mix() is what the audio callback (or
//   the manual clock) calls to take the next frames: it decodes just those frames, seeking the
//   source first when the read head was moved (play, resume, seek). Everything else is what the
//   audio calls map to. Time is an input. Positions are in sample frames. A stream whose position
//   reaches the end stops there.
//
// WHAT IT DOES NOT DO
//   No locking: the caller serialises Mix() against the other calls. No read-ahead: each Mix()
//   decodes what it hands out (a device buffer is a frame or two of MP3, tens of microseconds).
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/audio/position_clock.h"
#include "platform/audio/sample_source.h"

namespace audio {

class PlaybackStream {
  public:
    enum class State { Stopped, Playing, Paused };

    // periodFrames: the device buffer size (latency and smoothing span); 0 for the manual clock.
    PlaybackStream(std::unique_ptr<SampleSource> source, int64_t periodFrames);

    // Starts or resumes at the current position (at 0 with restart). At the end without restart the
    // stream stays stopped.
    void Play(bool restart, double now);
    bool Pause(double now);                       // false when not playing; freezes the position
    bool SetPosition(int64_t frame, double now);  // false beyond the end; keeps the state
    int64_t Position(double now);  // whole frames; stops the stream when it reaches the end
    State StateAt(double now);
    int64_t Length() const { return length_; }
    // A loop [start, end): once the read head reaches end it goes on from start within the same
    // buffer, so the music loops sample-exactly. A head already past end plays on. end <= start (or
    // a range past the stream) removes the loop; false then unless it was a plain removal.
    bool SetLoop(int64_t start, int64_t end);

    // Adds the next `frames` frames to `out` (interleaved stereo) when playing, silence past the
    // end; returns how many frames of real audio were covered (0 when not playing). With `out` null
    // the stream moves on without decoding anything.
    int64_t Mix(float* out, int64_t frames, double now);

  private:
    // Mix without the loop: hands out `frames` from the read head and moves the clock on.
    int64_t MixPlain(float* out, int64_t frames, double now);

    std::unique_ptr<SampleSource> source_;
    int64_t length_;
    PositionClock clock_;
    State state_ = State::Stopped;
    int64_t readHead_ = 0;        // next frame to hand out; runs on past the end while playing
    std::vector<float> scratch_;  // one chunk of decoded frames
    int64_t period_;
    int64_t loopStart_ = 0;
    int64_t loopEnd_ = -1;  // no loop
};

}  // namespace audio
