#include "filters/filter_passes.h"
#include "filters/filters.h"
#include "resources/effect_parameters.h"
#include "resources/static_resources.h"

void DrawBorderLine() {
    filterEffects.SetCurrentRef("color");
    SetMatrixParameter(filterEffects, "matProjection", filter_passes::ScreenProjection());
    filterEffects.Begin(0, nullptr);
    borderStrip.Draw();
    filterEffects.End(nullptr);
}
