// Numeric helpers of the procedural motion: an integer hash noise, a smooth 1-D noise and a wrap.
// The float/integer steps follow the demo's arithmetic exactly so that motion is reproducible.
#pragma once

#include <cstdint>

// Hash of n into (-1, 1]; 32-bit wrap-around arithmetic.
float IntNoise(int32_t n);
// Cubic through four consecutive samples: b at x = 0, c at x = 1.
float CubicInterpolate(float a, float b, float c, float d, float x);
// Smooth noise over x; seed selects an independent curve. Passes through IntNoise(i + seed) at
// x = i x wavelength.
float Noise1D(float x, float wavelength, int32_t seed);
// When period < value: value reduced by whole periods, plus offset. Otherwise value unchanged
// (offset not added).
float Wrap(float value, float offset, float period);
