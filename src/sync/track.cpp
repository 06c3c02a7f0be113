#include "sync/track.h"

#include <cmath>
#include <cstdint>
#include <iterator>

#include "platform/math/float_to_int.h"

inline namespace vm {
namespace sync {
namespace {

// floor(row) as a 32-bit signed integer, reused as an unsigned row; rows outside the int32 range
// (and NaN) give INT32_MIN, as on x86.
uint32_t SearchRow(float row) {
    return static_cast<uint32_t>(vmath::TruncateToInt32(std::floor(row)));
}

}  // namespace

void Track::setKey(uint32_t row, TrackKey key) {
    keys_[row] = key;
}

float Track::valueAt(float row) const {
    if (keys_.empty()) return 0.0f;

    auto next = keys_.upper_bound(SearchRow(row));
    if (next == keys_.begin()) return next->second.value;
    auto prev = std::prev(next);
    if (next == keys_.end()) return prev->second.value;

    const TrackKey& k0 = prev->second;
    const uint32_t r0 = prev->first;
    const uint32_t span = next->first - r0;
    const float t = static_cast<float>((static_cast<double>(row) - static_cast<double>(r0)) /
                                       static_cast<double>(span));
    float u;
    switch (k0.interpolation) {
        case Linear:
            u = t;
            break;
        case Cosine:
            u = static_cast<float>((1.0 - std::cos(static_cast<double>(t) * 3.141592653589793)) *
                                   0.5);
            break;
        case Quadratic:
            u = static_cast<float>(std::pow(static_cast<double>(t), 2.0));
            break;
        default:
            return k0.value;  // Step, and every unknown kind
    }
    // Only the difference and the result are rounded to float; the product is not.
    const float delta = next->second.value - k0.value;
    return static_cast<float>(static_cast<double>(k0.value) +
                              static_cast<double>(delta) * static_cast<double>(u));
}

}  // namespace sync
}  // namespace vm
