// Parameter setting on the current effect of an Effect registry, one lookup per call, as every draw
// does it. A lookup that misses has already shown its "No Match" box; the call then sets nothing.
#pragma once

#include <cstdint>

#include "platform/gfx/gfx.h"
#include "resources/effect_registry.h"
#include "scene_core/math_types.h"

inline void SetMatrixParameter(Effect& effects, const char* name, const Matrix& value) {
    if (fx::Effect* effect = effects.GetCurrent()) effect->SetMatrix(name, value.data());
}

inline void SetFloatParameter(Effect& effects, const char* name, float value) {
    if (fx::Effect* effect = effects.GetCurrent()) effect->SetFloat(name, value);
}

inline void SetFloatArrayParameter(Effect& effects, const char* name, const float* values,
                                   uint32_t count) {
    if (fx::Effect* effect = effects.GetCurrent()) effect->SetFloatArray(name, values, count);
}

inline void SetTextureParameter(Effect& effects, const char* name, gfx::Texture* texture) {
    if (fx::Effect* effect = effects.GetCurrent()) effect->SetTexture(name, texture);
}

inline void CommitParameterChanges(Effect& effects) {
    if (fx::Effect* effect = effects.GetCurrent()) effect->CommitChanges();
}
