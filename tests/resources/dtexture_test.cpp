#include "resources/dtexture.h"

#include <gtest/gtest.h>

#include "support/call_lines.h"
#include "support/recording_device.h"

TEST(DTexture, MakesADynamicTextureItsLevelAndADepthSurfaceAndReportsEachFailure) {
    vmtest::RecordingDevice device;
    vmtest::ScopedDevice use{&device};
    vmtest::BoxRecorder boxes;
    for (const char* call : {"", "CreateTexture", "CreateDepthStencilSurface", "GetSurfaceLevel"}) {
        device.FailOn(call, gfx::D3DERR_OUTOFVIDEOMEMORY);
        DTexture texture;
        EXPECT_EQ(texture.Create(1280, 720, gfx::D3DFMT_X8R8G8B8), !*call);
        EXPECT_EQ(texture.width + texture.height, *call ? 0u : 2000u);
        texture.Release();
        texture.Release();
    }
    EXPECT_EQ(device.Calls().at(0), "CreateTexture(1280, 720, 1, DYNAMIC, X8R8G8B8, DEFAULT)");
    EXPECT_EQ(device.Calls().at(1), "CreateDepthStencilSurface(1280, 720, D24S8, 0, 0, 1)");
    EXPECT_EQ(boxes.boxes,
              (std::vector<vmtest::BoxRecorder::Box>{{"CreateTexture", "DTexture"},
                                                     {"CreateDepthStencil", "DTexture"},
                                                     {"GetSurfaceLevel", "DTexture"}}));
    EXPECT_EQ(device.LiveObjects(), vmtest::Lines{});
    EXPECT_EQ(device.faults, 0);
}
