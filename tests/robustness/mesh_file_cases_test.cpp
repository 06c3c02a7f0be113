// Bad mesh files: each is reported by its path, the mesh stays registered (empty) so no "No Match"
// follows, and the demo draws on with the other meshes.
#include <gtest/gtest.h>

#include <string>

#include "robustness/bad_data_fixture.h"

namespace robust {
namespace {

// Offsets in the fixture's cube mesh: 12 triangles, 24 vertices of 32 bytes, K = 0 with three
// empty blocks.
constexpr size_t kTriangles = 72, kVertices = 76, kStride = 80, kFormat = 84, kIndices = 86;
constexpr size_t kVertexData = kIndices + 12 * 6;
constexpr size_t kKeyCount = kVertexData + 24 * 32 + 13;

class BadMeshTest : public BadDataTest {
protected:
    Bytes Cube() const { return Read(kBodyMesh); }

    // A refused file: one "MeshFile" box naming the path and the reason, and nothing else.
    void ExpectRefused(const DemoRun& run, const std::string& reasonPart) const {
        ExpectRanToTheEnd(run);
        ASSERT_EQ(run.boxes.size(), 1u) << run.DescribeBoxes();
        EXPECT_EQ(run.boxes[0].caption, "MeshFile");
        EXPECT_EQ(run.boxes[0].text.rfind(std::string(kBodyMesh) + ": ", 0), 0u) << run.boxes[0].text;
        EXPECT_NE(run.boxes[0].text.find(reasonPart), std::string::npos) << run.boxes[0].text;
        EXPECT_EQ(run.CountCaption("No Match"), 0u);
    }
};

TEST_F(BadMeshTest, MissingMeshFileShowsItsPathAndTheEmptyMeshStaysRegistered) {
    Remove(kBodyMesh);
    const DemoRun run = Run();
    ExpectRanToTheEnd(run);
    EXPECT_EQ(run.CountBoxes("Failed To Open The MeshFile", kBodyMesh), 1u) << run.DescribeBoxes();
    EXPECT_EQ(run.boxes.size(), 1u) << run.DescribeBoxes();
}

TEST_F(BadMeshTest, EmptyMeshFileIsRefused) {
    Write(kBodyMesh, Bytes{});
    ExpectRefused(Run(), "header");
}

TEST_F(BadMeshTest, MeshFileCutInsideItsVerticesIsRefused) {
    Bytes file = Cube();
    file.resize(kVertexData + 100);
    Write(kBodyMesh, file);
    ExpectRefused(Run(), "vertices");
}

TEST_F(BadMeshTest, HugeTriangleCountIsRefusedWithoutReadingPastTheEnd) {
    Bytes file = Cube();
    Set32(file, kTriangles, 0xFFFFFFFFu);
    Write(kBodyMesh, file);
    ExpectRefused(Run(), "triangles");
}

TEST_F(BadMeshTest, HugeVertexCountIsRefused) {
    Bytes file = Cube();
    Set32(file, kVertices, 0x40000000u);
    Write(kBodyMesh, file);
    ExpectRefused(Run(), "vertices");
}

TEST_F(BadMeshTest, IndicesPastTheVerticesAreRefused) {
    Bytes file = Cube();
    Set16(file, kIndices + 10, 24);  // one past the last vertex
    Write(kBodyMesh, file);
    ExpectRefused(Run(), "indices");
}

TEST_F(BadMeshTest, StrideNotAMultipleOfFourIsRefused) {
    Bytes file = Cube();
    Set32(file, kStride, 30);
    Write(kBodyMesh, file);
    ExpectRefused(Run(), "stride");
}

TEST_F(BadMeshTest, StrideSmallerThanItsElementsIsRefused) {
    Bytes file = Cube();
    Set16(file, kFormat, 0x3FF);  // all ten elements: 108 bytes
    Write(kBodyMesh, file);
    ExpectRefused(Run(), "stride");
}

TEST_F(BadMeshTest, HugeKeyCountIsRefused) {
    Bytes file = Cube();
    Set32(file, kKeyCount, 0x7FFFFFFFu);
    Write(kBodyMesh, file);
    ExpectRefused(Run(), "keys");
}

TEST_F(BadMeshTest, HugePerTrackKeyCountIsRefused) {
    Bytes file = Cube();
    Set32(file, kKeyCount + 4, 0xFFFFFFFFu);  // K = 0: the position block's own count
    Write(kBodyMesh, file);
    ExpectRefused(Run(), "key count");
}

TEST_F(BadMeshTest, UnknownFormatBitWarnsOnceAndTheMeshLoads) {
    Bytes file = Cube();
    Set16(file, kFormat, 7 | (1u << 10));
    Write(kBodyMesh, file);
    const DemoRun run = Run();
    ExpectRanToTheEnd(run);
    EXPECT_EQ(run.CountBoxes("VertexDecl", "There's something very wrong"), 1u) << run.DescribeBoxes();
    EXPECT_EQ(run.boxes.size(), 1u) << run.DescribeBoxes();
    EXPECT_NE(run.out.find("vertexdecl bit[3]\n"), std::string::npos) << run.out;
}

TEST_F(BadMeshTest, ImageBehindTheMeshExtensionIsRefused) {
    Write(kBodyMesh, Read("vessmark/data/dama.png"));
    const DemoRun run = Run();
    ExpectRanToTheEnd(run);
    EXPECT_EQ(run.CountCaption("MeshFile"), 1u) << run.DescribeBoxes();
    EXPECT_EQ(run.CountCaption("No Match"), 0u);
}

TEST_F(BadMeshTest, DirectoryInPlaceOfAMeshFileCannotBeOpened) {
    MakeDirectory(kBodyMesh);
    const DemoRun run = Run();
    ExpectRanToTheEnd(run);
    EXPECT_EQ(run.CountBoxes("Failed To Open The MeshFile", kBodyMesh), 1u) << run.DescribeBoxes();
    EXPECT_EQ(run.boxes.size(), 1u) << run.DescribeBoxes();
}

TEST_F(BadMeshTest, UnreadableMeshFileCannotBeOpened) {
    if (!MakeUnreadable(kBodyMesh)) GTEST_SKIP() << "permissions do not stop this user reading (root)";
    const DemoRun run = Run();
    ExpectRanToTheEnd(run);
    EXPECT_EQ(run.CountBoxes("Failed To Open The MeshFile", kBodyMesh), 1u) << run.DescribeBoxes();
}

}  // namespace
}  // namespace robust
