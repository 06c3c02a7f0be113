#include "resources/grid.h"

#include <gtest/gtest.h>

#include <cstring>
#include <sstream>

#include "support/call_lines.h"
#include "support/recording_device.h"

namespace {

using vmtest::Lines;
using vmtest::operator+;

class GridTest : public ::testing::Test {
  protected:
    vmtest::RecordingDevice device;
    vmtest::ScopedDevice use{&device};
    vmtest::BoxRecorder boxes;
};

// Each vertex as "x y z, normal, u v"; then the indices.
Lines Geometry(const Mesh& m) {
    Lines lines;
    for (uint32_t i = 0; i < m.vertexCount; ++i) {
        const MeshVertex& v = m.vertexData[i];
        std::ostringstream line;
        line << v.position[0] << " " << v.position[1] << " " << v.position[2] << ", " << v.normal[0]
             << v.normal[1] << v.normal[2] << ", " << v.uv[0] << " " << v.uv[1];
        lines.push_back(line.str());
    }
    std::string indices;
    for (uint32_t i = 0; i < m.triangleCount * 3; ++i)
        indices += std::to_string(m.indexData[i]) + " ";
    return lines + Lines{indices};
}

TEST_F(GridTest, VerticesRunRowByRowFromTheOriginWithTexturesFromZeroToOne) {
    const struct {
        float grid[6];  // columns, rows, width, height, origin x and y
        Lines geometry;
    } cases[] = {
        {{3, 2, 800, 450, -400, -225},
         {"-400 -225 1, 001, 0 0", "0 -225 1, 001, 0.5 0", "400 -225 1, 001, 1 0",
          "-400 225 1, 001, 0 1", "0 225 1, 001, 0.5 1", "400 225 1, 001, 1 1",
          "0 1 3 4 3 1 1 2 4 5 4 2 "}},
        // A zero origin centres that axis only.
        {{2, 3, 10, 20, 0, 3},
         {"-5 3 1, 001, 0 0", "5 3 1, 001, 1 0", "-5 13 1, 001, 0 0.5", "5 13 1, 001, 1 0.5",
          "-5 23 1, 001, 0 1", "5 23 1, 001, 1 1", "0 1 2 3 2 1 2 3 4 5 4 3 "}},
        {{2, 2, 10, 20, 4, 0},
         {"4 -10 1, 001, 0 0", "14 -10 1, 001, 1 0", "4 10 1, 001, 0 1", "14 10 1, 001, 1 1",
          "0 1 2 3 2 1 "}},
    };
    for (const auto& c : cases) {
        Mesh mesh;
        const float* g = c.grid;
        GenerateGrid(mesh, uint32_t(g[0]), uint32_t(g[1]), g[2], g[3], g[4], g[5]);
        EXPECT_LINES(Geometry(mesh), c.geometry);
    }
    Mesh largest;
    GenerateGrid(largest, 256, 256, 1, 1, 1, 1);  // 65536 vertices: the most 16-bit indices reach
    EXPECT_EQ(std::tuple(largest.triangleCount, largest.indexData[2 * 255 * 255 * 3 - 3]),
              std::tuple(2u * 255 * 255, 65535));
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(GridTest, FillsItsBuffersAndDrawsThemWithTheGridLayout) {
    Mesh mesh;
    GenerateGrid(mesh, 2, 2, 4, 4, 0, 0);
    mesh.Draw();
    EXPECT_LINES(
        device.Calls(),
        (Lines{"CreateVertexBuffer(128, WRITEONLY|DYNAMIC, 274, DEFAULT)", "vb1.Lock(0, 0, 0)",
               "vb1.Unlock()", "CreateIndexBuffer(12, WRITEONLY, INDEX16, MANAGED)",
               "ib1.Lock(0, 0, 0)", "ib1.Unlock()",
               "CreateVertexDeclaration(0 FLOAT3 POSITION0, 12 FLOAT3 NORMAL0, 24 FLOAT2 "
               "TEXCOORD0)",
               "SetStreamSource(0, vb1, 0, 32)", "SetVertexDeclaration(decl1)", "SetIndices(ib1)",
               "DrawIndexedPrimitive(TRIANGLELIST, 0, 0, 4, 0, 2)"}));
    EXPECT_EQ(std::memcmp(static_cast<vmtest::FakeObject*>(mesh.vertexBuffer)->bytes.data(),
                          mesh.vertexData2.get(), 128),
              0);
}

TEST_F(GridTest, RefusesSizesThatCannotBeIndexedAndReportsBufferFailures) {
    for (auto [columns, rows] : {std::pair{1u, 5u}, {5u, 1u}, {257u, 256u}, {65536u, 2u}}) {
        Mesh mesh;
        GenerateGrid(mesh, columns, rows, 1, 1, 0, 0);
        EXPECT_EQ(std::tuple(mesh.vertexCount, mesh.vertexBuffer), std::tuple(0u, nullptr));
    }
    EXPECT_TRUE(device.Calls().empty());
    for (const char* call : {"CreateVertexBuffer", "CreateIndexBuffer"}) {
        device.FailOn(call, gfx::D3DERR_OUTOFVIDEOMEMORY);
        Mesh mesh;
        GenerateGrid(mesh, 2, 2, 1, 1, 0, 0);
        device.ClearCalls();
        mesh.Draw();
        EXPECT_EQ(std::tuple(device.Calls().size(), mesh.declaration, mesh.triangleCount),
                  std::tuple(0u, nullptr, 0u));
    }
    ASSERT_EQ(boxes.boxes.size(), 6u);
    EXPECT_EQ(boxes.boxes[0].text,
              "A grid of 1 x 5 vertices cannot be made: it needs at least 2 x 2 and at most 65536 "
              "vertices");
    EXPECT_EQ(boxes.boxes[4], (vmtest::BoxRecorder::Box{"CreateVertexBuffer", "GenerateGrid"}));
    EXPECT_EQ(boxes.boxes[5], (vmtest::BoxRecorder::Box{"CreateIndexBuffer", "GenerateGrid"}));
    EXPECT_EQ(device.LiveObjects(), Lines{});
}

}  // namespace
