#include "scene_core/noise.h"

#include <cmath>

namespace {

// Float to int truncation without undefined behaviour far outside the int range (such inputs only
// occur with broken tracks; they saturate).
int32_t TruncateToInt(float v) {
    if (!(v > -2147483648.0f)) return v != v ? 0 : INT32_MIN;
    if (v >= 2147483648.0f) return INT32_MAX;
    return static_cast<int32_t>(v);
}

// n + k with 32-bit wrap-around.
int32_t AddWrapping(int32_t n, int32_t k) {
    return static_cast<int32_t>(static_cast<uint32_t>(n) + static_cast<uint32_t>(k));
}

}  // namespace

float IntNoise(int32_t n) {
    uint32_t u = static_cast<uint32_t>(n);
    u = (u << 13) ^ u;
    const uint32_t v = (u * (u * u * 15731u + 789221u) + 1376312589u) & 0x7FFFFFFFu;
    return static_cast<float>(1.0 - static_cast<double>(v) / 1073741824.0);
}

float CubicInterpolate(float a, float b, float c, float d, float x) {
    const float p = (d - c) - (a - b);
    const float q = (a - b) - p;
    const float r = c - a;
    const double xd = x;
    return static_cast<float>(p * xd * xd * xd + q * xd * xd + r * xd + b);
}

float Noise1D(float x, float wavelength, int32_t seed) {
    const float q = x / wavelength;
    const int32_t i = TruncateToInt(q);
    const float f = q - static_cast<float>(i);
    const int32_t n = AddWrapping(i, seed);
    return CubicInterpolate(IntNoise(AddWrapping(n, -1)), IntNoise(n), IntNoise(AddWrapping(n, 1)),
                            IntNoise(AddWrapping(n, 2)), f);
}

float Wrap(float value, float offset, float period) {
    if (period < value) {
        const float k = std::trunc(value / period);
        const float r = value - k * period;
        return r + offset;
    }
    return value;
}
