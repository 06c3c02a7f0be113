#include "scene_core/render_state.h"

#include <gtest/gtest.h>

#include "support/call_lines.h"
#include "support/recording_device.h"

namespace {

TEST(RenderState, SetsCullAndDepthAndTheBlendStatesOnlyWhenBlending) {
    vmtest::RecordingDevice device;
    vmtest::ScopedDevice use(&device);
    SetCullAndDepth(3, true);
    SetCullAndDepth(1, false);
    SetAlphaBlend(false, 1, 5, 6);
    SetAlphaBlend(true, 1, 5, 6);
    EXPECT_LINES(
        device.Calls(),
        (vmtest::Lines{"SetRenderState(CULLMODE, CCW)", "SetRenderState(ZENABLE, TRUE)",
                       "SetRenderState(CULLMODE, NONE)", "SetRenderState(ZENABLE, FALSE)",
                       "SetRenderState(ALPHABLENDENABLE, FALSE)",
                       "SetRenderState(ALPHABLENDENABLE, TRUE)", "SetRenderState(BLENDOP, ADD)",
                       "SetRenderState(SRCBLEND, SRCALPHA)",
                       "SetRenderState(DESTBLEND, INVSRCALPHA)"}));
}

}  // namespace
