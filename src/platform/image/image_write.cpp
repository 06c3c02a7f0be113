#include <stb/stb_image_write.h>

#include "platform/image/image.h"

namespace image {

bool SavePng(const std::string& path, const uint8_t* rgba, uint32_t width, uint32_t height,
             std::string* error) {
    if (stbi_write_png(path.c_str(), static_cast<int>(width), static_cast<int>(height), 4, rgba,
                       static_cast<int>(width * 4)) != 0)
        return true;
    if (error) *error = path + ": the PNG could not be written";
    return false;
}

}  // namespace image
