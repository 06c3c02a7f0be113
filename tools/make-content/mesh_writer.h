// mesh_writer: writes the binary mesh format (".mesh") from plain data; the demo's reader
// (resources/mesh_file.h) reads it back.
//
// The layout: 4 zero bytes, an identity 4x4 float matrix, 4 zero bytes, triangle count T, vertex
// count V, stride S, 16-bit format bits F, 3T 16-bit indices, V*S vertex bytes, 1 + 12 zero bytes,
// key count K, then position, rotation and scale keys: K of each when the three tracks agree in
// length, else K = 0 and each block led by its own count.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace meshfile {

struct Vec3 {
    float x = 0, y = 0, z = 0;
};
struct Quat {
    float x = 0, y = 0, z = 0, w = 1;
};

struct MeshFile {
    uint32_t triangleCount = 0;
    uint32_t vertexCount = 0;
    uint32_t stride = 0;
    uint16_t formatBits = 0;
    std::vector<uint16_t> indices;     // 3 * triangleCount
    std::vector<uint8_t> vertexBytes;  // vertexCount * stride
    std::vector<Vec3> positionKeys;
    std::vector<Quat> rotationKeys;
    std::vector<Vec3> scaleKeys;
};

std::vector<uint8_t> SerializeMeshFile(const MeshFile& mesh);
bool WriteMeshFile(const MeshFile& mesh, const std::string& path, std::string* error);

}  // namespace meshfile
