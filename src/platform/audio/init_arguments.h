// Init's refusals, the same on every back end (SDL natively, Web Audio in the browser).
#pragma once

#include <cstdint>
#include <cstdio>

#include "platform/audio/sample_source.h"

namespace audio {

// False, with the reason on stderr, for a second Init, another device than the default, or
// another rate than the decoder's.
inline bool InitArgumentsOk(bool initialized, int device, uint32_t frequency) {
    if (initialized) {
        std::fprintf(stderr, "audio: Init called twice without Free\n");
        return false;
    }
    if (device != 1 && device != -1) {
        std::fprintf(stderr, "audio: only the default output device (1 or -1) is offered, not %d\n",
                     device);
        return false;
    }
    if (frequency != static_cast<uint32_t>(kDecodeRate)) {
        std::fprintf(stderr, "audio: only %d Hz output is offered, not %u\n", kDecodeRate,
                     frequency);
        return false;
    }
    return true;
}

}  // namespace audio
