// playback_stream: one decoded stream and its play/pause/seek state, without any device.
//
// WHAT IT DOES
//   Keeps the decoded samples, the read head the mixer copies from, the state (stopped, playing,
//   paused) and the position clock. Mix() is what the audio callback (or the manual clock) calls to
//   take the next frames; everything else is what the audio calls map to. Time is an input.
//   Positions are in sample frames. A stream whose position reaches the end stops there.
//
// WHAT IT DOES NOT DO
//   No locking: the caller serialises Mix() against the other calls.
#pragma once

#include <cstdint>

#include "platform/audio/mp3_decoder.h"
#include "platform/audio/position_clock.h"

namespace audio {

class PlaybackStream {
public:
    enum class State { Stopped, Playing, Paused };

    // periodFrames: the device buffer size (latency and smoothing span); 0 for the manual clock.
    PlaybackStream(DecodedAudio audio, int64_t periodFrames);

    // Starts or resumes at the current position (at 0 with restart). At the end without restart the
    // stream stays stopped.
    void Play(bool restart, double now);
    bool Pause(double now);  // false when not playing; freezes the position
    bool SetPosition(int64_t frame, double now);  // false beyond the end; keeps the state
    int64_t Position(double now);  // whole frames; stops the stream when it reaches the end
    State StateAt(double now);
    int64_t Length() const { return audio_.frames; }

    // Adds the next `frames` frames to `out` (interleaved stereo) when playing, silence past the end;
    // returns how many frames of real audio were covered (0 when not playing).
    int64_t Mix(float* out, int64_t frames, double now);

private:
    DecodedAudio audio_;
    PositionClock clock_;
    State state_ = State::Stopped;
    int64_t readHead_ = 0;  // next frame to hand out; runs on past the end while playing
};

}  // namespace audio
