// mesh_file: reads and writes the binary mesh format (".mesh") as plain data, for the tools.
//
// WHAT IT DOES
//   Parses a whole file image into a MeshFile (header counts, format bits, raw indices, raw vertex
//   bytes, the three key tracks) with strict bounds checks, and serialises a MeshFile back.
//   The layout: 4 ignored bytes, a 4x4 float matrix (ignored), 4 ignored bytes, triangle count T,
//   vertex count V, stride S, 16-bit format bits F, 3T 16-bit indices, V*S vertex bytes, 1 + 12
//   ignored bytes, key count K, then position, rotation and scale keys (K each, or, with K = 0,
//   each block with its own count).
//
// WHAT IT DOES NOT DO
//   No GPU objects, no checks of the mesh's meaning (index range, normals): see the validators of
//   the callers. Writing always uses one shared key count when the three tracks agree in length.
//
// ORDER OF CALLS
//   ReadMeshFile(bytes, &mesh, &error) or ReadMeshFileFromPath(path, ...); WriteMeshFile(mesh,
//   path).
#pragma once

#include <array>
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

// One vertex element named by its format bit: name and size in bytes (0 for the unused bits 10-15).
struct FormatElement {
    int bit;
    const char* name;
    uint32_t size;
};
// The elements that the set bits of formatBits add, in ascending bit order.
std::vector<FormatElement> ElementsOf(uint16_t formatBits);
// Sum of the element sizes: the stride a well-formed file of these bits has.
uint32_t PackedStride(uint16_t formatBits);

// Parses a whole file image. Refuses (false, reason in *error) a file shorter than its counts
// announce, a stride that is not a multiple of 4, or key counts too large for the file.
bool ReadMeshFile(const std::vector<uint8_t>& bytes, MeshFile* mesh, std::string* error);
bool ReadMeshFileFromPath(const std::string& path, MeshFile* mesh, std::string* error);

std::vector<uint8_t> SerializeMeshFile(const MeshFile& mesh);
bool WriteMeshFile(const MeshFile& mesh, const std::string& path, std::string* error);

// The float at (vertex, byte offset within the vertex); the caller keeps offset + 4 <= stride.
float VertexFloat(const MeshFile& mesh, uint32_t vertex, uint32_t offset);

}  // namespace meshfile
