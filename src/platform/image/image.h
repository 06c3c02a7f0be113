// image: decodes PNG and JPEG files into 8-bit RGBA pixels, row 0 = the top of the picture.
//
// WHAT IT DOES
//   Reads a whole file (or a memory block), checks its signature and dimensions before decoding and
//   returns the pixels, or a short message saying why not. Truncated, oversized and garbage input
//   give a message, never a crash.
//
// WHAT IT DOES NOT DO
//   No other formats, no scaling, no colour management; writing is PNG only (SavePng).
//
// STEP BY STEP
//   1. image::LoadFile(path, &error)   or image::Decode(bytes, size, &error)
//   2. use image->width, image->height, image->rgba (width * height * 4 bytes)
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace image {

struct Image {
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<uint8_t> rgba;  // top row first, R G B A per pixel
};

// Files larger than this are refused before reading.
constexpr size_t kMaxFileBytes = 256u << 20;

// What the caller can hold: pictures beyond it are refused after reading the header, before
// decoding (a small file may declare a huge picture).
struct Limits {
    uint32_t maxDimension = 16384;          // pixels, width or height
    uint64_t maxPixelBytes = 512ull << 20;  // width * height * 4
};

// The error names the decoder (PNG or JPEG) the data's signature chose and its reason.
std::optional<Image> Decode(const uint8_t* bytes, size_t size, std::string* error = nullptr,
                            const Limits& limits = {});
std::optional<Image> LoadFile(const std::string& path, std::string* error = nullptr,
                              const Limits& limits = {});

// Writes RGBA pixels, top row first, as a PNG file; false with a reason.
bool SavePng(const std::string& path, const uint8_t* rgba, uint32_t width, uint32_t height,
             std::string* error = nullptr);

}  // namespace image
