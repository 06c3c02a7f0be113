// Mesh: an indexed triangle list in one vertex buffer and one 16-bit index buffer, with a vertex
// declaration built from format bits, and three key tracks that give its local transform over time.
// Filled once by Mesh::LoadFromFile or GenerateGrid; drawn inside an effect pass with Draw.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/gfx/gfx.h"
#include "scene_core/keyframes.h"
#include "scene_core/math_types.h"

// The 32-byte vertex of grids and of stride-32 mesh files: position, normal, texture coordinate.
struct MeshVertex {
    float position[3];
    float normal[3];
    float uv[2];
};
static_assert(sizeof(MeshVertex) == 32);

struct Mesh {
    Mesh() = default;
    Mesh(const Mesh&) = delete;
    Mesh& operator=(const Mesh&) = delete;
    // Release(), then the key tracks are freed.
    ~Mesh();

    // Fills an empty mesh from a mesh file. The file is read whole and checked before anything is
    // created: a file that cannot be opened, is shorter than its counts announce, has a stride that
    // is not a multiple of 4 or smaller than its elements, or indices past its vertices, is refused
    // with a box and the mesh stays empty (draws nothing).
    void LoadFromFile(const char* path);
    // SetStreamSource, SetVertexDeclaration, SetIndices, DrawIndexedPrimitive; nothing when the
    // mesh has no buffers.
    void Draw() const;
    // Identity when all three tracks are empty, else scale x rotation x translation at time.
    Matrix LocalTransform(float time) const;
    // Releases the buffers and the declaration, frees the in-memory copies.
    void Release();

    bool IsEmpty() const { return vertexBuffer == nullptr || indexBuffer == nullptr; }

    KeyTrack<Vector3> positionKeys;
    KeyTrack<Vector3> scaleKeys;
    KeyTrack<Quaternion> rotationKeys;
    std::unique_ptr<MeshVertex[]> vertexData;   // only when stride is 32
    std::unique_ptr<MeshVertex[]> vertexData2;  // a second, separate copy
    gfx::VertexBuffer* vertexBuffer = nullptr;
    gfx::IndexBuffer* indexBuffer = nullptr;
    gfx::VertexDeclaration* declaration = nullptr;
    uint32_t vertexCount = 0;
    uint32_t stride = 0;
    uint32_t triangleCount = 0;  // index count / 3
    std::unique_ptr<uint16_t[]> indexData;
};

// Elements of the set format bits 0..9 in ascending order, each right after the previous one, plus
// the end marker, created on g_device. Bits 10..15 show "There's something very wrong" and add
// nothing. False (after a report) when the device refuses the declaration.
bool BuildVertexDeclaration(uint16_t formatBits, gfx::VertexDeclaration** declaration);
