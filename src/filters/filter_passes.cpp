#include "filters/filter_passes.h"

#include "display/device_globals.h"
#include "display/display_settings.h"
#include "filters/filters.h"
#include "resources/static_resources.h"
#include "scene_core/matrix.h"
#include "scene_core/render_state.h"

namespace filter_passes {

Matrix ScreenProjection() {
    return MatrixOrtho(static_cast<float>(displaySettings.screenWidth),
                       static_cast<float>(displaySettings.screenHeight));
}

void SetFilterStates() {
    SetAlphaBlend(false, gfx::D3DBLENDOP_ADD, gfx::D3DBLEND_SRCALPHA, gfx::D3DBLEND_INVSRCALPHA);
    SetCullAndDepth(gfx::D3DCULL_NONE, false);
}

void FinalPrologue() {
    g_device->BeginScene();
    g_device->Clear(0, nullptr, gfx::D3DCLEAR_TARGET, 0x00000000, 1.0f, 0);
    SetFilterStates();
}

void FinalEpilogue() {
    DrawBorderLine();
    g_device->EndScene();
}

const Mesh& PassQuad(bool final) {
    return final ? renderQuad : screenQuad;
}

}  // namespace filter_passes
