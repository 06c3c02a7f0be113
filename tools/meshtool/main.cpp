// meshtool: prints what a mesh file holds (header, vertex elements, bounds, keys).
// Usage: vessmark-meshtool FILE.mesh [...]
#include <cfloat>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "resources/mesh_file.h"

namespace {

// Names of format bits 0..9; the higher bits are printed as "unknown".
constexpr const char* kElementNames[10] = {"position",  "normal",   "texcoord2",   "tangent",
                                           "binormal",  "color",    "blendweight", "texcoord3",
                                           "texcoord3", "texcoord3"};

float VertexFloat(const MeshFileContents& m, uint32_t vertex, uint32_t offset) {
    float value;
    std::memcpy(&value, m.vertices.data() + size_t(vertex) * m.stride + offset, 4);
    return value;
}

void PrintMesh(const std::string& path, const MeshFileContents& m) {
    std::printf("%s\n", path.c_str());
    std::printf("  triangles %u, vertices %u, stride %u bytes\n", m.triangleCount, m.vertexCount,
                m.stride);
    std::printf("  format bits 0x%04x:", m.formatBits);
    uint32_t offset = 0;
    for (int bit = 0; bit < 16; ++bit) {
        if (!(m.formatBits & (1u << bit))) continue;
        std::printf(" [bit %d %s @%u]", bit, bit < 10 ? kElementNames[bit] : "unknown", offset);
        offset += VertexFormatSize(static_cast<uint16_t>(1u << bit));  // 0 past bit 9
    }
    std::printf("\n  packed element size %u%s\n", offset,
                offset == m.stride ? "" : " (differs from the stride)");

    uint32_t maxIndex = 0;
    for (uint16_t i : m.indices) maxIndex = i > maxIndex ? i : maxIndex;
    if (!m.indices.empty())
        std::printf("  largest index %u%s\n", maxIndex,
                    maxIndex < m.vertexCount ? "" : " (out of range!)");

    if ((m.formatBits & 1) && m.stride >= 12 && m.vertexCount > 0) {
        float lo[3] = {FLT_MAX, FLT_MAX, FLT_MAX}, hi[3] = {-FLT_MAX, -FLT_MAX, -FLT_MAX};
        for (uint32_t v = 0; v < m.vertexCount; ++v)
            for (int a = 0; a < 3; ++a) {
                const float f = VertexFloat(m, v, uint32_t(a) * 4);
                lo[a] = f < lo[a] ? f : lo[a];
                hi[a] = f > hi[a] ? f : hi[a];
            }
        std::printf("  bounds min (%.4f, %.4f, %.4f) max (%.4f, %.4f, %.4f)\n", lo[0], lo[1], lo[2],
                    hi[0], hi[1], hi[2]);
    }
    std::printf("  keys: %u position, %u rotation, %u scale\n", m.positionKeys.count,
                m.rotationKeys.count, m.scaleKeys.count);
    for (uint32_t i = 0; i < m.positionKeys.count; ++i) {
        const auto& k = m.positionKeys.keys[i];
        std::printf("    position (%.4f, %.4f, %.4f)\n", k.x, k.y, k.z);
    }
    for (uint32_t i = 0; i < m.rotationKeys.count; ++i) {
        const auto& k = m.rotationKeys.keys[i];
        std::printf("    rotation (%.4f, %.4f, %.4f, %.4f)\n", k.x, k.y, k.z, k.w);
    }
    for (uint32_t i = 0; i < m.scaleKeys.count; ++i) {
        const auto& k = m.scaleKeys.keys[i];
        std::printf("    scale    (%.4f, %.4f, %.4f)\n", k.x, k.y, k.z);
    }
}

}  // namespace

int main(int argc, char** argv) {
    constexpr const char* kUsage = "usage: vessmark-meshtool FILE.mesh [...]\n";
    if (argc < 2) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    if (std::string(argv[1]) == "--help") {
        std::fputs(kUsage, stdout);
        return 0;
    }
    int failures = 0;
    for (int i = 1; i < argc; ++i) {
        std::vector<uint8_t> bytes;
        std::string reason;
        bool opened = false;
        MeshFileContents mesh;
        if (!ReadWholeFile(argv[i], kMaxMeshFileBytes, bytes, reason, opened) ||
            !ParseMeshFile(bytes.data(), bytes.size(), mesh, reason, MeshIndexCheck::Keep)) {
            std::fprintf(stderr, "meshtool: %s: %s\n", argv[i], reason.c_str());
            ++failures;
            continue;
        }
        PrintMesh(argv[i], mesh);
    }
    return failures ? 1 : 0;
}
