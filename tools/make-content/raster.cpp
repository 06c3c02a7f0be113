#include "raster.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <stb_image_write.h>

#include <algorithm>
#include <cmath>
#include <filesystem>

namespace content {

Rgb Mix(Rgb a, Rgb b, float t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Canvas::Canvas(int w, int h, Rgb fill) : width(w), height(h), pixels(size_t(w) * size_t(h), fill) {}

void Canvas::blend(int x, int y, Rgb c, float a) {
    if (x < 0 || y < 0 || x >= width || y >= height || a <= 0) return;
    Rgb& p = at(x, y);
    p = Mix(p, c, std::min(a, 1.0f));
}

void Canvas::disc(float cx, float cy, float radius, Rgb c, float alpha) {
    const int x0 = int(std::floor(cx - radius - 1)), x1 = int(std::ceil(cx + radius + 1));
    const int y0 = int(std::floor(cy - radius - 1)), y1 = int(std::ceil(cy + radius + 1));
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) {
            const float d = std::hypot(float(x) + 0.5f - cx, float(y) + 0.5f - cy);
            blend(x, y, c, alpha * std::clamp(radius - d + 0.5f, 0.0f, 1.0f));
        }
}

std::vector<uint8_t> Canvas::toRgb8() const {
    std::vector<uint8_t> out(pixels.size() * 3);
    auto q = [](float v) { return uint8_t(std::lround(std::clamp(v, 0.0f, 1.0f) * 255.0f)); };
    for (size_t i = 0; i < pixels.size(); ++i) {
        out[i * 3] = q(pixels[i].r);
        out[i * 3 + 1] = q(pixels[i].g);
        out[i * 3 + 2] = q(pixels[i].b);
    }
    return out;
}

std::string FindDejaVuFont(const std::string& fileName, std::string* error) {
    static const char* kFolders[] = {"/usr/share/fonts/truetype/dejavu", "/usr/share/fonts/dejavu",
                                     "/usr/share/fonts/TTF", "/usr/local/share/fonts"};
    std::error_code ec;
    for (const char* folder : kFolders) {
        const std::filesystem::path p = std::filesystem::path(folder) / fileName;
        if (std::filesystem::is_regular_file(p, ec)) return p.string();
    }
    *error = "font " + fileName +
             " not found in /usr/share/fonts/truetype/dejavu (install fonts-dejavu-core)";
    return "";
}

struct TextWriter::Impl {
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    ~Impl() {
        if (face) FT_Done_Face(face);
        if (library) FT_Done_FreeType(library);
    }
};

TextWriter::TextWriter() = default;
TextWriter::~TextWriter() = default;

bool TextWriter::open(const std::string& fontFile, std::string* error) {
    const std::string path = FindDejaVuFont(fontFile, error);
    if (path.empty()) return false;
    impl_ = std::make_unique<Impl>();
    if (FT_Init_FreeType(&impl_->library) != 0 ||
        FT_New_Face(impl_->library, path.c_str(), 0, &impl_->face) != 0) {
        *error = "FreeType cannot read " + path;
        impl_.reset();
        return false;
    }
    return true;
}

float TextWriter::layout(Canvas* canvas, const std::string& text, float x, float y, int pixelHeight,
                         Rgb colour, float alpha, float letterSpacing) {
    if (!impl_) return 0;
    FT_Face face = impl_->face;
    FT_Set_Pixel_Sizes(face, 0, FT_UInt(pixelHeight));
    float pen = x;
    FT_UInt previous = 0;
    for (unsigned char ch : text) {  // the texts are ASCII
        const FT_UInt glyph = FT_Get_Char_Index(face, ch);
        if (previous && glyph && FT_HAS_KERNING(face)) {
            FT_Vector kern;
            FT_Get_Kerning(face, previous, glyph, FT_KERNING_DEFAULT, &kern);
            pen += float(kern.x) / 64.0f;
        }
        if (FT_Load_Glyph(face, glyph, FT_LOAD_RENDER) != 0) continue;
        const FT_GlyphSlot slot = face->glyph;
        if (canvas) {
            const FT_Bitmap& bm = slot->bitmap;
            const int left = int(std::lround(pen)) + slot->bitmap_left;
            const int top = int(std::lround(y)) - slot->bitmap_top;
            for (unsigned row = 0; row < bm.rows; ++row)
                for (unsigned col = 0; col < bm.width; ++col) {
                    const float cover = float(bm.buffer[row * unsigned(bm.pitch) + col]) / 255.0f;
                    canvas->blend(left + int(col), top + int(row), colour, cover * alpha);
                }
        }
        pen += float(slot->advance.x) / 64.0f + letterSpacing;
        previous = glyph;
    }
    return pen - x - (text.empty() ? 0 : letterSpacing);
}

float TextWriter::measure(const std::string& text, int pixelHeight) {
    return layout(nullptr, text, 0, 0, pixelHeight, {}, 0, 0);
}

void TextWriter::draw(Canvas& canvas, const std::string& text, float x, float y, int pixelHeight,
                      Rgb colour, float alpha, float letterSpacing) {
    layout(&canvas, text, x, y, pixelHeight, colour, alpha, letterSpacing);
}

void TextWriter::drawCentred(Canvas& canvas, const std::string& text, float cx, float y,
                             int pixelHeight, Rgb colour, float alpha, float letterSpacing) {
    const float w = layout(nullptr, text, 0, 0, pixelHeight, {}, 0, letterSpacing);
    layout(&canvas, text, cx - w * 0.5f, y, pixelHeight, colour, alpha, letterSpacing);
}

bool WritePng(const Canvas& canvas, const std::string& path, std::string* error) {
    const auto rgb = canvas.toRgb8();
    if (!stbi_write_png(path.c_str(), canvas.width, canvas.height, 3, rgb.data(),
                        canvas.width * 3)) {
        *error = "cannot write " + path;
        return false;
    }
    return true;
}

bool WriteJpeg(const Canvas& canvas, const std::string& path, int quality, std::string* error) {
    const auto rgb = canvas.toRgb8();
    if (!stbi_write_jpg(path.c_str(), canvas.width, canvas.height, 3, rgb.data(), quality)) {
        *error = "cannot write " + path;
        return false;
    }
    return true;
}

}  // namespace content
