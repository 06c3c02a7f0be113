#include "contact_sheet.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include <stb/stb_image_write.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace capture {

namespace {

constexpr uint32_t kLabelHeight = 22;
constexpr uint32_t kGap = 6;
constexpr const char* kFonts[] = {
    "/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf",
    "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
};

// Draws text in light grey onto an RGB image with FreeType; silently draws nothing without a font.
void DrawText(std::vector<uint8_t>& rgb, uint32_t width, uint32_t height, int x, int baseline,
              const std::string& text) {
    FT_Library lib = nullptr;
    if (FT_Init_FreeType(&lib) != 0) return;
    FT_Face face = nullptr;
    for (const char* path : kFonts) {
        if (FT_New_Face(lib, path, 0, &face) == 0) break;
        face = nullptr;
    }
    if (face && FT_Set_Pixel_Sizes(face, 0, 14) == 0) {
        int pen = x;
        for (char c : text) {
            if (FT_Load_Char(face, static_cast<unsigned char>(c), FT_LOAD_RENDER) != 0) continue;
            const FT_Bitmap& bm = face->glyph->bitmap;
            int left = pen + face->glyph->bitmap_left;
            int top = baseline - face->glyph->bitmap_top;
            for (unsigned row = 0; row < bm.rows; ++row) {
                for (unsigned col = 0; col < bm.width; ++col) {
                    int px = left + int(col), py = top + int(row);
                    if (px < 0 || py < 0 || px >= int(width) || py >= int(height)) continue;
                    unsigned a = bm.buffer[row * bm.pitch + col];
                    uint8_t* p = &rgb[(size_t(py) * width + px) * 3];
                    for (int k = 0; k < 3; ++k) p[k] = uint8_t((p[k] * (255 - a) + 220 * a) / 255);
                }
            }
            pen += int(face->glyph->advance.x >> 6);
        }
    }
    if (face) FT_Done_Face(face);
    FT_Done_FreeType(lib);
}

}  // namespace

std::string FormatTime(double seconds) {
    if (seconds < 0) seconds = 0;
    int minutes = int(seconds / 60.0);
    double rest = seconds - minutes * 60.0;
    char buf[32];
    std::snprintf(buf, sizeof buf, "%d:%05.2f", minutes, rest);
    return buf;
}

ContactSheet::ContactSheet(uint32_t frameWidth, uint32_t frameHeight, uint32_t columns,
                           uint32_t thumbWidth)
    : frameWidth_(frameWidth),
      frameHeight_(frameHeight),
      columns_(std::max(1u, columns)),
      thumbWidth_(std::max(1u, std::min(thumbWidth, frameWidth))),
      thumbHeight_(std::max(1u, uint32_t(uint64_t(frameHeight) * thumbWidth_ / frameWidth))) {}

void ContactSheet::Add(const uint8_t* rgba, double seconds) {
    // Box filter: every source pixel lands in exactly one cell pixel.
    std::vector<uint32_t> sum(size_t(thumbWidth_) * thumbHeight_ * 4, 0);
    for (uint32_t y = 0; y < frameHeight_; ++y) {
        uint32_t ty = uint32_t(uint64_t(y) * thumbHeight_ / frameHeight_);
        for (uint32_t x = 0; x < frameWidth_; ++x) {
            uint32_t tx = uint32_t(uint64_t(x) * thumbWidth_ / frameWidth_);
            const uint8_t* p = &rgba[(size_t(y) * frameWidth_ + x) * 4];
            uint32_t* s = &sum[(size_t(ty) * thumbWidth_ + tx) * 4];
            s[0] += p[0];
            s[1] += p[1];
            s[2] += p[2];
            s[3] += 1;
        }
    }
    std::vector<uint8_t> thumb(size_t(thumbWidth_) * thumbHeight_ * 3);
    for (size_t i = 0; i < size_t(thumbWidth_) * thumbHeight_; ++i) {
        uint32_t n = std::max(1u, sum[i * 4 + 3]);
        for (int k = 0; k < 3; ++k) thumb[i * 3 + k] = uint8_t(sum[i * 4 + k] / n);
    }
    thumbs_.push_back(std::move(thumb));
    labels_.push_back(FormatTime(seconds));
}

bool ContactSheet::Write(const std::string& path, std::string* error) const {
    if (thumbs_.empty()) {
        *error = "capture: no frames for the contact sheet " + path;
        return false;
    }
    uint32_t cols = std::min<uint32_t>(columns_, uint32_t(thumbs_.size()));
    uint32_t rows = uint32_t((thumbs_.size() + cols - 1) / cols);
    uint32_t cellW = thumbWidth_ + kGap, cellH = thumbHeight_ + kLabelHeight + kGap;
    uint32_t width = cols * cellW + kGap, height = rows * cellH + kGap;
    std::vector<uint8_t> sheet(size_t(width) * height * 3, 24);
    for (size_t i = 0; i < thumbs_.size(); ++i) {
        uint32_t cx = kGap + uint32_t(i % cols) * cellW;
        uint32_t cy = kGap + uint32_t(i / cols) * cellH;
        for (uint32_t y = 0; y < thumbHeight_; ++y) {
            std::copy_n(&thumbs_[i][size_t(y) * thumbWidth_ * 3], thumbWidth_ * 3,
                        &sheet[(size_t(cy + y) * width + cx) * 3]);
        }
        DrawText(sheet, width, height, int(cx + 2), int(cy + thumbHeight_ + 16), labels_[i]);
    }
    if (!stbi_write_png(path.c_str(), int(width), int(height), 3, sheet.data(), int(width * 3))) {
        *error = "capture: cannot write " + path;
        return false;
    }
    return true;
}

}  // namespace capture
