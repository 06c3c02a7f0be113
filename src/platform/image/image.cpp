#include "platform/image/image.h"

#include <stb/stb_image.h>

#include <cstring>
#include <fstream>

namespace image {
namespace {

std::optional<Image> Fail(std::string* error, std::string message) {
    if (error) *error = std::move(message);
    return std::nullopt;
}

bool IsPng(const uint8_t* b, size_t n) {
    static const uint8_t kSig[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    return n >= 8 && std::memcmp(b, kSig, 8) == 0;
}

bool IsJpeg(const uint8_t* b, size_t n) {
    return n >= 3 && b[0] == 0xFF && b[1] == 0xD8 && b[2] == 0xFF;
}

}  // namespace

std::optional<Image> Decode(const uint8_t* bytes, size_t size, std::string* error) {
    if (!bytes || size == 0) return Fail(error, "empty image data");
    if (size > kMaxFileBytes) return Fail(error, "image data too large");
    if (!IsPng(bytes, size) && !IsJpeg(bytes, size)) return Fail(error, "not a PNG or JPEG image");

    const int len = static_cast<int>(size);
    int w = 0, h = 0, channels = 0;
    if (!stbi_info_from_memory(bytes, len, &w, &h, &channels))
        return Fail(error, std::string("unreadable image header: ") + stbi_failure_reason());
    if (w <= 0 || h <= 0 || static_cast<uint32_t>(w) > kMaxDimension ||
        static_cast<uint32_t>(h) > kMaxDimension)
        return Fail(
            error, "image dimensions out of range: " + std::to_string(w) + "x" + std::to_string(h));

    stbi_uc* pixels = stbi_load_from_memory(bytes, len, &w, &h, &channels, 4);
    if (!pixels) return Fail(error, std::string("cannot decode image: ") + stbi_failure_reason());
    Image img;
    img.width = static_cast<uint32_t>(w);
    img.height = static_cast<uint32_t>(h);
    img.rgba.assign(pixels, pixels + size_t(w) * size_t(h) * 4);
    stbi_image_free(pixels);
    return img;
}

std::optional<Image> LoadFile(const std::string& path, std::string* error) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) return Fail(error, "cannot open " + path);
    const std::streamoff end = in.tellg();
    if (end <= 0) return Fail(error, "empty file " + path);
    if (static_cast<uint64_t>(end) > kMaxFileBytes) return Fail(error, "file too large " + path);
    std::vector<uint8_t> bytes(static_cast<size_t>(end));
    in.seekg(0);
    if (!in.read(reinterpret_cast<char*>(bytes.data()), end))
        return Fail(error, "cannot read " + path);
    std::string why;
    auto img = Decode(bytes.data(), bytes.size(), &why);
    if (!img) return Fail(error, path + ": " + why);
    return img;
}

}  // namespace image
