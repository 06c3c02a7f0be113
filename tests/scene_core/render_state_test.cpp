#include "scene_core/render_state.h"

#include <gtest/gtest.h>

#include "support/call_lines.h"
#include "support/recording_device.h"

namespace {

using vmtest::Lines;

TEST(RenderState, CullAndDepthSetsBothStatesInOrder) {
    vmtest::RecordingDevice device;
    vmtest::ScopedDevice use(&device);
    SetCullAndDepth(3, true);
    SetCullAndDepth(1, false);
    EXPECT_LINES(device.Calls(),
                 (Lines{"SetRenderState(CULLMODE, CCW)", "SetRenderState(ZENABLE, TRUE)",
                        "SetRenderState(CULLMODE, NONE)", "SetRenderState(ZENABLE, FALSE)"}));
}

TEST(RenderState, AlphaBlendSetsTheBlendStatesOnlyWhenEnabling) {
    vmtest::RecordingDevice device;
    vmtest::ScopedDevice use(&device);
    SetAlphaBlend(false, 1, 5, 6);
    EXPECT_LINES(device.Calls(), (Lines{"SetRenderState(ALPHABLENDENABLE, FALSE)"}));
    device.ClearCalls();
    SetAlphaBlend(true, 1, 5, 6);
    EXPECT_LINES(
        device.Calls(),
        (Lines{"SetRenderState(ALPHABLENDENABLE, TRUE)", "SetRenderState(BLENDOP, ADD)",
               "SetRenderState(SRCBLEND, SRCALPHA)", "SetRenderState(DESTBLEND, INVSRCALPHA)"}));
}

}  // namespace
