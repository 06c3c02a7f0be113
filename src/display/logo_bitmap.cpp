// The logo, drawn pixel by pixel: a night-blue gradient, a pink pig face with ears, eyes and snout,
// and the word VESS/MARK in block letters. The important parts stay inside the middle 105 columns,
// since the dialog's picture control is a little narrower than the bitmap and centres it.
#include "display/logo_bitmap.h"

#include <algorithm>
#include <cmath>

namespace {

struct Rgb {
    int r, g, b;
};

class Canvas {
  public:
    Canvas() : pixels_(static_cast<size_t>(kLogoWidth) * kLogoHeight * 3u, 0) {}

    void Set(int x, int y, Rgb c) {
        if (x < 0 || y < 0 || x >= kLogoWidth || y >= kLogoHeight) return;
        const size_t i = (static_cast<size_t>(y) * kLogoWidth + static_cast<size_t>(x)) * 3u;
        pixels_[i] = static_cast<uint8_t>(std::clamp(c.r, 0, 255));
        pixels_[i + 1] = static_cast<uint8_t>(std::clamp(c.g, 0, 255));
        pixels_[i + 2] = static_cast<uint8_t>(std::clamp(c.b, 0, 255));
    }

    // Fills where inside(x, y) holds, sampled at pixel centres.
    template <typename Inside>
    void Fill(Inside inside, Rgb c) {
        for (int y = 0; y < kLogoHeight; ++y)
            for (int x = 0; x < kLogoWidth; ++x)
                if (inside(x + 0.5f, y + 0.5f)) Set(x, y, c);
    }

    std::vector<uint8_t> Take() { return std::move(pixels_); }

  private:
    std::vector<uint8_t> pixels_;
};

auto Ellipse(float cx, float cy, float rx, float ry) {
    return [=](float x, float y) {
        const float dx = (x - cx) / rx, dy = (y - cy) / ry;
        return dx * dx + dy * dy <= 1.0f;
    };
}

// Triangle by its three corners (any winding).
auto Triangle(float ax, float ay, float bx, float by, float cx, float cy) {
    return [=](float x, float y) {
        const float d1 = (x - bx) * (ay - by) - (ax - bx) * (y - by);
        const float d2 = (x - cx) * (by - cy) - (bx - cx) * (y - cy);
        const float d3 = (x - ax) * (cy - ay) - (cx - ax) * (y - ay);
        const bool neg = d1 < 0 || d2 < 0 || d3 < 0;
        const bool pos = d1 > 0 || d2 > 0 || d3 > 0;
        return !(neg && pos);
    };
}

// 5 x 7 block letters, one row per byte, high bit on the left (bits 4..0).
struct Glyph {
    char letter;
    uint8_t rows[7];
};
constexpr Glyph kGlyphs[] = {
    {'V', {0x11, 0x11, 0x11, 0x11, 0x11, 0x0A, 0x04}},
    {'E', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x1F}},
    {'S', {0x0F, 0x10, 0x10, 0x0E, 0x01, 0x01, 0x1E}},
    {'M', {0x11, 0x1B, 0x15, 0x15, 0x11, 0x11, 0x11}},
    {'A', {0x0E, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11}},
    {'R', {0x1E, 0x11, 0x11, 0x1E, 0x14, 0x12, 0x11}},
    {'K', {0x11, 0x12, 0x14, 0x18, 0x14, 0x12, 0x11}},
};

void DrawWord(Canvas& canvas, const char* word, int top, int scale, Rgb face, Rgb shadow) {
    int letters = 0;
    while (word[letters] != '\0') ++letters;
    const int advance = 6 * scale;
    const int width = letters * advance - scale;
    const int left = (kLogoWidth - width) / 2;
    for (int n = 0; n < letters; ++n) {
        const Glyph* glyph = nullptr;
        for (const Glyph& g : kGlyphs)
            if (g.letter == word[n]) glyph = &g;
        if (glyph == nullptr) continue;
        for (int row = 0; row < 7; ++row)
            for (int col = 0; col < 5; ++col) {
                if ((glyph->rows[row] >> (4 - col) & 1) == 0) continue;
                for (int sy = 0; sy < scale; ++sy)
                    for (int sx = 0; sx < scale; ++sx) {
                        const int x = left + n * advance + col * scale + sx;
                        const int y = top + row * scale + sy;
                        canvas.Set(x + 1, y + 1, shadow);
                        canvas.Set(x, y, face);
                    }
            }
    }
}

}  // namespace

