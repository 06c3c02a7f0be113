#include "resources/grid.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "display/device_globals.h"
#include "platform/ui/ui.h"

namespace {

constexpr uint32_t kGridFvf = gfx::D3DFVF_XYZ | gfx::D3DFVF_NORMAL | gfx::D3DFVF_TEX1;  // 274
constexpr uint64_t kMaxGridVertices = 65536;  // indices are 16-bit

const gfx::VertexElement kGridDeclaration[] = {
    {0, 0, gfx::D3DDECLTYPE_FLOAT3, gfx::D3DDECLMETHOD_DEFAULT, gfx::D3DDECLUSAGE_POSITION, 0},
    {0, 12, gfx::D3DDECLTYPE_FLOAT3, gfx::D3DDECLMETHOD_DEFAULT, gfx::D3DDECLUSAGE_NORMAL, 0},
    {0, 24, gfx::D3DDECLTYPE_FLOAT2, gfx::D3DDECLMETHOD_DEFAULT, gfx::D3DDECLUSAGE_TEXCOORD, 0},
    gfx::D3DDECL_END,
};

}  // namespace

void GenerateGrid(Mesh& mesh, uint32_t columns, uint32_t rows, float width, float height,
                  float originX, float originY) {
    if (columns < 2 || rows < 2 || uint64_t{columns} * rows > kMaxGridVertices) {
        char text[128];
        std::snprintf(text, sizeof text,
                      "A grid of %u x %u vertices cannot be made: it needs at least 2 x 2 and at "
                      "most 65536 vertices",
                      columns, rows);
        ui::MessageBox(text, "GenerateGrid");
        return;
    }
    if (originX == 0.0f) originX = -width / 2.0f;
    if (originY == 0.0f) originY = -height / 2.0f;
    const uint32_t vertexCount = columns * rows;
    const uint32_t indexCount = (columns - 1) * (rows - 1) * 6;
    const float stepX = width / static_cast<float>(columns - 1);
    const float stepY = height / static_cast<float>(rows - 1);
    const float stepU = 1.0f / static_cast<float>(columns - 1);
    const float stepV = 1.0f / static_cast<float>(rows - 1);

    std::vector<MeshVertex> vertices(vertexCount);
    for (uint32_t r = 0; r < rows; ++r) {
        for (uint32_t c = 0; c < columns; ++c) {
            const float fc = static_cast<float>(c);
            const float fr = static_cast<float>(r);
            vertices[r * columns + c] = {{fc * stepX + originX, fr * stepY + originY, 1.0f},
                                         {0.0f, 0.0f, 1.0f},
                                         {fc * stepU, fr * stepV}};
        }
    }

    const uint32_t vertexBytes = vertexCount * static_cast<uint32_t>(sizeof(MeshVertex));
    gfx::HRESULT result = g_device != nullptr
                              ? g_device->CreateVertexBuffer(
                                    vertexBytes, gfx::D3DUSAGE_DYNAMIC | gfx::D3DUSAGE_WRITEONLY,
                                    kGridFvf, gfx::D3DPOOL_DEFAULT, &mesh.vertexBuffer)
                              : gfx::D3DERR_INVALIDCALL;
    if (gfx::Failed(result)) {
        ui::MessageBox("CreateVertexBuffer", "GenerateGrid");
        return;
    }
    mesh.vertexData = std::make_unique<MeshVertex[]>(vertexCount);
    mesh.vertexData2 = std::make_unique<MeshVertex[]>(vertexCount);
    std::memcpy(mesh.vertexData.get(), vertices.data(), vertexBytes);
    std::memcpy(mesh.vertexData2.get(), vertices.data(), vertexBytes);
    void* locked = nullptr;
    if (!gfx::Failed(mesh.vertexBuffer->Lock(0, 0, &locked, 0)) && locked != nullptr) {
        std::memcpy(locked, vertices.data(), vertexBytes);
        mesh.vertexBuffer->Unlock();
    }
    vertices = {};

    mesh.indexData = std::make_unique<uint16_t[]>(indexCount);
    uint16_t* index = mesh.indexData.get();
    for (uint32_t r = 0; r + 1 < rows; ++r) {
        const uint32_t base = r * columns;
        for (uint32_t c = 0; c + 1 < columns; ++c) {
            const uint32_t lowerLeft = base + c;
            const uint32_t cell[6] = {lowerLeft,           lowerLeft + 1,
                                      lowerLeft + columns, lowerLeft + columns + 1,
                                      lowerLeft + columns, lowerLeft + 1};
            for (uint32_t i : cell) *index++ = static_cast<uint16_t>(i);
        }
    }

    const uint32_t indexBytes = indexCount * 2;
    result = g_device->CreateIndexBuffer(indexBytes, gfx::D3DUSAGE_WRITEONLY, gfx::D3DFMT_INDEX16,
                                         gfx::D3DPOOL_MANAGED, &mesh.indexBuffer);
    if (gfx::Failed(result)) {
        ui::MessageBox("CreateIndexBuffer", "GenerateGrid");
        return;
    }
    locked = nullptr;
    if (!gfx::Failed(mesh.indexBuffer->Lock(0, 0, &locked, 0)) && locked != nullptr) {
        std::memcpy(locked, mesh.indexData.get(), indexBytes);
        mesh.indexBuffer->Unlock();
    }
    mesh.triangleCount = indexCount / 3;
    mesh.vertexCount = vertexCount;
    mesh.stride = sizeof(MeshVertex);
    g_device->CreateVertexDeclaration(kGridDeclaration, &mesh.declaration);
}
