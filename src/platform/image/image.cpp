#include "platform/image/image.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

#include "platform/file/regular_file.h"
#include "platform/image/stb_decoder.h"

namespace image {
namespace {

std::optional<Image> Fail(std::string* error, std::string message) {
    if (error) *error = std::move(message);
    return std::nullopt;
}

// The decoder the file's signature names, or null.
const detail::StbDecoder* DecoderFor(const uint8_t* b, size_t n) {
    static const uint8_t kPng[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (n >= 8 && std::memcmp(b, kPng, 8) == 0) return &detail::kPngDecoder;
    if (n >= 3 && b[0] == 0xFF && b[1] == 0xD8 && b[2] == 0xFF) return &detail::kJpegDecoder;
    return nullptr;
}

// stb_image writes past its table for a Huffman table of more than 256 codes (found by fuzzing):
// false for a JPEG holding one. Walks the marker segments, skipping entropy-coded data.
bool JpegHuffmanTablesFit(const uint8_t* b, size_t n) {
    size_t pos = 2;
    while (pos + 4 <= n) {
        if (b[pos] != 0xFF) {  // entropy-coded data: on to the next marker
            ++pos;
            continue;
        }
        const uint8_t marker = b[pos + 1];
        if (marker == 0xFF || marker == 0x00 || (marker >= 0xD0 && marker <= 0xD8) ||
            marker == 0x01) {
            pos += marker == 0xFF ? 1 : 2;
            continue;
        }
        if (marker == 0xD9) break;
        const size_t length = size_t(b[pos + 2]) << 8 | b[pos + 3];
        const size_t end = std::min(n, pos + 2 + length);
        if (marker == 0xC4) {
            // stb reads a table cut by the end of the data as if zeros followed.
            for (size_t table = pos + 4; table < end;) {
                size_t codes = 0;
                for (size_t i = 1; i <= 16 && table + i < n; ++i) codes += b[table + i];
                if (codes > 256) return false;
                table += 17 + codes;
            }
        }
        pos = std::max(end, pos + 2);
    }
    return true;
}

// stb_image grows its buffer to what a chunk's length field claims before reading it (2 GiB for a
// small file, found by fuzzing): false for a PNG whose chunks claim more than the data holds.
bool PngChunksFit(const uint8_t* b, size_t n) {
    for (size_t pos = 8; pos + 8 <= n;) {
        const size_t length =
            size_t(b[pos]) << 24 | size_t(b[pos + 1]) << 16 | size_t(b[pos + 2]) << 8 | b[pos + 3];
        if (length > n - pos - 8) return false;
        if (std::memcmp(b + pos + 4, "IEND", 4) == 0) break;
        pos += 12 + length;
    }
    return true;
}

}  // namespace

std::optional<Image> Decode(const uint8_t* bytes, size_t size, std::string* error,
                            const Limits& limits) {
    if (!bytes || size == 0) return Fail(error, "empty image data");
    if (size > kMaxFileBytes) return Fail(error, "image data too large");
    const detail::StbDecoder* decoder = DecoderFor(bytes, size);
    if (!decoder) return Fail(error, "not a PNG or JPEG image");
    if (decoder == &detail::kPngDecoder && !PngChunksFit(bytes, size))
        return Fail(error, "bad PNG: a chunk longer than the data");
    if (decoder == &detail::kJpegDecoder && !JpegHuffmanTablesFit(bytes, size))
        return Fail(error, "bad JPEG: a Huffman table with more than 256 codes");

    const int len = static_cast<int>(size);
    int w = 0, h = 0;
    if (!decoder->info(bytes, len, &w, &h))
        return Fail(error,
                    std::string("unreadable ") + decoder->name + " header: " + decoder->failure());
    const std::string size_text = std::to_string(w) + "x" + std::to_string(h);
    if (w <= 0 || h <= 0 || static_cast<uint32_t>(w) > limits.maxDimension ||
        static_cast<uint32_t>(h) > limits.maxDimension)
        return Fail(error, "image dimensions out of range: " + size_text);
    if (uint64_t(w) * uint64_t(h) * 4 > limits.maxPixelBytes)
        return Fail(error, "image too large to hold: " + size_text);

    std::unique_ptr<uint8_t, void (*)(uint8_t*)> pixels(decoder->load(bytes, len, &w, &h),
                                                        decoder->release);
    if (!pixels)
        return Fail(error,
                    std::string("cannot decode ") + decoder->name + ": " + decoder->failure());
    Image img;
    img.width = static_cast<uint32_t>(w);
    img.height = static_cast<uint32_t>(h);
    img.rgba.assign(pixels.get(), pixels.get() + size_t(w) * size_t(h) * 4);
    return img;
}

std::optional<Image> LoadFile(const std::string& path, std::string* error, const Limits& limits) {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(files::OpenRegular(path.c_str(), "rb"),
                                                         &std::fclose);
    if (!file) return Fail(error, "cannot open " + path);
    const long end = std::fseek(file.get(), 0, SEEK_END) == 0 ? std::ftell(file.get()) : -1;
    if (end <= 0) return Fail(error, "empty file " + path);
    if (static_cast<uint64_t>(end) > kMaxFileBytes) return Fail(error, "file too large " + path);
    std::rewind(file.get());
    std::vector<uint8_t> bytes(static_cast<size_t>(end));
    if (std::fread(bytes.data(), 1, bytes.size(), file.get()) != bytes.size())
        return Fail(error, "cannot read " + path);
    std::string why;
    auto img = Decode(bytes.data(), bytes.size(), &why, limits);
    if (!img) return Fail(error, path + ": " + why);
    return img;
}

}  // namespace image
