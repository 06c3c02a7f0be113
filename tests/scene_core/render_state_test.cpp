#include "scene_core/render_state.h"

#include <gtest/gtest.h>

#include "support/recording_device.h"

namespace {

using Lines = std::vector<std::string>;

TEST(RenderState, CullAndDepthSetsBothStatesInOrder) {
    vmtest::RecordingDevice device;
    vmtest::ScopedDevice use(&device);
    SetCullAndDepth(3, true);
    SetCullAndDepth(1, false);
    EXPECT_EQ(device.Calls(), (Lines{"SetRenderState(22, 3)", "SetRenderState(7, 1)",
                                     "SetRenderState(22, 1)", "SetRenderState(7, 0)"}));
}

TEST(RenderState, AlphaBlendSetsTheBlendStatesOnlyWhenEnabling) {
    vmtest::RecordingDevice device;
    vmtest::ScopedDevice use(&device);
    SetAlphaBlend(false, 1, 5, 6);
    EXPECT_EQ(device.Calls(), (Lines{"SetRenderState(27, 0)"}));
    device.ClearCalls();
    SetAlphaBlend(true, 1, 5, 6);
    EXPECT_EQ(device.Calls(), (Lines{"SetRenderState(27, 1)", "SetRenderState(171, 1)",
                                     "SetRenderState(19, 5)", "SetRenderState(20, 6)"}));
}

}  // namespace
