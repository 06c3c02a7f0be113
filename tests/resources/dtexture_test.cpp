#include "resources/dtexture.h"

#include <gtest/gtest.h>

#include "support/call_lines.h"
#include "support/recording_device.h"

namespace {

using Boxes = std::vector<vmtest::BoxRecorder::Box>;
using vmtest::Lines;

class DTextureTest : public ::testing::Test {
  protected:
    vmtest::RecordingDevice device;
    vmtest::ScopedDevice use{&device};
    vmtest::BoxRecorder boxes;
    DTexture texture;
};

TEST_F(DTextureTest, CreatesADynamicTextureItsLevelAndADepthSurface) {
    EXPECT_TRUE(texture.Create(1280, 720, gfx::D3DFMT_X8R8G8B8));
    EXPECT_LINES(device.Calls(),
                 (Lines{"CreateTexture(1280, 720, 1, DYNAMIC, X8R8G8B8, DEFAULT)",
                        "CreateDepthStencilSurface(1280, 720, D24S8, NONE, 0, 1)"}));
    EXPECT_NE(texture.surface, nullptr);
    EXPECT_EQ(texture.width, 1280u);
    EXPECT_EQ(texture.height, 720u);
    texture.Release();
    EXPECT_TRUE(device.LiveObjects().empty());
    EXPECT_EQ(device.Faults(), 0);
}

TEST_F(DTextureTest, AFailureKeepsWhatWasMadeUntilRelease) {
    const struct {
        const char* call;
        const char* text;
        size_t live;
    } cases[] = {{"CreateTexture", "CreateTexture", 0},
                 {"CreateDepthStencilSurface", "CreateDepthStencil", 1},
                 {"GetSurfaceLevel", "GetSurfaceLevel", 2}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        boxes.boxes.clear();
        device.FailOn(c.call, gfx::D3DERR_OUTOFVIDEOMEMORY);
        EXPECT_FALSE(texture.Create(256, 128, gfx::D3DFMT_X8R8G8B8));
        EXPECT_EQ(boxes.boxes, (Boxes{{c.text, "DTexture"}}));
        EXPECT_EQ(texture.width, 0u);
        EXPECT_EQ(texture.height, 0u);
        EXPECT_EQ(device.LiveObjects().size(), c.live);
        texture.Release();
        EXPECT_TRUE(device.LiveObjects().empty());
    }
    texture.Release();  // never created, or released twice: nothing happens
    EXPECT_EQ(device.Faults(), 0);
}

}  // namespace
