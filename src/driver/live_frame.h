// The real renderer and message pump of the frame loop: the scene renderers and filters on
// g_device, the scene camera, the audio library's update, and the windowing layer's message queue.
#pragma once

#include <array>

#include "driver/frame_loop.h"
#include "sync/device.h"
#include "sync/track.h"

namespace driver {

class LiveRenderer : public FrameRenderer {
  public:
    void SetCamera(float eyeX, float eyeY, float eyeZ, float targetX, float targetY, float targetZ,
                   float fov) override;
    void ScenePig(float seconds) override;
    void SceneReflection(float seconds) override;
    void SceneParade(float seconds) override;
    void SceneSwarm(float seconds, float fade) override;
    void SceneImage(const char* image, float seconds, float flash) override;
    void ClearBackBuffer(uint32_t color) override;
    void FilterDefault() override;
    void FilterGaussian(float radius) override;
    void FilterEdge(float power) override;
    void FilterBlurTwoHalf(float radius) override;
    void FilterBlurQuarter(float radius) override;
    void FilterBlurStacked(float radius, float radius2) override;
    void FilterEdgeBlur(float radius) override;
    void Present() override;
    void UpdateAudio() override;
};

// The 23 tracks fetched from the sync device at construction, in fetch order.
class DeviceTracks : public TrackSource {
  public:
    explicit DeviceTracks(sync::Device& device);
    bool update(float row) override { return device_.update(row); }
    float value(TrackId track, float row) override { return Track(track).valueAt(row); }
    const sync::Track& Track(TrackId track) const {
        return *tracks_[static_cast<std::size_t>(track)];
    }

  private:
    sync::Device& device_;
    std::array<sync::Track*, kTrackCount> tracks_{};
};

class UiMessagePump : public MessagePump {
  public:
    bool Peek(ui::Msg* msg) override;
    void Translate(const ui::Msg& msg) override;
    void Dispatch(const ui::Msg& msg) override;
};

}  // namespace driver
