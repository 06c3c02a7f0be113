// The value types of the scenes and filters: plain records of 32-bit floats, copied by value and
// not initialised by default construction. Same records as the platform math functions use.
#pragma once

#include "platform/math/vector_math.h"

using vmath::Matrix;
using vmath::Quaternion;
using vmath::Vector2;
using vmath::Vector3;
using vmath::Vector4;  // r, g, b, a
