// sinf and cosf as the demo computes them: the double-precision function of the float argument,
// rounded to float. The float overloads of <cmath> (glibc's sinf, cosf) differ from this in the
// last bit for some arguments, which would move the camera.
#pragma once

#include <cmath>

inline float SinF(float x) {
    return static_cast<float>(std::sin(static_cast<double>(x)));
}
inline float CosF(float x) {
    return static_cast<float>(std::cos(static_cast<double>(x)));
}
