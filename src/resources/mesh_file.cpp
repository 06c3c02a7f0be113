#include "resources/mesh_file.h"

#include <cstdio>
#include <memory>

#include "platform/file/regular_file.h"

namespace {

struct FormatBit {
    gfx::D3DDECLTYPE type;
    gfx::D3DDECLUSAGE usage;
    uint16_t size;
};

// Bits 0..9 of the format field, in bit order.
constexpr FormatBit kFormatBits[10] = {
    {gfx::D3DDECLTYPE_FLOAT3, gfx::D3DDECLUSAGE_POSITION, 12},
    {gfx::D3DDECLTYPE_FLOAT3, gfx::D3DDECLUSAGE_NORMAL, 12},
    {gfx::D3DDECLTYPE_FLOAT2, gfx::D3DDECLUSAGE_TEXCOORD, 8},
    {gfx::D3DDECLTYPE_FLOAT3, gfx::D3DDECLUSAGE_TANGENT, 12},
    {gfx::D3DDECLTYPE_FLOAT3, gfx::D3DDECLUSAGE_BINORMAL, 12},
    {gfx::D3DDECLTYPE_FLOAT3, gfx::D3DDECLUSAGE_COLOR, 12},
    {gfx::D3DDECLTYPE_FLOAT1, gfx::D3DDECLUSAGE_BLENDWEIGHT, 4},
    {gfx::D3DDECLTYPE_FLOAT3, gfx::D3DDECLUSAGE_TEXCOORD, 12},
    {gfx::D3DDECLTYPE_FLOAT3, gfx::D3DDECLUSAGE_TEXCOORD, 12},
    {gfx::D3DDECLTYPE_FLOAT3, gfx::D3DDECLUSAGE_TEXCOORD, 12},
};

constexpr size_t kHeaderBytes = 86;
constexpr size_t kTrailerBytes = 1 + 3 * 4;  // ignored byte and three ignored values

std::string Format(const char* format, unsigned long long a, unsigned long long b = 0) {
    char text[160];
    std::snprintf(text, sizeof text, format, a, b);
    return text;
}

}  // namespace

uint32_t VertexFormatSize(uint16_t formatBits) {
    uint32_t size = 0;
    for (int bit = 0; bit < 10; ++bit) {
        if (formatBits & (1u << bit)) size += kFormatBits[bit].size;
    }
    return size;
}

std::vector<gfx::VertexElement> VertexElementsOf(uint16_t formatBits) {
    std::vector<gfx::VertexElement> elements;
    uint16_t offset = 0;
    for (int bit = 0; bit < 10; ++bit) {
        if (!(formatBits & (1u << bit))) continue;
        const FormatBit& row = kFormatBits[bit];
        elements.push_back({0, offset, row.type, gfx::D3DDECLMETHOD_DEFAULT, row.usage, 0});
        offset = static_cast<uint16_t>(offset + row.size);
    }
    return elements;
}

bool ParseMeshFile(const uint8_t* data, size_t size, MeshFileContents& out, std::string& reason,
                   MeshIndexCheck indexCheck) {
    ByteReader reader(data, size);
    if (size < kHeaderBytes) {
        reason = Format("the header needs %llu bytes, the file has %llu", kHeaderBytes, size);
        return false;
    }
    reader.Skip(4 + 64 + 4);
    reader.ReadU32(&out.triangleCount);
    reader.ReadU32(&out.vertexCount);
    reader.ReadU32(&out.stride);
    reader.ReadU16(&out.formatBits);

    if (out.stride % 4 != 0) {
        reason = Format("stride %llu is not a multiple of 4", out.stride);
        return false;
    }
    const uint32_t elementBytes = VertexFormatSize(out.formatBits);
    if (out.stride < elementBytes) {
        reason = Format("stride %llu is smaller than its elements (%llu bytes)", out.stride,
                        elementBytes);
        return false;
    }

    const uint64_t indexCount = uint64_t{out.triangleCount} * 3;
    if (indexCount * 2 > reader.Remaining()) {
        reason = Format("%llu triangles need %llu bytes of indices, the file holds fewer",
                        out.triangleCount, indexCount * 2);
        return false;
    }
    out.indices.resize(indexCount);
    for (uint16_t& index : out.indices) reader.ReadU16(&index);

    const uint64_t vertexBytes = uint64_t{out.vertexCount} * out.stride;
    if (vertexBytes > reader.Remaining()) {
        reason = Format("%llu vertices need %llu bytes, the file holds fewer", out.vertexCount,
                        vertexBytes);
        return false;
    }
    out.vertices.resize(vertexBytes);
    reader.ReadBytes(out.vertices.data(), vertexBytes);

    for (uint16_t index : out.indices) {
        if (indexCheck == MeshIndexCheck::Refuse && index >= out.vertexCount) {
            reason =
                Format("indices reach past the %llu vertices (index %llu)", out.vertexCount, index);
            return false;
        }
    }

    uint32_t keyCount = 0;
    if (!reader.Skip(kTrailerBytes) || !reader.ReadU32(&keyCount)) {
        reason = "the file ends before its key count";
        return false;
    }
    if (!out.positionKeys.ReadKeys(reader, keyCount) ||
        !out.rotationKeys.ReadKeys(reader, keyCount) || !out.scaleKeys.ReadKeys(reader, keyCount)) {
        reason = keyCount != 0
                     ? Format("%llu keys per track need more bytes than the file holds", keyCount)
                     : "a key count exceeds what the file holds";
        return false;
    }
    return true;
}

bool ReadWholeFile(const char* path, size_t maxBytes, std::vector<uint8_t>& bytes,
                   std::string& reason, bool& opened) {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(files::OpenRegular(path, "rb"),
                                                         &std::fclose);
    opened = file != nullptr;
    if (!opened) {
        reason = "cannot be opened";
        return false;
    }
    // Refuse a file whose size is known to be too large before reading any of it.
    if (std::fseek(file.get(), 0, SEEK_END) == 0) {
        const long size = std::ftell(file.get());
        if (size > 0 && static_cast<unsigned long>(size) > maxBytes) {
            reason = Format("is larger than %llu bytes", maxBytes);
            return false;
        }
        std::rewind(file.get());
    }
    bytes.clear();
    uint8_t chunk[65536];
    for (;;) {
        const size_t got = std::fread(chunk, 1, sizeof chunk, file.get());
        if (got == 0) break;
        if (bytes.size() + got > maxBytes) {
            reason = Format("is larger than %llu bytes", maxBytes);
            return false;
        }
        bytes.insert(bytes.end(), chunk, chunk + got);
    }
    if (std::ferror(file.get())) {
        reason = "cannot be read";
        return false;
    }
    return true;
}
