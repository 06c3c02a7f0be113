// Any bytes given to the image decoder yield a picture or a message, never a crash.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/image/image.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string error;
    auto img = image::Decode(data, size, &error);
    if (img && img->rgba.size() != size_t(img->width) * img->height * 4) __builtin_trap();
    if (!img && error.empty()) __builtin_trap();
    return 0;
}
