// Render textures on the real headless OpenGL device outliving it. (Target switching and reference
// counts are checked on the recording device, the resolved pictures by the golden frames.)
#include <gtest/gtest.h>

#include "display/device_globals.h"
#include "display/display_settings.h"
#include "resources/render_texture.h"
#include "support/recording_device.h"

namespace {

class RenderTextureGl : public ::testing::Test {
  protected:
    void SetUp() override {
        saved_ = displaySettings;
        gfx::Config config;
        config.provider = gfx::ContextProvider::Headless;
        gfx::Configure(config);
        adapter_ = gfx::Direct3DCreate9(gfx::D3D_SDK_VERSION);
        if (adapter_ == nullptr) GTEST_SKIP() << "no headless OpenGL context on this machine";
        gfx::PresentParameters pp;
        pp.BackBufferWidth = 64;
        pp.BackBufferHeight = 32;
        pp.BackBufferFormat = gfx::D3DFMT_X8R8G8B8;
        pp.Windowed = 1;
        ASSERT_EQ(adapter_->CreateDevice(gfx::D3DADAPTER_DEFAULT, gfx::D3DDEVTYPE_HAL, nullptr,
                                         gfx::D3DCREATE_HARDWARE_VERTEXPROCESSING, &pp, &device_),
                  gfx::D3D_OK);
        g_device = device_;
        // The display's own depth surface, as the demo sets it after creating the device.
        ASSERT_EQ(device_->CreateDepthStencilSurface(64, 32, gfx::D3DFMT_D24S8, 0, 0, 1, &depth_),
                  gfx::D3D_OK);
        device_->SetDepthStencilSurface(depth_);
    }
    void TearDown() override {
        g_device = nullptr;
        if (depth_ != nullptr) depth_->Release();
        if (device_ != nullptr) device_->Release();
        if (adapter_ != nullptr) adapter_->Release();
        gfx::Configure(gfx::Config{});
        displaySettings = saved_;
    }

    DisplaySettings saved_;
    gfx::Adapter* adapter_ = nullptr;
    gfx::Device* device_ = nullptr;
    gfx::Surface* depth_ = nullptr;
    vmtest::BoxRecorder boxes;
};

TEST_F(RenderTextureGl, ReleasingAfterTheDeviceIsGoneIsSafe) {
    displaySettings.multiSample = 0;
    RenderTexture rt;
    rt.CreateSized(16, 16, true, gfx::D3DFMT_X8R8G8B8);
    ASSERT_NE(rt.texture, nullptr);
    g_device = nullptr;
    device_->Release();
    device_ = nullptr;
    rt.Release();
    EXPECT_EQ(rt.texture, nullptr);
    EXPECT_EQ(rt.msTarget, nullptr);
}

}  // namespace
