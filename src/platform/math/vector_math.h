// vector_math: the matrix and quaternion functions of Direct3D 9's extension library, on plain
// float records, with its conventions.
//
// WHAT IT DOES
//   Left-handed coordinates, row vectors multiplied on the left (p' = p x M), translation in the
//   fourth row, projection depth 0..1. Matrices are stored row by row (m[row][column]), the layout
//   an effect's SetMatrix takes unchanged. With row vectors A x B applies A first.
//
// WHAT IT DOES NOT DO
//   No SIMD, no allocation, no checks for degenerate input (an eye equal to its target, a field of
//   view of 0): such input gives a degenerate matrix, never a crash. Value records are not
//   initialised by default construction; callers set what they need.
//
// STEP BY STEP
//   Build matrices with the Matrix* functions, combine them with MatrixMultiply (or operator* in
//   scenes/matrix.h), transform points with Vec3TransformCoord; interpolate rotations with
//   QuaternionSlerp.
#pragma once

namespace vmath {

struct Vector2 {
    float x, y;
};

struct Vector3 {
    float x, y, z;
};

// Used as a colour; handed to effects as an array of 4 floats.
struct Vector4 {
    float r, g, b, a;
    const float* data() const { return &r; }
};

struct Quaternion {
    float x, y, z, w;
};

struct Matrix {
    float m[4][4];  // row by row: m[0] = m11 m12 m13 m14
    const float* data() const { return &m[0][0]; }
    float* data() { return &m[0][0]; }
};

Matrix MatrixIdentity();
// a x b: a applied first.
Matrix MatrixMultiply(const Matrix& a, const Matrix& b);
// Roll about z first, then pitch about x, then yaw about y.
Matrix MatrixRotationYawPitchRoll(float yaw, float pitch, float roll);
// The rotation of a unit quaternion; the formula is used as is for other quaternions (the zero
// quaternion gives the identity).
Matrix MatrixRotationFromQuaternion(const Quaternion& q);
Matrix MatrixScaling(float sx, float sy, float sz);
Matrix MatrixTranslation(float x, float y, float z);
// View matrix looking from eye towards at.
Matrix MatrixLookAtLH(const Vector3& eye, const Vector3& at, const Vector3& up);
// fovY: vertical field of view in radians; depth zn -> 0, zf -> 1.
Matrix MatrixPerspectiveFovLH(float fovY, float aspect, float zn, float zf);
// A w x h box centred on the origin; depth zn -> 0, zf -> 1.
Matrix MatrixOrthoLH(float w, float h, float zn, float zf);
// Shortest-arc spherical interpolation from a (t = 0) to b (t = 1); linear when the two are nearly
// equal.
Quaternion QuaternionSlerp(const Quaternion& a, const Quaternion& b, float t);
// (v, 1) x m, divided by the resulting w.
Vector3 Vec3TransformCoord(const Vector3& v, const Matrix& m);

}  // namespace vmath
