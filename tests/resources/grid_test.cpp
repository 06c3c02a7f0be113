#include "resources/grid.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "support/call_lines.h"
#include "support/recording_device.h"

namespace {

using Boxes = std::vector<vmtest::BoxRecorder::Box>;
using vmtest::Lines;

class GridTest : public ::testing::Test {
  protected:
    vmtest::RecordingDevice device;
    vmtest::ScopedDevice use{&device};
    vmtest::BoxRecorder boxes;
    Mesh mesh;

    std::vector<uint16_t> Indices(const Mesh& m) const {
        return std::vector<uint16_t>(m.indexData.get(), m.indexData.get() + m.triangleCount * 3);
    }
};

// x, y, z, u, v of each vertex.
std::vector<std::vector<float>> Vertices(const Mesh& m) {
    std::vector<std::vector<float>> rows;
    for (uint32_t i = 0; i < m.vertexCount; ++i) {
        const MeshVertex& v = m.vertexData[i];
        EXPECT_EQ(v.normal[2], 1.0f);
        rows.push_back({v.position[0], v.position[1], v.position[2], v.uv[0], v.uv[1]});
    }
    return rows;
}

TEST_F(GridTest, VerticesRunRowByRowFromTheOriginWithTexturesFromZeroToOne) {
    GenerateGrid(mesh, 3, 2, 800, 450, -400, -225);
    EXPECT_EQ(Vertices(mesh), (std::vector<std::vector<float>>{{-400, -225, 1, 0, 0},
                                                               {0, -225, 1, 0.5f, 0},
                                                               {400, -225, 1, 1, 0},
                                                               {-400, 225, 1, 0, 1},
                                                               {0, 225, 1, 0.5f, 1},
                                                               {400, 225, 1, 1, 1}}));
    EXPECT_EQ(mesh.stride, 32u);
    EXPECT_EQ(Indices(mesh), (std::vector<uint16_t>{0, 1, 3, 4, 3, 1, 1, 2, 4, 5, 4, 2}));
    // A zero origin centres that axis only.
    Mesh centred;
    GenerateGrid(centred, 2, 3, 10, 20, 0, 3);
    EXPECT_EQ(Vertices(centred), (std::vector<std::vector<float>>{{-5, 3, 1, 0, 0},
                                                                  {5, 3, 1, 1, 0},
                                                                  {-5, 13, 1, 0, 0.5f},
                                                                  {5, 13, 1, 1, 0.5f},
                                                                  {-5, 23, 1, 0, 1},
                                                                  {5, 23, 1, 1, 1}}));
    GenerateGrid(centred, 2, 2, 10, 20, 4, 0);
    EXPECT_EQ(centred.vertexData[0].position[1], -10.0f);
    EXPECT_EQ(centred.vertexData[0].position[0], 4.0f);
    for (uint32_t columns : {2u, 17u, 256u}) {
        for (uint32_t rows : {2u, 3u, 256u}) {
            Mesh grid;
            GenerateGrid(grid, columns, rows, 1, 1, 1, 1);
            EXPECT_EQ(grid.triangleCount, 2 * (columns - 1) * (rows - 1));
            const std::vector<uint16_t> indices = Indices(grid);
            EXPECT_EQ(*std::max_element(indices.begin(), indices.end()), columns * rows - 1);
        }
    }
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(GridTest, MakesTheBuffersAndDeclarationTheGridLayoutNeeds) {
    GenerateGrid(mesh, 2, 2, 4, 4, 0, 0);
    EXPECT_LINES(
        device.Calls(),
        (Lines{"CreateVertexBuffer(128, WRITEONLY|DYNAMIC, 274, DEFAULT)", "vb1.Lock(0, 0, 0)",
               "vb1.Unlock()", "CreateIndexBuffer(12, WRITEONLY, INDEX16, MANAGED)",
               "ib1.Lock(0, 0, 0)", "ib1.Unlock()", "CreateVertexDeclaration(4 elements)"}));
    auto* vb = static_cast<vmtest::FakeVertexBuffer*>(mesh.vertexBuffer);
    EXPECT_EQ(0, std::memcmp(vb->bytes.data(), mesh.vertexData2.get(), 128));
    EXPECT_NE(mesh.vertexData.get(), mesh.vertexData2.get());
    EXPECT_EQ(static_cast<vmtest::FakeIndexBuffer*>(mesh.indexBuffer)->Indices(), Indices(mesh));
    const auto& elements = static_cast<vmtest::FakeVertexDeclaration*>(mesh.declaration)->elements;
    ASSERT_EQ(elements.size(), 4u);
    EXPECT_EQ(elements[1].Offset, 12);
    EXPECT_EQ(elements[1].Usage, gfx::D3DDECLUSAGE_NORMAL);
    EXPECT_EQ(elements[2].Offset, 24);
    EXPECT_EQ(elements[2].Type, gfx::D3DDECLTYPE_FLOAT2);
    EXPECT_EQ(elements[2].Usage, gfx::D3DDECLUSAGE_TEXCOORD);
    EXPECT_EQ(elements[3].Stream, 0xFF);

    device.ClearCalls();
    mesh.Draw();
    EXPECT_LINES(device.Calls(),
                 (Lines{"SetStreamSource(0, vb1, 0, 32)", "SetVertexDeclaration(decl1)",
                        "SetIndices(ib1)", "DrawIndexedPrimitive(TRIANGLELIST, 0, 0, 4, 0, 2)"}));
}

TEST_F(GridTest, RefusesSizesThatCannotBeIndexed) {
    for (auto [columns, rows] :
         {std::pair{1u, 5u}, {5u, 1u}, {0u, 0u}, {257u, 256u}, {65536u, 2u}}) {
        boxes.boxes.clear();
        GenerateGrid(mesh, columns, rows, 1, 1, 0, 0);
        ASSERT_EQ(boxes.boxes.size(), 1u);
        EXPECT_EQ(boxes.boxes[0].caption, "GenerateGrid");
        EXPECT_EQ(mesh.vertexCount, 0u);
        EXPECT_EQ(mesh.vertexBuffer, nullptr);
    }
    EXPECT_TRUE(device.Calls().empty());
    GenerateGrid(mesh, 256, 256, 1, 1, 0, 0);  // exactly 65536 vertices is allowed
    EXPECT_EQ(mesh.vertexCount, 65536u);
}

TEST_F(GridTest, BufferFailuresLeaveTheDocumentedState) {
    device.FailOn("CreateVertexBuffer", gfx::D3DERR_OUTOFVIDEOMEMORY);
    GenerateGrid(mesh, 2, 2, 1, 1, 0, 0);
    EXPECT_EQ(boxes.boxes, (Boxes{{"CreateVertexBuffer", "GenerateGrid"}}));
    EXPECT_EQ(mesh.vertexBuffer, nullptr);
    EXPECT_EQ(mesh.vertexData, nullptr);
    EXPECT_EQ(mesh.indexData, nullptr);

    boxes.boxes.clear();
    Mesh second;
    device.FailOn("CreateIndexBuffer", gfx::D3DERR_OUTOFVIDEOMEMORY);
    GenerateGrid(second, 2, 2, 1, 1, 0, 0);
    EXPECT_EQ(boxes.boxes, (Boxes{{"CreateIndexBuffer", "GenerateGrid"}}));
    EXPECT_NE(second.vertexBuffer, nullptr);
    EXPECT_NE(second.vertexData, nullptr);
    EXPECT_NE(second.vertexData2, nullptr);
    EXPECT_NE(second.indexData, nullptr);
    EXPECT_EQ(second.indexBuffer, nullptr);
    EXPECT_EQ(second.declaration, nullptr);
    EXPECT_EQ(second.triangleCount, 0u);
    device.ClearCalls();
    second.Draw();
    EXPECT_TRUE(device.Calls().empty());
    second.Release();
    EXPECT_TRUE(device.LiveObjects().empty());
}

}  // namespace
