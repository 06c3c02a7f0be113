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

TEST_F(BadMeshTest, MissingOrUnopenableMeshFileShowsItsPathAndTheEmptyMeshStaysRegistered) {
    RunUnopenable(kBodyMesh, [](const char* what, const DemoRun& run) {
        SCOPED_TRACE(what);
        ExpectRanToTheEnd(run);
        EXPECT_EQ(run.CountBoxes("Failed To Open The MeshFile", kBodyMesh), 1u) << run.DescribeBoxes();
        EXPECT_EQ(run.boxes.size(), 1u) << run.DescribeBoxes();
        EXPECT_EQ(run.CountCaption("No Match"), 0u);
    });
}

TEST_F(BadMeshTest, DamagedMeshFilesAreRefusedWithTheirReason) {
    struct Case {
        const char* what;
        void (*damage)(Bytes&);
        const char* reason;
    };
    const Case cases[] = {
        {"empty file", [](Bytes& f) { f.clear(); }, "header"},
        {"cut inside the vertices", [](Bytes& f) { f.resize(kVertexData + 100); }, "vertices"},
        {"huge triangle count", [](Bytes& f) { Set32(f, kTriangles, 0xFFFFFFFFu); }, "triangles"},
        {"huge vertex count", [](Bytes& f) { Set32(f, kVertices, 0x40000000u); }, "vertices"},
        {"index one past the last vertex", [](Bytes& f) { Set16(f, kIndices + 10, 24); }, "indices"},
        {"stride not a multiple of four", [](Bytes& f) { Set32(f, kStride, 30); }, "stride"},
        {"stride below all ten elements (108 bytes)", [](Bytes& f) { Set16(f, kFormat, 0x3FF); }, "stride"},
        {"huge key count", [](Bytes& f) { Set32(f, kKeyCount, 0x7FFFFFFFu); }, "keys"},
        // K = 0: the position block's own count.
        {"huge block count", [](Bytes& f) { Set32(f, kKeyCount + 4, 0xFFFFFFFFu); }, "key count"},
    };
    const Bytes cube = Cube();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Bytes file = cube;
        c.damage(file);
        Write(kBodyMesh, file);
        ExpectRefused(Run(), c.reason);
    }
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

}  // namespace
}  // namespace robust
