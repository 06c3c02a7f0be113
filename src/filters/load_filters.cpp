#include "display/display_settings.h"
#include "filters/filters.h"
#include "resources/grid.h"
#include "resources/static_resources.h"

namespace {

const char* const kFilterEffectFiles[] = {"DefaultFilters/DefaultFilter.fx",
                                          "DefaultFilter",  //
                                          "DefaultFilters/Guassian.fx",
                                          "Guassian",  //
                                          "DefaultFilters/NearestEdge.fx",
                                          "NearestEgde",  //
                                          "DefaultFilters/BlurFilter.fx",
                                          "Blur",  //
                                          "DefaultFilters/color.fx",
                                          "color",  //
                                          nullptr};

}  // namespace

ParameterList FilterEffectFiles() {
    return kFilterEffectFiles;
}

// The DTexture, the fourth quad and the four spare half-size render textures are never drawn or
// read, so they are left empty: at 1080p with multisampling the spares alone would take about 40 MB
// and several milliseconds of start-up.
void LoadFilters() {
    // Corners are worked out in double precision and rounded to float once.
    const double screenWidth = displaySettings.screenWidth;
    const double screenHeight = displaySettings.screenHeight;
    const double renderWidth = displaySettings.renderWidth;
    const double renderHeight = displaySettings.renderHeight;
    const double offset = displaySettings.offset;
    GenerateGrid(renderQuad, 2, 2, static_cast<float>(renderWidth),
                 static_cast<float>(renderHeight), static_cast<float>(-renderWidth / 2 - 1),
                 static_cast<float>(-renderHeight / 2));
    GenerateGrid(screenQuad, 2, 2, static_cast<float>(screenWidth),
                 static_cast<float>(screenHeight), static_cast<float>(-screenWidth / 2),
                 static_cast<float>(-screenHeight / 2));
    GenerateGrid(borderStrip, 2, 2, static_cast<float>(screenWidth), 2.0f,
                 static_cast<float>(-screenWidth / 2),
                 static_cast<float>(-screenHeight / 2 + offset));

    sceneTarget.Create(1.0f, 1.0f, true, gfx::D3DFMT_X8R8G8B8);
    workTarget.Create(1.0f, 1.0f, true, gfx::D3DFMT_X8R8G8B8);
    halfTargetB.Create(0.5f, 0.5f, true, gfx::D3DFMT_X8R8G8B8);
    halfTargetA.Create(0.5f, 0.5f, true, gfx::D3DFMT_X8R8G8B8);
    quarterTarget.Create(0.25f, 0.25f, true, gfx::D3DFMT_X8R8G8B8);

    filterEffects.Load(kFilterEffectFiles);
}
