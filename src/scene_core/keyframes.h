// Keyframed transform tracks: positions and scales (Vector3) and rotations (Quaternion), ten keys
// per second. A mesh reads its three tracks from its file and samples them to build its local
// transform.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

#include "scene_core/math_types.h"

// Bounded little-endian reader over bytes already in memory. Every read checks the bytes left: a
// read past the end returns false, reads nothing and leaves the position unchanged.
class ByteReader {
  public:
    ByteReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    size_t Position() const { return position_; }
    size_t Remaining() const { return size_ - position_; }

    bool Skip(size_t bytes) {
        if (bytes > Remaining()) return false;
        position_ += bytes;
        return true;
    }
    bool ReadBytes(void* out, size_t bytes) {
        if (bytes > Remaining()) return false;
        if (bytes != 0) std::memcpy(out, data_ + position_, bytes);
        position_ += bytes;
        return true;
    }
    bool ReadU16(uint16_t* value) {
        uint8_t b[2];
        if (!ReadBytes(b, 2)) return false;
        *value = static_cast<uint16_t>(b[0] | (b[1] << 8));
        return true;
    }
    bool ReadU32(uint32_t* value) {
        uint8_t b[4];
        if (!ReadBytes(b, 4)) return false;
        *value = uint32_t{b[0]} | (uint32_t{b[1]} << 8) | (uint32_t{b[2]} << 16) |
                 (uint32_t{b[3]} << 24);
        return true;
    }

  private:
    const uint8_t* data_;
    size_t size_;
    size_t position_ = 0;
};

// T is Vector3 or Quaternion. Key k holds the value at time k / 10 seconds.
template <class T>
class KeyTrack {
  public:
    KeyTrack() = default;
    KeyTrack(const KeyTrack&) = delete;
    KeyTrack& operator=(const KeyTrack&) = delete;
    ~KeyTrack() { Clear(); }

    // count 0: the reader gives the count first (32-bit). Refuses, without allocating, a count the
    // bytes left cannot hold; returns false then and leaves the track empty.
    bool ReadKeys(ByteReader& reader, uint32_t count);
    // The zero value for an empty track or a negative time; the last key from the last key's time
    // on; otherwise interpolated (linear for vectors, spherical for rotations).
    T Sample(float time) const;
    // Frees the keys; count becomes 0.
    void Clear() {
        keys.reset();
        count = 0;
    }

    uint32_t count = 0;
    std::unique_ptr<T[]> keys;
};

extern template class KeyTrack<Vector3>;
extern template class KeyTrack<Quaternion>;
