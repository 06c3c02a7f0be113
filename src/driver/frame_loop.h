// The frame loop: per pass, reads the music position, updates the sync device, sets the camera,
// picks one scene by "0_part" and one filter by "0_filter", presents, updates the audio library and
// drains the window messages. It owns none of what it calls: DemoMain wires the real timer, tracks,
// renderers and pump; tests wire scripted ones.
//
// Stop conditions, tested only at the top of a pass (a pass that raises one always finishes):
//   - the sync device's update returns false;
//   - the music time is strictly greater than kEndSeconds;
//   - the soundtrack has stopped playing (a soundtrack shorter than kEndSeconds would otherwise
//     never end the loop);
//   - WM_QUIT, or WM_KEYDOWN with VK_ESCAPE in the low 16 bits of wParam.
#pragma once

#include <cstdint>
#include <cstdio>

#include "driver/track_names.h"
#include "platform/ui/ui.h"

namespace driver {

constexpr float kEndSeconds = 123.0f;
constexpr uint32_t kNoPartColor = 0xFFFF00;  // yellow, alpha 0

// The music position; read afresh at every use.
class MusicClock {
  public:
    virtual ~MusicClock() = default;
    virtual float currentRow() = 0;
    virtual float currentSeconds() = 0;
    // False once the soundtrack is neither playing nor paused.
    virtual bool soundtrackActive() = 0;
};

// The sync device and the track handles kept from start-up.
class TrackSource {
  public:
    virtual ~TrackSource() = default;
    // False asks the loop to stop.
    virtual bool update(float row) = 0;
    virtual float value(TrackId track, float row) = 0;
};

// What a pass draws with. Filters always draw the scene texture to the back buffer (final true).
class FrameRenderer {
  public:
    virtual ~FrameRenderer() = default;
    virtual void SetCamera(float eyeX, float eyeY, float eyeZ, float targetX, float targetY,
                           float targetZ, float fov) = 0;
    virtual void ScenePig(float seconds) = 0;
    virtual void SceneReflection(float seconds) = 0;
    virtual void SceneParade(float seconds) = 0;
    virtual void SceneSwarm(float seconds, float fade) = 0;
    virtual void SceneImage(const char* image, float seconds, float flash) = 0;
    virtual void ClearBackBuffer(uint32_t color) = 0;
    virtual void FilterDefault() = 0;
    virtual void FilterGaussian(float radius) = 0;
    virtual void FilterEdge(float power) = 0;
    virtual void FilterBlurTwoHalf(float radius) = 0;
    virtual void FilterBlurQuarter(float radius) = 0;
    virtual void FilterBlurStacked(float radius, float radius2) = 0;
    virtual void FilterEdgeBlur(float radius) = 0;
    virtual void Present() = 0;
    virtual void UpdateAudio() = 0;
};

// The window message queue.
class MessagePump {
  public:
    virtual ~MessagePump() = default;
    // Removes one pending message; false when none is pending.
    virtual bool Peek(ui::Msg* msg) = 0;
    virtual void Translate(const ui::Msg& msg) = 0;
    virtual void Dispatch(const ui::Msg& msg) = 0;
};

// A selector track value as an integer, truncated toward zero. Values that no integer holds (NaN,
// infinities, beyond 32 bits) give -1, which selects no scene and the unannounced filter 0.
int TruncateSelector(float value);

class FrameLoop {
  public:
    // Diagnostic lines ("in part 1\n", "clear\n") go to out.
    FrameLoop(MusicClock& clock, TrackSource& tracks, FrameRenderer& renderer, MessagePump& pump,
              std::FILE* out);

    // Runs passes until a stop condition has been raised; returns the number of passes run.
    unsigned Run();

    // One pass; returns true when it raised a stop condition.
    bool RunPass();

  private:
    void RunScene(float row);
    void RunFilter(float row);
    bool DrainMessages();

    MusicClock& clock_;
    TrackSource& tracks_;
    FrameRenderer& renderer_;
    MessagePump& pump_;
    std::FILE* out_;
};

}  // namespace driver
