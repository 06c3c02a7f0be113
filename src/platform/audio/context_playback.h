// context_playback: one stream's play/pause/seek state and smooth position when a browser's audio
// context does the playing.
//
// WHAT IT DOES
//   The browser plays the decoded soundtrack from a source node; this keeps what the audio calls
//   answer: the state (stopped, playing, paused) and a position that follows the context's clock,
//   moves smoothly between its coarse updates (at most one period ahead of the last one), never
//   steps backwards while playing, and stops at the end. Each call that changes what is heard says
//   what the source node must do. Times are inputs, so the logic runs in tests without a browser.
//
// WHAT IT DOES NOT DO
//   No loops (the browser node would have to follow them), no decoding, no JavaScript.
//
// STEP BY STEP
//   1. ContextPlayback playback(lengthFrames, periodFrames)
//   2. playback.Play(restart, time) / Pause(time) / SetPosition(frame, time): do what the returned
//      NodeCommand says (start the node at a frame, or stop it)
//   3. playback.Position(time), playback.StateAt(time) whenever asked
#pragma once

#include <cstdint>

#include "platform/audio/position_clock.h"

namespace audio {

// A reading of the audio context's clock, in seconds: the context time being heard and the page's
// steady clock at that moment (AudioContext.getOutputTimestamp), the context time a node started
// now begins to play at (currentTime: ahead of what is heard by the output latency), and the
// page's clock now.
struct ContextTime {
    double heard = 0.0;
    double heardAt = 0.0;
    double scheduled = 0.0;
    double now = 0.0;
};

struct NodeCommand {
    enum class Kind { None, Start, Stop } kind = Kind::None;
    int64_t frame = 0;  // Start: where the node plays from
    bool operator==(const NodeCommand&) const = default;
};

class ContextPlayback {
  public:
    enum class State { Stopped, Playing, Paused };

    ContextPlayback(int64_t lengthFrames, int64_t periodFrames);

    // Starts or resumes at the current position (at 0 with restart); at the end without restart
    // the stream stays stopped.
    NodeCommand Play(bool restart, const ContextTime& time);
    // Freezes the position; None (and nothing changes) when not playing.
    NodeCommand Pause(const ContextTime& time);
    // False beyond the end; keeps the state (a playing stream goes on from the new frame).
    bool SetPosition(int64_t frame, const ContextTime& time, NodeCommand* command);
    int64_t Position(const ContextTime& time);  // whole frames; stops the stream at the end
    State StateAt(const ContextTime& time);
    int64_t Length() const { return length_; }

  private:
    NodeCommand StartAt(int64_t frame, const ContextTime& time);

    int64_t length_;
    int64_t period_;
    PositionClock clock_;
    State state_ = State::Stopped;
    int64_t nodeFrame_ = 0;         // the frame the node started at
    double nodeContextTime_ = 0.0;  // the context's time when it started
};

}  // namespace audio
