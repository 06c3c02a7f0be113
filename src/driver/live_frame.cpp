#include "driver/live_frame.h"

#include "display/device_globals.h"
#include "filters/filters.h"
#include "platform/audio/audio.h"
#include "resources/static_resources.h"
#include "scene_core/camera.h"
#include "scenes/scenes.h"

namespace driver {

namespace {
// The scene picture: sceneTarget's colour texture, read at the moment of each filter call.
gfx::Texture* SceneTexture() {
    return sceneTarget.texture;
}
}  // namespace

void LiveRenderer::SetCamera(float eyeX, float eyeY, float eyeZ, float targetX, float targetY,
                             float targetZ, float fov) {
    g_camera.Set(eyeX, eyeY, eyeZ, targetX, targetY, targetZ, fov);
}

void LiveRenderer::ScenePig(float seconds) {
    ::ScenePig(seconds);
}
void LiveRenderer::SceneReflection(float seconds) {
    ::SceneReflection(seconds);
}
void LiveRenderer::SceneParade(float seconds) {
    ::SceneParade(seconds);
}
void LiveRenderer::SceneSwarm(float seconds, float fade) {
    ::SceneSwarm(seconds, fade);
}
void LiveRenderer::SceneImage(const char* image, float /*seconds*/, float flash) {
    ::SceneImage(image, flash);
}

void LiveRenderer::ClearBackBuffer(uint32_t color) {
    g_device->Clear(0, nullptr, gfx::D3DCLEAR_TARGET, color, 1.0f, 0);
}

void LiveRenderer::FilterDefault() {
    ::FilterDefault(true, SceneTexture());
}
void LiveRenderer::FilterGaussian(float radius) {
    ::FilterGaussian(radius, true, SceneTexture());
}
void LiveRenderer::FilterEdge(float power) {
    ::FilterEdge(power, true, SceneTexture());
}
void LiveRenderer::FilterBlurTwoHalf(float radius) {
    ::FilterBlurTwoHalf(radius, true, SceneTexture(), nullptr);
}
void LiveRenderer::FilterBlurQuarter(float radius) {
    ::FilterBlurQuarter(radius, true, SceneTexture());
}
void LiveRenderer::FilterBlurStacked(float radius, float radius2) {
    ::FilterBlurStacked(radius, radius2, true, SceneTexture());
}
void LiveRenderer::FilterEdgeBlur(float radius) {
    ::FilterEdgeBlur(radius, true, SceneTexture());
}

void LiveRenderer::Present() {
    g_device->Present(nullptr, nullptr, nullptr, nullptr);
}
void LiveRenderer::UpdateAudio() {
    audio::Update();
}

DeviceTracks::DeviceTracks(sync::Device& device) : device_(device) {
    for (std::size_t i = 0; i < kTrackCount; ++i) tracks_[i] = device_.fetchTrack(kTrackNames[i]);
}

bool UiMessagePump::Peek(ui::Msg* msg) {
    return ui::PeekMessage(msg);
}
void UiMessagePump::Translate(const ui::Msg& msg) {
    ui::TranslateMessage(&msg);
}
void UiMessagePump::Dispatch(const ui::Msg& msg) {
    ui::DispatchMessage(&msg);
}

}  // namespace driver
