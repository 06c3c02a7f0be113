#include "platform/math/vector_math.h"

#include <cmath>

namespace vmath {
namespace {

Vector3 Subtract(const Vector3& a, const Vector3& b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}

Vector3 Cross(const Vector3& a, const Vector3& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

float Dot(const Vector3& a, const Vector3& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

// A zero vector stays zero (degenerate input gives a degenerate matrix, not NaNs from 0/0).
Vector3 Normalize(const Vector3& v) {
    const float length = std::sqrt(Dot(v, v));
    if (length == 0.0f) return v;
    return {v.x / length, v.y / length, v.z / length};
}

}  // namespace

// Matrices below are written out row by row, as they are stored.

Matrix MatrixIdentity() {
    return {{{1.0f, 0.0f, 0.0f, 0.0f},
             {0.0f, 1.0f, 0.0f, 0.0f},
             {0.0f, 0.0f, 1.0f, 0.0f},
             {0.0f, 0.0f, 0.0f, 1.0f}}};
}

Matrix MatrixMultiply(const Matrix& a, const Matrix& b) {
    Matrix r;
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            r.m[i][j] = a.m[i][0] * b.m[0][j] + a.m[i][1] * b.m[1][j] + a.m[i][2] * b.m[2][j] +
                        a.m[i][3] * b.m[3][j];
        }
    }
    return r;
}

Matrix MatrixRotationYawPitchRoll(float yaw, float pitch, float roll) {
    const float cy = std::cos(yaw), sy = std::sin(yaw);
    const float cp = std::cos(pitch), sp = std::sin(pitch);
    const float cr = std::cos(roll), sr = std::sin(roll);
    // Rz(roll) x Rx(pitch) x Ry(yaw), multiplied out.
    return {{{cr * cy + sr * sp * sy, sr * cp, sr * sp * cy - cr * sy, 0.0f},
             {cr * sp * sy - sr * cy, cr * cp, sr * sy + cr * sp * cy, 0.0f},
             {cp * sy, -sp, cp * cy, 0.0f},
             {0.0f, 0.0f, 0.0f, 1.0f}}};
}

Matrix MatrixRotationFromQuaternion(const Quaternion& q) {
    const float xx = q.x * q.x, yy = q.y * q.y, zz = q.z * q.z;
    return {{{1.0f - 2.0f * (yy + zz), 2.0f * (q.x * q.y + q.z * q.w),
              2.0f * (q.x * q.z - q.y * q.w), 0.0f},
             {2.0f * (q.x * q.y - q.z * q.w), 1.0f - 2.0f * (xx + zz),
              2.0f * (q.y * q.z + q.x * q.w), 0.0f},
             {2.0f * (q.x * q.z + q.y * q.w), 2.0f * (q.y * q.z - q.x * q.w),
              1.0f - 2.0f * (xx + yy), 0.0f},
             {0.0f, 0.0f, 0.0f, 1.0f}}};
}

Matrix MatrixScaling(float sx, float sy, float sz) {
    return {{{sx, 0.0f, 0.0f, 0.0f},
             {0.0f, sy, 0.0f, 0.0f},
             {0.0f, 0.0f, sz, 0.0f},
             {0.0f, 0.0f, 0.0f, 1.0f}}};
}

Matrix MatrixTranslation(float x, float y, float z) {
    return {{{1.0f, 0.0f, 0.0f, 0.0f},
             {0.0f, 1.0f, 0.0f, 0.0f},
             {0.0f, 0.0f, 1.0f, 0.0f},
             {x, y, z, 1.0f}}};
}

// The camera's axes are the columns; the last row moves the eye to the origin.
Matrix MatrixLookAtLH(const Vector3& eye, const Vector3& at, const Vector3& up) {
    const Vector3 zAxis = Normalize(Subtract(at, eye));
    const Vector3 xAxis = Normalize(Cross(up, zAxis));
    const Vector3 yAxis = Cross(zAxis, xAxis);
    return {{{xAxis.x, yAxis.x, zAxis.x, 0.0f},
             {xAxis.y, yAxis.y, zAxis.y, 0.0f},
             {xAxis.z, yAxis.z, zAxis.z, 0.0f},
             {-Dot(xAxis, eye), -Dot(yAxis, eye), -Dot(zAxis, eye), 1.0f}}};
}

Matrix MatrixPerspectiveFovLH(float fovY, float aspect, float zn, float zf) {
    const float yScale = 1.0f / std::tan(fovY / 2.0f);
    const float xScale = yScale / aspect;
    return {{{xScale, 0.0f, 0.0f, 0.0f},
             {0.0f, yScale, 0.0f, 0.0f},
             {0.0f, 0.0f, zf / (zf - zn), 1.0f},
             {0.0f, 0.0f, -zn * zf / (zf - zn), 0.0f}}};
}

Matrix MatrixOrthoLH(float w, float h, float zn, float zf) {
    return {{{2.0f / w, 0.0f, 0.0f, 0.0f},
             {0.0f, 2.0f / h, 0.0f, 0.0f},
             {0.0f, 0.0f, 1.0f / (zf - zn), 0.0f},
             {0.0f, 0.0f, zn / (zn - zf), 1.0f}}};
}

Quaternion QuaternionSlerp(const Quaternion& a, const Quaternion& b, float t) {
    float cosine = a.x * b.x + a.y * b.y + a.z * b.z + a.w * b.w;
    float sign = 1.0f;
    if (cosine < 0.0f) {  // take the shorter arc
        cosine = -cosine;
        sign = -1.0f;
    }
    float wa = 1.0f - t;
    float wb = t;
    if (cosine < 1.0f - 1e-6f) {
        const float angle = std::acos(cosine);
        const float sine = std::sin(angle);
        wa = std::sin((1.0f - t) * angle) / sine;
        wb = std::sin(t * angle) / sine;
    }
    wb *= sign;
    return {wa * a.x + wb * b.x, wa * a.y + wb * b.y, wa * a.z + wb * b.z, wa * a.w + wb * b.w};
}

Vector3 Vec3TransformCoord(const Vector3& v, const Matrix& m) {
    const float x = v.x * m.m[0][0] + v.y * m.m[1][0] + v.z * m.m[2][0] + m.m[3][0];
    const float y = v.x * m.m[0][1] + v.y * m.m[1][1] + v.z * m.m[2][1] + m.m[3][1];
    const float z = v.x * m.m[0][2] + v.y * m.m[1][2] + v.z * m.m[2][2] + m.m[3][2];
    const float w = v.x * m.m[0][3] + v.y * m.m[1][3] + v.z * m.m[2][3] + m.m[3][3];
    if (w == 0.0f) return {x, y, z};
    return {x / w, y / w, z / w};
}

}  // namespace vmath
