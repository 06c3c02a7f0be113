// fx: Direct3D 9 style effect files (.fx) on the gfx device.
//
// WHAT IT DOES
//   Compiles an effect file at load time (or loads what a build-time bake of it gave) (HLSL through
//   glslang in DX9 mode, SPIR-V, SPIRV-Cross to GLSL): its non-static globals become parameters
//   (with initial values from the text), `texture` parameters are bound through `sampler_state`
//   samplers, and its techniques hold passes with shaders and render states. Parameters are set by
//   name; unknown names and wrong types fail silently (a failing result, nothing else). The subset
//   accepted is described in docs/effects.md.
//
// WHAT IT DOES NOT DO
//   No effect pools, no annotations, no technique selection (the first valid technique is current),
//   no state blocks beyond the render states passes set.
//
// STEP BY STEP
//   1. fx::CreateEffectFromFile(device, path, flags, &effect, &messages)
//   2. effect->SetMatrix/SetFloat/SetFloatArray/SetTexture(name, ...)
//   3. effect->Begin(&passes, 0)        saves the device states the passes change
//   4. effect->BeginPass(i); draws (CommitChanges after parameter changes); effect->EndPass()
//   5. effect->End()                    restores the saved states
//   6. effect->Release()
#pragma once

#include <cstdint>
#include <string>

#include "platform/gfx/gfx.h"

namespace fx {

using gfx::HRESULT;

// Technique handle: null when the effect has no valid technique.
using TechniqueHandle = const void*;

class Effect : public gfx::Unknown {
  public:
    virtual HRESULT SetFloat(const char* name, float value) = 0;
    virtual HRESULT SetFloatArray(const char* name, const float* values, uint32_t count) = 0;
    // A Direct3D layout matrix: 16 floats, row by row, translation in elements 12..14; used in the
    // file as mul(v, M).
    virtual HRESULT SetMatrix(const char* name, const float* matrix16) = 0;
    virtual HRESULT SetTexture(const char* name, gfx::Texture* texture) = 0;
    virtual TechniqueHandle GetCurrentTechnique() = 0;
    virtual HRESULT Begin(uint32_t* passes, uint32_t flags) = 0;
    virtual HRESULT BeginPass(uint32_t pass) = 0;
    virtual HRESULT CommitChanges() = 0;
    virtual HRESULT EndPass() = 0;
    virtual HRESULT End() = 0;
};

constexpr uint32_t D3DXSHADER_DEBUG = 1;

// Where CreateEffectFromFile takes effects from: the .fx text compiled at load time (the native
// default), or the file vessmark-fxbake made from it at build time, "<path>.baked", with GLSL ES
// for the OpenGL ES device (the browser build's only source: it carries no HLSL compiler). Either
// way the same failures give the same results and messages.
enum class EffectSource { Compile, Baked };
void SetEffectSource(EffectSource source);
EffectSource CurrentEffectSource();

// On success: *effect set, *messages holds warnings (possibly empty), D3D_OK.
// On failure: *effect null, *messages holds "file(line,col): error: reason" lines, a failing result
// (D3DXERR_INVALIDDATA for bad text, E_FAIL for a missing file). Never throws.
HRESULT CreateEffectFromFile(gfx::Device* device, const char* path, uint32_t flags, Effect** effect,
                             std::string* messages);

}  // namespace fx
