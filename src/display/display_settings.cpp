#include "display/display_settings.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/file/regular_file.h"

DisplaySettings displaySettings;

void DisplaySettings::ComputeRenderArea() {
    renderWidth = static_cast<int32_t>(screenWidth);
    if (fullscreen) {
        // screenHeight * ratio * 9/16 in single precision: 16:9 on a monitor of the chosen shape.
        const float q = static_cast<float>(static_cast<double>(ratio) / 1.7777777910232544);
        const float height = static_cast<float>(screenHeight) / (1.0f / q);
        renderHeight = static_cast<int32_t>(height);
    } else {
        // Square pixels assumed: the aspect choice does not apply.
        renderHeight = static_cast<int32_t>(static_cast<double>(screenWidth) * 0.5625);
        ratio = 1.3333334f;
    }
    const int32_t spare = static_cast<int32_t>(screenHeight) - renderHeight;
    offset = spare >> 1;  // halved, rounded down (the band may be taller than the screen)
}

namespace {
void WriteSettings(std::FILE* out, const DisplaySettings& s) {
    std::fprintf(out, "screen = %dx%d@%d\n", static_cast<int>(s.screenWidth),
                 static_cast<int>(s.screenHeight), static_cast<int>(s.refreshRate));
    std::fprintf(out, "render = %dx%d\n", s.renderWidth, s.renderHeight);
    std::fprintf(out, "offset = %d\n", s.offset);
    std::fprintf(out, "ratio  = %f\n", static_cast<double>(s.ratio));
    std::fprintf(out, "ms = %d\n", static_cast<int>(s.multiSample));
}
}  // namespace

void DisplaySettings::DumpSettings() const {
    WriteSettings(stdout, *this);
    std::fflush(stdout);
    std::FILE* file = files::OpenRegular("lol.txt", "w");
    if (file == nullptr) {
        std::fprintf(stderr, "display: cannot write \"lol.txt\" (%s); going on without it\n",
                     std::strerror(errno));
        return;
    }
    WriteSettings(file, *this);
    if (std::fclose(file) != 0) {
        std::fprintf(stderr, "display: \"lol.txt\" may be incomplete (%s)\n", std::strerror(errno));
    }
}
