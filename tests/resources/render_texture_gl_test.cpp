// Render textures on the real headless OpenGL device: the device gets back exactly its previous
// target and depth surface with unchanged reference counts, and End leaves the picture in the
// texture.
#include <epoxy/gl.h>
#include <gtest/gtest.h>

#include "display/device_globals.h"
#include "display/display_settings.h"
#include "platform/gfx/gl_bridge.h"
#include "resources/render_texture.h"
#include "support/recording_device.h"

namespace {

// Reference count of a live object, read by adding and dropping one.
uint32_t Refs(gfx::Unknown* object) {
    object->AddRef();
    return object->Release();
}

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

    // The red channel of texel (x, y) of the render texture's colour texture.
    uint8_t RedAt(const RenderTexture& rt, int x, int y) {
        std::vector<uint8_t> pixels(size_t(rt.width) * rt.height * 4);
        glBindTexture(GL_TEXTURE_2D, gfx::gl::TextureName(rt.texture));
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        return pixels[(size_t(y) * rt.width + x) * 4];
    }

    DisplaySettings saved_;
    gfx::Adapter* adapter_ = nullptr;
    gfx::Device* device_ = nullptr;
    gfx::Surface* depth_ = nullptr;
    vmtest::BoxRecorder boxes;
};

TEST_F(RenderTextureGl, EndRestoresTargetsAndCountsAndResolvesIntoTheTexture) {
    for (uint32_t samples : {0u, 4u}) {
        SCOPED_TRACE(samples);
        displaySettings.multiSample = samples;
        RenderTexture rt;
        rt.CreateSized(32, 16, true, gfx::D3DFMT_X8R8G8B8);
        ASSERT_NE(rt.msTarget, nullptr);

        gfx::Surface* target = nullptr;
        gfx::Surface* depth = nullptr;
        ASSERT_EQ(device_->GetRenderTarget(0, &target), gfx::D3D_OK);
        ASSERT_EQ(device_->GetDepthStencilSurface(&depth), gfx::D3D_OK);
        ASSERT_EQ(depth, depth_);
        const uint32_t targetRefs = Refs(target), depthRefs = Refs(depth);

        rt.Begin();
        device_->Clear(0, nullptr, gfx::D3DCLEAR_TARGET | gfx::D3DCLEAR_ZBUFFER, 0xFFFF0000u, 1.0f,
                       0);
        rt.End();

        gfx::Surface* targetAfter = nullptr;
        gfx::Surface* depthAfter = nullptr;
        device_->GetRenderTarget(0, &targetAfter);
        device_->GetDepthStencilSurface(&depthAfter);
        EXPECT_EQ(targetAfter, target);
        EXPECT_EQ(depthAfter, depth);
        targetAfter->Release();
        depthAfter->Release();
        EXPECT_EQ(Refs(target), targetRefs);
        EXPECT_EQ(Refs(depth), depthRefs);
        EXPECT_EQ(RedAt(rt, 0, 0), 255);
        EXPECT_EQ(RedAt(rt, 31, 15), 255);
        target->Release();
        depth->Release();
        rt.Release();
    }
    EXPECT_TRUE(boxes.boxes.empty());
}

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
