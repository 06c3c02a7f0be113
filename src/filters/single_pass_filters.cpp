// Filters 0, 1 and 2: one pass of "DefaultFilter", "Guassian" or "NearestEgde" over the source.
#include "display/display_settings.h"
#include "filters/filter_passes.h"
#include "filters/filters.h"
#include "resources/effect_parameters.h"
#include "resources/static_resources.h"

namespace {

using namespace filter_passes;

// "offset" is the texel size of the back buffer's render area; set only on final passes, so a step
// into a smaller render texture keeps the value of the last final pass.
void SetTexelOffset() {
    const float offset[2] = {1.0f / static_cast<float>(displaySettings.renderWidth),
                             1.0f / static_cast<float>(displaySettings.renderHeight)};
    SetFloatArrayParameter(filterEffects, "offset", offset, 2);
}

void DrawPass(bool final) {
    filterEffects.Begin(0, nullptr);
    PassQuad(final).Draw();
    filterEffects.End(nullptr);
    if (final) FinalEpilogue();
}

// The Gaussian and edge filters: one float parameter, and the texel offset on final passes.
void FilterWithParameter(const char* technique, const char* parameter, float value, bool final,
                         gfx::Texture* source) {
    filterEffects.SetCurrentRef(technique);
    if (final) {
        FinalPrologue();
        SetTexelOffset();
    }
    SetMatrixParameter(filterEffects, "matProjection", ScreenProjection());
    SetFloatParameter(filterEffects, parameter, value);
    SetTextureParameter(filterEffects, "tex0", source);
    DrawPass(final);
}

}  // namespace

void FilterDefault(bool final, gfx::Texture* source) {
    filterEffects.SetCurrentRef("DefaultFilter");
    if (final) FinalPrologue();
    SetMatrixParameter(filterEffects, "matProjection", ScreenProjection());
    SetTextureParameter(filterEffects, "tex0", source);
    DrawPass(final);
}

void FilterGaussian(float radius, bool final, gfx::Texture* source) {
    FilterWithParameter("Guassian", "radius", radius, final, source);
}

void FilterEdge(float power, bool final, gfx::Texture* source) {
    FilterWithParameter("NearestEgde", "power", power, final, source);
}
