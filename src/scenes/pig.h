// The pig: six meshes ("g1" the eyes, "g2".."g6" the body) drawn with the "pig" scene effect, each
// at its first-key pose times the given world matrix. DrawPig uses passes 0 (body) and 1 (eyes);
// DrawPigFog passes 2 and 3 with the fog distance fogEnd for the body and a fade of 200 for the
// eyes.
#pragma once

#include "scene_core/math_types.h"

// "DiffuseColor" of "g1".."g6", alpha 0 throughout.
extern const Vector4 pigColors[6];

void DrawPig(const Matrix& world);
void DrawPigFog(const Matrix& world, float fogEnd);
