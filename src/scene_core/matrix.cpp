#include "scene_core/matrix.h"

Matrix MatrixIdentity() {
    return vmath::MatrixIdentity();
}

Matrix operator*(const Matrix& a, const Matrix& b) {
    return vmath::MatrixMultiply(a, b);
}

Matrix MatrixYawPitchRoll(float yaw, float pitch, float roll) {
    return vmath::MatrixRotationYawPitchRoll(yaw, pitch, roll);
}

Matrix MatrixYawPitchRoll(const Vector3& v) {
    return MatrixYawPitchRoll(v.x, v.y, v.z);
}

Matrix MatrixRotationQuaternion(const Quaternion& q) {
    return vmath::MatrixRotationFromQuaternion(q);
}

Matrix MatrixScaling(const Vector3& v) {
    return vmath::MatrixScaling(v.x, v.y, v.z);
}

Matrix MatrixTranslation(float x, float y, float z) {
    return vmath::MatrixTranslation(x, y, z);
}

Matrix MatrixTranslation(const Vector3& v) {
    return MatrixTranslation(v.x, v.y, v.z);
}

Matrix MatrixWorld(float x, float y, float z, float yaw, float pitch, float roll, float scale) {
    return MatrixYawPitchRoll(yaw, pitch, roll) * MatrixScaling({scale, scale, scale}) *
           MatrixTranslation(x, y, z);
}

Matrix MatrixWorld(const Vector3& position, const Vector3& yawPitchRoll, float scale) {
    return MatrixYawPitchRoll(yawPitchRoll) * MatrixScaling({scale, scale, scale}) *
           MatrixTranslation(position);
}

Matrix MatrixOrtho(float width, float height) {
    return vmath::MatrixOrthoLH(width, height, 0.0f, 100000.0f);
}

Vector3 TransformCoord(const Vector3& p, const Matrix& m) {
    return vmath::Vec3TransformCoord(p, m);
}

Vector4 ColorFromArgb(uint32_t argb) {
    constexpr float k = 1.0f / 255.0f;
    return {static_cast<float>((argb >> 16) & 0xFF) * k, static_cast<float>((argb >> 8) & 0xFF) * k,
            static_cast<float>(argb & 0xFF) * k, static_cast<float>((argb >> 24) & 0xFF) * k};
}

Vector3 Lerp(const Vector3& a, const Vector3& b, float s) {
    return {a.x + s * (b.x - a.x), a.y + s * (b.y - a.y), a.z + s * (b.z - a.z)};
}
