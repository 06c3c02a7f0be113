// Bad mesh files: each is reported by its path, the mesh stays registered (empty) so no "No Match"
// follows, and the demo draws on with the other meshes.
#include <gtest/gtest.h>

#include <string>

#include "robustness/bad_data_fixture.h"

namespace robust {
namespace {

// Offsets in the fixture's cube mesh header.
constexpr size_t kTriangles = 72, kFormat = 84;

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
