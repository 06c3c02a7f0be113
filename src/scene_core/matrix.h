// Matrix builders and small value helpers of the scenes, with Direct3D's conventions: left-handed,
// row vectors (p x M), translation in the fourth row, depth 0..1. A x B applies A first.
#pragma once

#include <cstdint>

#include "scene_core/math_types.h"

Matrix MatrixIdentity();
Matrix operator*(const Matrix& a, const Matrix& b);

// Roll about z first, then pitch about x, then yaw about y.
Matrix MatrixYawPitchRoll(float yaw, float pitch, float roll);
// yaw = v.x, pitch = v.y, roll = v.z.
Matrix MatrixYawPitchRoll(const Vector3& v);
Matrix MatrixRotationQuaternion(const Quaternion& q);
Matrix MatrixScaling(const Vector3& v);
Matrix MatrixTranslation(float x, float y, float z);
Matrix MatrixTranslation(const Vector3& v);
// Rotate, then scale uniformly, then translate.
Matrix MatrixWorld(float x, float y, float z, float yaw, float pitch, float roll, float scale);
Matrix MatrixWorld(const Vector3& position, const Vector3& yawPitchRoll, float scale);
// Orthographic projection of a width x height box centred on the origin, near 0, far 100000.
Matrix MatrixOrtho(float width, float height);

// Point p as (p, 1) x m, divided by w.
Vector3 TransformCoord(const Vector3& p, const Matrix& m);

// 0xAARRGGBB to (r, g, b, a), each channel times the float nearest 1/255.
Vector4 ColorFromArgb(uint32_t argb);
// a + s x (b - a), per component.
Vector3 Lerp(const Vector3& a, const Vector3& b, float s);
