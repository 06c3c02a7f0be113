// A render texture on the real headless OpenGL device outliving it. (Target switching and reference
// counts are checked on the recording device, the resolved pictures by the golden frames.)
#include <gtest/gtest.h>

#include "display/device_globals.h"
#include "display/display_settings.h"
#include "resources/render_texture.h"
#include "support/recording_device.h"

namespace {

TEST(RenderTextureGl, ReleasingAfterTheDeviceIsGoneIsSafe) {
    gfx::Configure({.provider = gfx::ContextProvider::Headless});
    gfx::Adapter* adapter = gfx::Direct3DCreate9(gfx::D3D_SDK_VERSION);
    if (adapter == nullptr) GTEST_SKIP() << "no headless OpenGL context on this machine";
    vmtest::BoxRecorder boxes;
    gfx::PresentParameters pp;
    pp.BackBufferWidth = 64;
    pp.BackBufferHeight = 32;
    pp.BackBufferFormat = gfx::D3DFMT_X8R8G8B8;
    pp.Windowed = 1;
    gfx::Device* device = nullptr;
    ASSERT_EQ(adapter->CreateDevice(gfx::D3DADAPTER_DEFAULT, gfx::D3DDEVTYPE_HAL, nullptr,
                                    gfx::D3DCREATE_HARDWARE_VERTEXPROCESSING, &pp, &device),
              gfx::D3D_OK);
    const vmtest::ScopedDevice use(device);
    const DisplaySettings saved = displaySettings;
    displaySettings.multiSample = 0;
    RenderTexture rt;
    rt.CreateSized(16, 16, true, gfx::D3DFMT_X8R8G8B8);
    ASSERT_NE(rt.msTarget, nullptr);
    device->Release();
    adapter->Release();
    rt.Release();
    EXPECT_EQ(rt.texture, nullptr);
    EXPECT_TRUE(boxes.boxes.empty());
    displaySettings = saved;
    gfx::Configure(gfx::Config{});
}

}  // namespace
