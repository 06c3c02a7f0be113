// raster: a small RGB canvas with the drawing the generated images need (gradients, discs,
// blending) and text set in DejaVu through FreeType.
//
// Fonts are looked up by file name in the usual DejaVu folders (no fontconfig); a missing font is a
// clear error, never a silent fallback.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace content {

struct Rgb {
    float r = 0, g = 0, b = 0;  // 0..1
};
Rgb Mix(Rgb a, Rgb b, float t);

struct Canvas {
    int width = 0, height = 0;
    std::vector<Rgb> pixels;  // row 0 is the top of the picture
    Canvas(int w, int h, Rgb fill = {});
    Rgb& at(int x, int y) { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
    // Blends colour c over pixel (x, y) with coverage a (ignored outside the canvas).
    void blend(int x, int y, Rgb c, float a);
    // Anti-aliased filled disc.
    void disc(float cx, float cy, float radius, Rgb c, float alpha = 1.0f);
    std::vector<uint8_t> toRgb8() const;
};

// Full path of a DejaVu font file such as "DejaVuSans-Bold.ttf", or "" with *error set.
std::string FindDejaVuFont(const std::string& fileName, std::string* error);

class TextWriter {
  public:
    TextWriter();
    ~TextWriter();
    // Opens the font; false with *error set when it cannot be found or read.
    bool open(const std::string& fontFile, std::string* error);
    // Width in pixels of text at the given pixel height.
    float measure(const std::string& text, int pixelHeight);
    // Draws text with its baseline at y, starting at x; letterSpacing adds pixels between glyphs.
    void draw(Canvas& canvas, const std::string& text, float x, float y, int pixelHeight,
              Rgb colour, float alpha = 1.0f, float letterSpacing = 0.0f);
    void drawCentred(Canvas& canvas, const std::string& text, float cx, float y, int pixelHeight,
                     Rgb colour, float alpha = 1.0f, float letterSpacing = 0.0f);

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
    float layout(Canvas* canvas, const std::string& text, float x, float y, int pixelHeight,
                 Rgb colour, float alpha, float letterSpacing);
};

// Encoders (stb_image_write); false with *error set on failure.
bool WritePng(const Canvas& canvas, const std::string& path, std::string* error);
bool WriteJpeg(const Canvas& canvas, const std::string& path, int quality, std::string* error);

}  // namespace content
