// stb_decoder: stb_image compiled into the program once per format (PNG, JPEG), so that each
// reports its own failure reason and sanitizers and fuzzers see inside the decoder.
#pragma once

#include <cstdint>

namespace image::detail {

struct StbDecoder {
    const char* name;
    // Size without decoding; false when the header is unreadable.
    bool (*info)(const uint8_t* bytes, int size, int* width, int* height);
    // RGBA pixels, top row first; null on failure. Free with release().
    uint8_t* (*load)(const uint8_t* bytes, int size, int* width, int* height);
    void (*release)(uint8_t* pixels);
    const char* (*failure)();  // the reason of this decoder's last failure
};

extern const StbDecoder kPngDecoder;
extern const StbDecoder kJpegDecoder;

}  // namespace image::detail
