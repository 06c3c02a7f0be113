// meshtool: prints what a mesh file holds (header, vertex elements, bounds, keys).
// Usage: vessmark-meshtool FILE.mesh [...]
#include <cfloat>
#include <cstdio>
#include <string>

#include "mesh_file.h"

namespace {

void PrintMesh(const std::string& path, const meshfile::MeshFile& m) {
    std::printf("%s\n", path.c_str());
    std::printf("  triangles %u, vertices %u, stride %u bytes\n", m.triangleCount, m.vertexCount,
                m.stride);
    std::printf("  format bits 0x%04x:", m.formatBits);
    uint32_t offset = 0;
    for (const auto& e : meshfile::ElementsOf(m.formatBits)) {
        std::printf(" [bit %d %s @%u]", e.bit, e.name, offset);
        offset += e.size;
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
                const float f = meshfile::VertexFloat(m, v, uint32_t(a) * 4);
                lo[a] = f < lo[a] ? f : lo[a];
                hi[a] = f > hi[a] ? f : hi[a];
            }
        std::printf("  bounds min (%.4f, %.4f, %.4f) max (%.4f, %.4f, %.4f)\n", lo[0], lo[1], lo[2],
                    hi[0], hi[1], hi[2]);
    }
    std::printf("  keys: %zu position, %zu rotation, %zu scale\n", m.positionKeys.size(),
                m.rotationKeys.size(), m.scaleKeys.size());
    for (const auto& k : m.positionKeys)
        std::printf("    position (%.4f, %.4f, %.4f)\n", k.x, k.y, k.z);
    for (const auto& k : m.rotationKeys)
        std::printf("    rotation (%.4f, %.4f, %.4f, %.4f)\n", k.x, k.y, k.z, k.w);
    for (const auto& k : m.scaleKeys)
        std::printf("    scale    (%.4f, %.4f, %.4f)\n", k.x, k.y, k.z);
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
        meshfile::MeshFile mesh;
        std::string error;
        if (!meshfile::ReadMeshFileFromPath(argv[i], &mesh, &error)) {
            std::fprintf(stderr, "meshtool: %s\n", error.c_str());
            ++failures;
            continue;
        }
        PrintMesh(argv[i], mesh);
    }
    return failures ? 1 : 0;
}
