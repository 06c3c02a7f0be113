// Filters 3 to 6: softened, reduced copies of the picture rendered into render textures, then one
// "Blur" pass that combines the source (or an intermediate) with the reduced copy.
#include "filters/filter_passes.h"
#include "filters/filters.h"
#include "resources/effect_parameters.h"
#include "resources/static_resources.h"

namespace {

using namespace filter_passes;

// target <- Gaussian(radius) of input, drawn as a step (final false).
void GaussianStep(RenderTexture& target, float radius, gfx::Texture* input) {
    target.Begin();
    FilterGaussian(radius, false, input);
    target.End();
}

void BlurPass(uint32_t pass, bool final, gfx::Texture* tex0, gfx::Texture* tex1, float radius) {
    filterEffects.SetCurrentRef("Blur");
    SetMatrixParameter(filterEffects, "matProjection", ScreenProjection());
    SetTextureParameter(filterEffects, "tex0", tex0);
    SetTextureParameter(filterEffects, "tex1", tex1);
    SetFloatParameter(filterEffects, "radius", radius);
    filterEffects.Begin(pass, nullptr);
    PassQuad(final).Draw();
    filterEffects.End(nullptr);
}

}  // namespace

void FilterBlurTwoHalf(float radius, bool final, gfx::Texture* source, RenderTexture* target) {
    SetFilterStates();
    // The steps read the scene texture itself, whatever the source is.
    GaussianStep(halfTargetA, 2.0f, sceneTarget.texture);
    GaussianStep(halfTargetB, 2.0f, halfTargetA.texture);
    if (final) FinalPrologue();
    if (target != nullptr) target->Begin();
    BlurPass(0, final, source, halfTargetB.texture, radius);
    if (target != nullptr) target->End();
    if (final) FinalEpilogue();
}

void FilterBlurQuarter(float radius, bool final, gfx::Texture* source) {
    SetFilterStates();
    GaussianStep(halfTargetA, 3.0f, sceneTarget.texture);
    GaussianStep(quarterTarget, 2.0f, halfTargetA.texture);
    if (final) FinalPrologue();
    BlurPass(1, final, source, quarterTarget.texture, radius);
    if (final) FinalEpilogue();
}

void FilterBlurStacked(float radius, float radius2, bool final, gfx::Texture* source) {
    SetFilterStates();
    FilterBlurTwoHalf(radius, false, source, &workTarget);
    // halfTargetA still holds the first step of that run.
    GaussianStep(quarterTarget, radius, halfTargetA.texture);
    if (final) FinalPrologue();
    BlurPass(2, final, workTarget.texture, quarterTarget.texture, radius2);
    if (final) FinalEpilogue();
}

void FilterEdgeBlur(float radius, bool final, gfx::Texture* source) {
    SetFilterStates();
    workTarget.Begin();
    FilterEdge(radius, false, source);
    workTarget.End();
    GaussianStep(quarterTarget, radius, workTarget.texture);
    if (final) FinalPrologue();
    BlurPass(2, final, workTarget.texture, quarterTarget.texture, radius);
    if (final) FinalEpilogue();
}
