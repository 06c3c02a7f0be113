#include "scene_core/keyframes.h"

#include <bit>

#include "platform/math/vector_math.h"
#include "scene_core/matrix.h"

namespace {

constexpr uint32_t FloatsPerKey(const Vector3*) {
    return 3;
}
constexpr uint32_t FloatsPerKey(const Quaternion*) {
    return 4;
}

Vector3 Interpolate(const Vector3& a, const Vector3& b, float s) {
    return Lerp(a, b, s);
}
Quaternion Interpolate(const Quaternion& a, const Quaternion& b, float s) {
    return vmath::QuaternionSlerp(a, b, s);
}

}  // namespace

template <class T>
bool KeyTrack<T>::ReadKeys(ByteReader& reader, uint32_t keyCount) {
    Clear();
    static_assert(sizeof(T) == sizeof(float) * FloatsPerKey(static_cast<const T*>(nullptr)));
    constexpr uint32_t floatsPerKey = FloatsPerKey(static_cast<const T*>(nullptr));
    if (keyCount == 0 && !reader.ReadU32(&keyCount)) return false;
    if (keyCount > reader.Remaining() / (floatsPerKey * sizeof(float))) return false;
    keys = std::make_unique<T[]>(keyCount);
    // Keys are raw little-endian floats back to back, as in memory on this (little-endian) host.
    static_assert(std::endian::native == std::endian::little);
    reader.ReadBytes(keys.get(), size_t{keyCount} * sizeof(T));
    count = keyCount;
    return true;
}

template <class T>
T KeyTrack<T>::Sample(float time) const {
    if (count == 0 || !(time >= 0.0f)) return T{};
    const double f = static_cast<double>(time) * 10.0;
    if (f >= static_cast<double>(count - 1)) return keys[count - 1];
    const auto i = static_cast<uint32_t>(f);
    const auto frac = static_cast<float>(f - i);
    return Interpolate(keys[i], keys[i + 1], frac);
}

template class KeyTrack<Vector3>;
template class KeyTrack<Quaternion>;
