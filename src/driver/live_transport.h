// The live transport: the playhead over the music, with pause, steps, seeks, a loop and a playback
// speed. At 1x the music's playing position is the playhead and the music loops by itself,
// sample-exactly. At other speeds the music is paused (muted) and the playhead runs on the steady
// clock: pitch-shifted or time-stretched music says little about sync, and a paused stream keeps
// the audio position exact for the return to 1x.
//
// Order: Transport(music, shape); Start(now); per frame Tick(now), then Frame()/Seconds()/Row();
// commands at any time between frames.
#pragma once

#include <cstdint>

namespace live {

constexpr int64_t kFramesPerSecond = 44100;

// The soundtrack as the transport drives it; positions in sample frames.
class Music {
  public:
    virtual ~Music() = default;
    virtual int64_t Frame() = 0;  // the playing position
    virtual int64_t Length() = 0;
    virtual void Seek(int64_t frame) = 0;
    virtual void Play() = 0;
    virtual void Pause() = 0;
    virtual void SetLoop(int64_t start, int64_t end) = 0;  // end <= start: no loop
};

struct TimelineShape {
    float rowsPerSecond = 12.75f;
    int rowsPerBeat = 5;
    int beatsPerBar = 4;
    double endSeconds = 123.0;
};

// Row of a frame as the music timer computes it (float seconds, float row); the first frame whose
// row is at or after a given row.
float RowOfFrame(int64_t frame, float rowsPerSecond);
int64_t FrameOfRow(double row, float rowsPerSecond);

class Transport {
  public:
    static constexpr double kSpeeds[] = {0.25, 0.5, 0.75, 1.0, 1.5, 2.0};
    static constexpr int kNormalSpeed = 3;

    Transport(Music& music, TimelineShape shape);

    void Start(double now);  // plays from frame 0
    void Tick(double now);

    int64_t Frame() const { return frame_; }
    float Seconds() const;
    float Row() const { return RowOfFrame(frame_, shape_.rowsPerSecond); }
    int64_t EndFrame() const { return endFrame_; }
    const TimelineShape& Shape() const { return shape_; }
    bool Paused() const { return paused_; }
    double Speed() const { return kSpeeds[speed_]; }

    void TogglePause();
    // Clamped to [0, EndFrame()].
    void Seek(int64_t frame);
    void SeekRow(double row) { Seek(FrameOfRow(row, shape_.rowsPerSecond)); }
    // To the next (direction > 0) or previous multiple of `rows` strictly beyond the playhead.
    void Step(int rows, int direction);
    void Slower();
    void Faster();

    // The loop: its ends at the playhead; on with a valid range (end after start) only. Turning it
    // on with the playhead outside the range seeks to its start.
    void SetLoopStart();
    void SetLoopEnd();
    void ToggleLoop();
    bool Looping() const { return looping_; }
    int64_t LoopStart() const { return loopStart_; }
    int64_t LoopEnd() const { return loopEnd_; }

  private:
    bool MusicLeads() const { return !paused_ && speed_ == kNormalSpeed; }
    bool LoopValid() const { return loopEnd_ > loopStart_; }
    void ApplyLoop();
    void ChangeSpeed(int index);

    Music& music_;
    TimelineShape shape_;
    int64_t endFrame_;
    int64_t frame_ = 0;
    double lastTick_ = 0.0;
    double carry_ = 0.0;  // fractional frames of the steady-clock playhead
    bool paused_ = false;
    int speed_ = kNormalSpeed;
    bool looping_ = false;
    int64_t loopStart_ = 0;
    int64_t loopEnd_ = 0;
};

}  // namespace live
