// The mesh file, read from memory and checked before anything is created from it.
//
// Layout (little-endian): 4 ignored bytes, a 64-byte matrix (ignored), 4 ignored bytes, triangle
// count T, vertex count V, stride S (32-bit each), format bits F (16-bit); 3 x T 16-bit indices;
// V x S bytes of vertices; 1 + 3 x 4 ignored bytes; key count K; then position, rotation and scale
// keys: K of each, or, when K is 0, each block led by its own 32-bit count.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/gfx/gfx.h"
#include "scene_core/keyframes.h"
#include "scene_core/math_types.h"

// Files larger than this are refused without being read.
constexpr size_t kMaxMeshFileBytes = size_t{256} << 20;

struct MeshFileContents {
    uint32_t triangleCount = 0;
    uint32_t vertexCount = 0;
    uint32_t stride = 0;
    uint16_t formatBits = 0;
    std::vector<uint16_t> indices;  // 3 x triangleCount
    std::vector<uint8_t> vertices;  // vertexCount x stride bytes
    KeyTrack<Vector3> positionKeys;
    KeyTrack<Quaternion> rotationKeys;
    KeyTrack<Vector3> scaleKeys;
};

// Bytes per vertex that the elements of format bits 0..9 take (bits 10..15 add nothing).
uint32_t VertexFormatSize(uint16_t formatBits);

// The elements of format bits 0..9, in ascending bit order, without the end marker.
std::vector<gfx::VertexElement> VertexElementsOf(uint16_t formatBits);

// What ParseMeshFile does with indices that reach past the vertices: the demo refuses the file, the
// mesh inspector keeps them so that it can report them.
enum class MeshIndexCheck { Refuse, Keep };

// Parses and checks a whole mesh file. On failure returns false with a reason in words ("indices
// reach past the 24 vertices") and leaves out in an unspecified state.
bool ParseMeshFile(const uint8_t* data, size_t size, MeshFileContents& out, std::string& reason,
                   MeshIndexCheck indexCheck = MeshIndexCheck::Refuse);

// Reads a whole file into memory; false with a reason when it cannot be opened or read or is larger
// than maxBytes. opened tells whether the open itself succeeded.
bool ReadWholeFile(const char* path, size_t maxBytes, std::vector<uint8_t>& bytes,
                   std::string& reason, bool& opened);
