// The post-processing filters: each puts a source texture (the scene picture) on the back buffer
// through full-screen passes of the filter effects, ending with a two-row border line. With final
// false a filter draws into whatever render texture its caller has begun, without clearing, without
// a scene bracket and without the border line.
//
// Call LoadFilters once after the device exists (it creates the render textures, quads and filter
// effects); then one filter per frame. Nothing here allocates or keeps state between calls: effect
// parameters, the current effect name (always "color" after a final filter) and the device render
// states carry over.
#pragma once

#include "platform/gfx/gfx.h"
#include "resources/registry.h"
#include "resources/render_texture.h"

void LoadFilters();
// The file/name list LoadFilters loads into filterEffects.
ParameterList FilterEffectFiles();

// The border line across the lowest two rows of the render area, with the "color" effect.
void DrawBorderLine();

void FilterDefault(bool final, gfx::Texture* source);                 // filter 0
void FilterGaussian(float radius, bool final, gfx::Texture* source);  // filter 1
void FilterEdge(float power, bool final, gfx::Texture* source);       // filter 2
// When target is not null the "Blur" pass is drawn into it (begun after the final prologue, ended
// before the final epilogue).
void FilterBlurTwoHalf(float radius, bool final, gfx::Texture* source,
                       RenderTexture* target);                                          // filter 3
void FilterBlurQuarter(float radius, bool final, gfx::Texture* source);                 // filter 4
void FilterBlurStacked(float radius, float radius2, bool final, gfx::Texture* source);  // filter 5
void FilterEdgeBlur(float radius, bool final, gfx::Texture* source);                    // filter 6
