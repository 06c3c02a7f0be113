// float_to_int: float to integer conversion with a defined result for every input.
#pragma once

#include <cstdint>

namespace vmath {

// Truncates toward zero like the x86 conversion (cvttss2si): values outside the int32 range and NaN
// give INT32_MIN, its "indefinite" integer, instead of undefined behaviour.
inline int32_t TruncateToInt32(float v) {
    if (v >= -2147483648.0f && v < 2147483648.0f) return static_cast<int32_t>(v);
    return INT32_MIN;
}

}  // namespace vmath
