// Track: one keyed curve of the timeline, evaluated at fractional rows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>

// The sync layer's types live in `sync`, nested in the inline namespace `vm`: POSIX declares a
// global function sync() (<unistd.h>, which <memory> pulls in), and a global namespace of the same
// name would clash with it. Code writes sync::Track as usual; only a call of ::sync() itself would
// be ambiguous.

inline namespace vm {
namespace sync {

// How the curve goes from a key to the next one; any other stored value behaves as Step.
enum Interpolation : int32_t {
    Step = 0,
    Linear = 1,
    Cosine = 2,
    Quadratic = 3,
};

struct TrackKey {
    float value = 0.0f;
    int32_t interpolation = Step;
};

class Track {
  public:
    // Inserts the key, or replaces the key already at that row.
    void setKey(uint32_t row, TrackKey key);
    // 0.0 for an empty track; the first key's value before it, the last key's value after it;
    // between keys the earlier key's kind decides the curve. The segment is found from
    // floor(row) as a signed 32-bit row read as unsigned; for rows outside the int32 range that
    // row is not the row itself, and the curve extends beyond its keys (the fraction leaves 0..1).
    float valueAt(float row) const;
    size_t keyCount() const { return keys_.size(); }
    const std::map<uint32_t, TrackKey>& keys() const { return keys_; }

  private:
    std::map<uint32_t, TrackKey> keys_;
};

}  // namespace sync
}  // namespace vm
