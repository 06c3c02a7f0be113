#include "display/display_settings.h"
#include "filters/filters.h"
#include "resources/grid.h"
#include "resources/static_resources.h"

namespace {

const char* const kFilterEffectFiles[] = {
    "DefaultFilters/DefaultFilter.fx", "DefaultFilter",  //
    "DefaultFilters/Guassian.fx",      "Guassian",       //
    "DefaultFilters/NearestEdge.fx",   "NearestEgde",    //
    "DefaultFilters/BlurFilter.fx",    "Blur",           //
    "DefaultFilters/color.fx",         "color",          //
    nullptr};

}  // namespace

void LoadFilters() {
    dtexture.Create(1280, 720, gfx::D3DFMT_X8R8G8B8);

    // Corners are worked out in double precision and rounded to float once.
    const double screenWidth = displaySettings.screenWidth;
    const double screenHeight = displaySettings.screenHeight;
    const double renderWidth = displaySettings.renderWidth;
    const double renderHeight = displaySettings.renderHeight;
    const double offset = displaySettings.offset;
    GenerateGrid(renderQuad, 2, 2, static_cast<float>(renderWidth), static_cast<float>(renderHeight),
                 static_cast<float>(-renderWidth / 2 - 1), static_cast<float>(-renderHeight / 2));
    GenerateGrid(screenQuad, 2, 2, static_cast<float>(screenWidth), static_cast<float>(screenHeight),
                 static_cast<float>(-screenWidth / 2), static_cast<float>(-screenHeight / 2));
    GenerateGrid(borderStrip, 2, 2, static_cast<float>(screenWidth), 2.0f,
                 static_cast<float>(-screenWidth / 2),
                 static_cast<float>(-screenHeight / 2 + offset));
    GenerateGrid(unusedQuad, 2, 2, 800.0f, 450.0f, -400.0f, -225.0f);

    sceneTarget.Create(1.0f, 1.0f, true, gfx::D3DFMT_X8R8G8B8);
    workTarget.Create(1.0f, 1.0f, true, gfx::D3DFMT_X8R8G8B8);
    for (RenderTexture* spare : {&spareTarget0, &spareTarget1, &spareTarget2, &spareTarget3})
        spare->Create(0.5f, 0.5f, true, gfx::D3DFMT_X8R8G8B8);
    halfTargetB.Create(0.5f, 0.5f, true, gfx::D3DFMT_X8R8G8B8);
    halfTargetA.Create(0.5f, 0.5f, true, gfx::D3DFMT_X8R8G8B8);
    quarterTarget.Create(0.25f, 0.25f, true, gfx::D3DFMT_X8R8G8B8);

    filterEffects.Load(kFilterEffectFiles);
}
