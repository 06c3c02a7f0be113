// The generator's mesh writer read back with the demo's reader, the reader's lenient mode, and the
// mesh inspector that uses it.
#include "resources/mesh_file.h"

#include <gtest/gtest.h>

#include <cstring>

#include "mesh_writer.h"
#include "support/scratch_dir.h"
#include "support/shell.h"

namespace {

// One triangle whose vertex floats count up from 0, with one key of each kind.
meshfile::MeshFile OneTriangle(uint32_t stride, uint16_t formatBits) {
    meshfile::MeshFile m{1,           3,
                         stride,      formatBits,
                         {0, 1, 2},   std::vector<uint8_t>(3 * stride),
                         {{1, 2, 3}}, {{0, 0, 0, 1}},
                         {{1, 1, 1}}};
    for (size_t i = 0; i < m.vertexBytes.size() / 4; ++i) {
        const float f = float(i);
        std::memcpy(m.vertexBytes.data() + i * 4, &f, 4);
    }
    return m;
}

bool Parse(const std::vector<uint8_t>& bytes, MeshFileContents& out, std::string& reason,
           MeshIndexCheck check = MeshIndexCheck::Refuse) {
    return ParseMeshFile(bytes.data(), bytes.size(), out, reason, check);
}

TEST(MeshWriter, WritesWhatTheDemoReadsEachKeyBlockWithItsOwnCountOrOneShared) {
    auto mesh = OneTriangle(32, 7);
    mesh.positionKeys.push_back({2, 2, 3});
    mesh.scaleKeys.push_back({2, 2, 2});
    auto bytes = meshfile::SerializeMeshFile(mesh);
    // 86-byte header, 6 bytes of indices, 96 of vertices, 13 ignored, K = 0, three counted blocks.
    EXPECT_EQ(bytes.size(), 86u + 6 + 96 + 13 + 4 + (4 + 24) + (4 + 16) + (4 + 24));
    MeshFileContents back;
    std::string reason;
    ASSERT_TRUE(Parse(bytes, back, reason)) << reason;
    EXPECT_EQ(std::to_string(back.triangleCount) + " " + std::to_string(back.vertexCount) + " " +
                  std::to_string(back.stride) + " " + std::to_string(back.formatBits),
              "1 3 32 7");
    EXPECT_EQ(back.indices, mesh.indices);
    EXPECT_EQ(back.vertices, mesh.vertexBytes);
    ASSERT_EQ(std::to_string(back.positionKeys.count) + std::to_string(back.rotationKeys.count) +
                  std::to_string(back.scaleKeys.count),
              "212");
    EXPECT_EQ(back.positionKeys.keys[1].z, 3.0f);
    EXPECT_EQ(back.scaleKeys.keys[1].y, 2.0f);

    mesh.rotationKeys.push_back({0, 0, 1, 0});  // all three of length 2: one shared count
    bytes = meshfile::SerializeMeshFile(mesh);
    EXPECT_EQ(bytes.size(), 86u + 6 + 96 + 13 + 4 + 24 + 32 + 24);
    ASSERT_TRUE(Parse(bytes, back, reason)) << reason;
    EXPECT_EQ(back.rotationKeys.keys[1].z, 1.0f);
}

TEST(MeshWriter, AnIndexPastTheVerticesIsRefusedUnlessTheReaderKeepsIt) {
    auto mesh = OneTriangle(32, 7);
    mesh.indices = {0, 1, 3};
    const auto bytes = meshfile::SerializeMeshFile(mesh);
    MeshFileContents back;
    std::string reason;
    EXPECT_FALSE(Parse(bytes, back, reason));
    EXPECT_EQ(reason, "indices reach past the 3 vertices (index 3)");
    ASSERT_TRUE(Parse(bytes, back, reason, MeshIndexCheck::Keep)) << reason;
    EXPECT_EQ(back.indices, mesh.indices);
    // Keeping indices relaxes nothing else: a cut file is still refused.
    EXPECT_FALSE(Parse({bytes.begin(), bytes.end() - 1}, back, reason, MeshIndexCheck::Keep));
}

// The inspector prints every field, flags what the demo would refuse, and says why a file is bad.
TEST(Meshtool, PrintsTheHeaderElementsBoundsAndKeysAndFlagsAnIndexPastTheVertices) {
    auto m = OneTriangle(16, 0x0401);  // position and an unknown bit
    m.indices = {0, 1, 3};
    const vmtest::ScratchDir dir;
    const std::string good = dir.Write("odd.mesh", meshfile::SerializeMeshFile(m));
    m.stride = 18;
    const std::string bad = dir.Write("bad.mesh", meshfile::SerializeMeshFile(m));

    const auto run = testsupport::Shell(std::string(MESHTOOL_PATH) + " " + good);
    EXPECT_EQ(run.code, 0);
    EXPECT_EQ(run.output,
              good +
                  "\n"
                  "  triangles 1, vertices 3, stride 16 bytes\n"
                  "  format bits 0x0401: [bit 0 position @0] [bit 10 unknown @12]\n"
                  "  packed element size 12 (differs from the stride)\n"
                  "  largest index 3 (out of range!)\n"
                  "  bounds min (0.0000, 1.0000, 2.0000) max (8.0000, 9.0000, 10.0000)\n"
                  "  keys: 1 position, 1 rotation, 1 scale\n"
                  "    position (1.0000, 2.0000, 3.0000)\n"
                  "    rotation (0.0000, 0.0000, 0.0000, 1.0000)\n"
                  "    scale    (1.0000, 1.0000, 1.0000)\n");
    const auto refused = testsupport::Shell(std::string(MESHTOOL_PATH) + " " + bad);
    EXPECT_EQ(refused.code, 1);
    EXPECT_EQ(refused.output, "meshtool: " + bad + ": stride 18 is not a multiple of 4\n");
}

}  // namespace
