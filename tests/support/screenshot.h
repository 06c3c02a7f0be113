// Screenshots of a test's Xvfb screen as RGB pixels, for tests that check what a window shows.
#pragma once

#include <stb/stb_image.h>

#include <cstdint>
#include <filesystem>
#include <vector>

#include "support/xvfb_session.h"

namespace vmtest {

struct Screenshot {
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;  // top row first
    const uint8_t* At(int x, int y) const { return &rgb[(static_cast<size_t>(y) * width + x) * 3]; }
};

// The whole screen, saved to `file` by ImageMagick's import and read back (empty on failure).
inline Screenshot Shoot(const XvfbSession& xvfb, const std::filesystem::path& file) {
    xvfb.X("import -window root " + file.string());
    Screenshot shot;
    int channels = 0;
    if (uint8_t* pixels = stbi_load(file.c_str(), &shot.width, &shot.height, &channels, 3)) {
        shot.rgb.assign(pixels, pixels + static_cast<size_t>(shot.width) * shot.height * 3);
        stbi_image_free(pixels);
    }
    return shot;
}

}  // namespace vmtest