std::vector<uint8_t> MakeLogoBitmap() {
    Canvas canvas;
    // Night-blue gradient with a faint horizon glow.
    for (int y = 0; y < kLogoHeight; ++y) {
        const float t = static_cast<float>(y) / (kLogoHeight - 1);
        const float glow = std::exp(-std::pow((t - 0.62f) * 6.0f, 2.0f));
        const Rgb c{static_cast<int>(18 + 40 * t + 70 * glow),
                    static_cast<int>(16 + 20 * t + 30 * glow),
                    static_cast<int>(60 + 50 * t + 40 * glow)};
        for (int x = 0; x < kLogoWidth; ++x) canvas.Set(x, y, c);
    }
    // Little stars.
    const int stars[][2] = {{18, 12}, {100, 9}, {30, 34}, {96, 40}, {15, 58}, {108, 66}, {60, 6}};
    for (const auto& s : stars) canvas.Set(s[0], s[1], Rgb{220, 220, 255});

    const Rgb pink{246, 166, 190}, darkPink{214, 112, 146}, inner{236, 128, 160};
    const Rgb white{255, 255, 255}, black{24, 20, 32}, snout{240, 140, 170};

    // Ears, then the head over them.
    canvas.Fill(Triangle(30, 62, 40, 22, 56, 48), darkPink);
    canvas.Fill(Triangle(95, 62, 85, 22, 69, 48), darkPink);
    canvas.Fill(Triangle(35, 56, 41, 31, 51, 48), inner);
    canvas.Fill(Triangle(90, 56, 84, 31, 74, 48), inner);
    canvas.Fill(Ellipse(62.5f, 76, 41, 36), darkPink);
    canvas.Fill(Ellipse(62.5f, 75, 39, 34), pink);
    // Cheeks.
    canvas.Fill(Ellipse(36, 88, 8, 5), Rgb{250, 140, 170});
    canvas.Fill(Ellipse(89, 88, 8, 5), Rgb{250, 140, 170});
    // Eyes with a glint.
    canvas.Fill(Ellipse(47, 66, 6, 7), white);
    canvas.Fill(Ellipse(78, 66, 6, 7), white);
    canvas.Fill(Ellipse(48, 67, 3.5f, 4.5f), black);
    canvas.Fill(Ellipse(79, 67, 3.5f, 4.5f), black);
    canvas.Set(47, 65, white);
    canvas.Set(78, 65, white);
    // Snout with nostrils.
    canvas.Fill(Ellipse(62.5f, 88, 17, 11), darkPink);
    canvas.Fill(Ellipse(62.5f, 87.5f, 15.5f, 9.5f), snout);
    canvas.Fill(Ellipse(56, 88, 3, 4.5f), Rgb{150, 60, 90});
    canvas.Fill(Ellipse(69, 88, 3, 4.5f), Rgb{150, 60, 90});
    // Smile.
    canvas.Fill(
        [](float x, float y) {
            const float dx = (x - 62.5f) / 12.0f, dy = (y - 98.0f) / 6.0f;
            const float r = dx * dx + dy * dy;
            return y > 100.0f && r >= 0.75f && r <= 1.0f;
        },
        darkPink);

    // The name in two lines.
    DrawWord(canvas, "VESS", 132, 3, Rgb{255, 214, 228}, Rgb{90, 30, 70});
    DrawWord(canvas, "MARK", 160, 3, Rgb{255, 214, 228}, Rgb{90, 30, 70});
    // A thin rule between the face and the name.
    for (int x = 22; x < kLogoWidth - 22; ++x) canvas.Set(x, 124, Rgb{246, 166, 190});
    return canvas.Take();
}
