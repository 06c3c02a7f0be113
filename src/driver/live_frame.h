// The real renderer and message pump of the frame loop: the scene renderers and filters on
// g_device, the scene camera, the audio library's update, and the windowing layer's message queue.
#pragma once

#include "driver/frame_loop.h"

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

class UiMessagePump : public MessagePump {
  public:
    bool Peek(ui::Msg* msg) override;
    void Translate(const ui::Msg& msg) override;
    void Dispatch(const ui::Msg& msg) override;
};

}  // namespace driver
