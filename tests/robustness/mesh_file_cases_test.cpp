// Bad mesh files: each is reported by its path, the mesh stays registered (empty) so no "No Match"
// follows, and the demo draws on with the other meshes.
#include <gtest/gtest.h>

#include <string>

#include "robustness/bad_data_fixture.h"

namespace robust {
namespace {

// Offsets in the fixture's cube mesh header.
constexpr size_t kTriangles = 72, kVertices = 76, kStride = 80, kFormat = 84, kHeader = 86;

uint32_t Get32(const Bytes& b, size_t offset) {
    return uint32_t(b[offset]) | uint32_t(b[offset + 1]) << 8 | uint32_t(b[offset + 2]) << 16 |
           uint32_t(b[offset + 3]) << 24;
}

class BadMeshTest : public BadDataTest {
  protected:
    Bytes Cube() const { return Read(kBodyMesh); }

    // A refused file: one "MeshFile" box naming the path and the reason, and nothing else.
    void ExpectRefused(const DemoRun& run, const std::string& reasonPart) const {
        ExpectRanToTheEnd(run);
        ASSERT_EQ(run.boxes.size(), 1u) << run.DescribeBoxes();
        EXPECT_EQ(run.boxes[0].caption, "MeshFile");
        EXPECT_EQ(run.boxes[0].text.rfind(std::string(kBodyMesh) + ": ", 0), 0u)
            << run.boxes[0].text;
        EXPECT_NE(run.boxes[0].text.find(reasonPart), std::string::npos) << run.boxes[0].text;
        EXPECT_EQ(run.CountCaption("No Match"), 0u);
    }
};

TEST_F(BadMeshTest, MissingOrUnopenableMeshFileShowsItsPathAndTheEmptyMeshStaysRegistered) {
    RunUnopenable(kBodyMesh, [](const char* what, const DemoRun& run) {
        SCOPED_TRACE(what);
        ExpectRanToTheEnd(run);
        EXPECT_EQ(run.CountBoxes("Failed To Open The MeshFile", kBodyMesh), 1u)
            << run.DescribeBoxes();
        EXPECT_EQ(run.boxes.size(), 1u) << run.DescribeBoxes();
        EXPECT_EQ(run.CountCaption("No Match"), 0u);
    });
}

// One refusal stands for all: the loader's reasons are checked in tests/resources.
TEST_F(BadMeshTest, DamagedMeshFileIsRefusedWithItsReason) {
    Bytes file = Cube();
    Set32(file, kTriangles, 0xFFFFFFFFu);
    Write(kBodyMesh, file);
    ExpectRefused(Run(), "triangles");
}

// Strides the vertex stream cannot take (GL's limit is 2048 bytes here) would draw with the layout
// of the mesh before: refused at load like any bad mesh.
TEST_F(BadMeshTest, StrideBeyondTheVertexStreamIsRefused) {
    const Bytes cube = Cube();
    const uint32_t triangles = Get32(cube, kTriangles), vertices = Get32(cube, kVertices),
                   stride = Get32(cube, kStride), wide = 4096;
    const size_t vertexStart = kHeader + size_t(triangles) * 6;
    Bytes file(cube.begin(), cube.begin() + long(vertexStart));
    Set32(file, kStride, wide);
    for (uint32_t v = 0; v < vertices; ++v) {
        const auto from = cube.begin() + long(vertexStart + size_t(v) * stride);
        file.insert(file.end(), from, from + stride);
        file.resize(file.size() + wide - stride);
    }
    file.insert(file.end(), cube.begin() + long(vertexStart + size_t(vertices) * stride),
                cube.end());
    Write(kBodyMesh, file);
    ExpectRefused(Run(), "stride 4096 is more than the device's vertex stream takes");
}

TEST_F(BadMeshTest, UnknownFormatBitWarnsOnceAndTheMeshLoads) {
    Bytes file = Cube();
    Set16(file, kFormat, 7 | (1u << 10));
    Write(kBodyMesh, file);
    const DemoRun run = Run();
    ExpectRanToTheEnd(run);
    EXPECT_EQ(run.CountBoxes("VertexDecl", "There's something very wrong"), 1u)
        << run.DescribeBoxes();
    EXPECT_EQ(run.boxes.size(), 1u) << run.DescribeBoxes();
    EXPECT_NE(run.out.find("vertexdecl bit[3]\n"), std::string::npos) << run.out;
}

}  // namespace
}  // namespace robust
