#include "resources/dtexture.h"

#include <gtest/gtest.h>

#include "support/call_lines.h"
#include "support/recording_device.h"

namespace {

using Boxes = std::vector<vmtest::BoxRecorder::Box>;

TEST(DTexture, MakesADynamicTextureItsLevelAndADepthSurfaceAndReportsEachFailure) {
    vmtest::RecordingDevice device;
    vmtest::ScopedDevice use{&device};
    vmtest::BoxRecorder boxes;
    DTexture texture;
    EXPECT_TRUE(texture.Create(1280, 720, gfx::D3DFMT_X8R8G8B8));
    EXPECT_LINES(device.Calls(),
                 (vmtest::Lines{"CreateTexture(1280, 720, 1, DYNAMIC, X8R8G8B8, DEFAULT)",
                                "CreateDepthStencilSurface(1280, 720, D24S8, 0, 0, 1)"}));
    EXPECT_EQ(std::tuple(vmtest::Text(texture.surface), texture.width, texture.height),
              std::tuple("level1", 1280u, 720u));
    texture.Release();
    for (const char* call : {"CreateTexture", "CreateDepthStencilSurface", "GetSurfaceLevel"}) {
        device.FailOn(call, gfx::D3DERR_OUTOFVIDEOMEMORY);
        DTexture failed;
        EXPECT_FALSE(failed.Create(256, 128, gfx::D3DFMT_X8R8G8B8));
        EXPECT_EQ(std::tuple(failed.width, failed.height), std::tuple(0u, 0u));
        failed.Release();
        failed.Release();
    }
    EXPECT_EQ(boxes.boxes, (Boxes{{"CreateTexture", "DTexture"},
                                  {"CreateDepthStencil", "DTexture"},
                                  {"GetSurfaceLevel", "DTexture"}}));
    EXPECT_EQ(device.LiveObjects(), vmtest::Lines{});
    EXPECT_EQ(device.faults, 0);
}

}  // namespace
