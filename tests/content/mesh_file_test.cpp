#include "mesh_file.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

meshfile::MeshFile OneTriangle() {
    meshfile::MeshFile m;
    m.triangleCount = 1;
    m.vertexCount = 3;
    m.stride = 32;
    m.formatBits = 7;
    m.indices = {0, 1, 2};
    m.vertexBytes.resize(96);
    for (size_t i = 0; i < 24; ++i) {
        const float f = float(i) * 0.5f;
        std::memcpy(m.vertexBytes.data() + i * 4, &f, 4);
    }
    m.positionKeys = {{1, 1, 1}, {2, 2, 3}};
    m.rotationKeys = {{0, 0, 0, 1}};
    m.scaleKeys = {{1, 1, 1}, {2, 2, 2}};
    return m;
}

TEST(MeshFile, RoundTripKeepsEveryFieldAndEachKeyBlockItsOwnCount) {
    const auto original = OneTriangle();
    const auto bytes = meshfile::SerializeMeshFile(original);
    // 86-byte header, 6 bytes of indices, 96 of vertices, 13 ignored, K = 0, then three counted
    // blocks.
    EXPECT_EQ(bytes.size(), 86u + 6 + 96 + 13 + 4 + (4 + 24) + (4 + 16) + (4 + 24));
    meshfile::MeshFile back;
    std::string error;
    ASSERT_TRUE(meshfile::ReadMeshFile(bytes, &back, &error)) << error;
    EXPECT_EQ(back.triangleCount, 1u);
    EXPECT_EQ(back.vertexCount, 3u);
    EXPECT_EQ(back.formatBits, 7);
    EXPECT_EQ(back.indices, original.indices);
    EXPECT_EQ(back.vertexBytes, original.vertexBytes);
    ASSERT_EQ(back.positionKeys.size(), 2u);
    ASSERT_EQ(back.rotationKeys.size(), 1u);
    EXPECT_FLOAT_EQ(back.positionKeys[1].z, 3.0f);
    EXPECT_FLOAT_EQ(back.rotationKeys[0].w, 1.0f);
    EXPECT_FLOAT_EQ(back.scaleKeys[1].y, 2.0f);
    EXPECT_FLOAT_EQ(meshfile::VertexFloat(back, 2, 28), 23 * 0.5f);

    const auto e = meshfile::ElementsOf(133);  // bits 0, 2, 7
    ASSERT_EQ(e.size(), 3u);
    EXPECT_STREQ(e[1].name, "texcoord2");
    EXPECT_EQ(meshfile::PackedStride(71), 36u);
    EXPECT_EQ(meshfile::PackedStride(1031), 32u);  // bit 10 adds nothing
}

TEST(MeshFile, RefusesEveryTruncationAndBadHeaders) {
    const auto bytes = meshfile::SerializeMeshFile(OneTriangle());
    meshfile::MeshFile back;
    std::string error;
    for (size_t n = 0; n < bytes.size(); ++n) {
        std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + long(n));
        EXPECT_FALSE(meshfile::ReadMeshFile(cut, &back, &error)) << "accepted " << n << " bytes";
        EXPECT_FALSE(error.empty());
    }
    auto oddStride = bytes;
    const uint32_t stride = 30;
    std::memcpy(oddStride.data() + 80, &stride, 4);
    EXPECT_FALSE(meshfile::ReadMeshFile(oddStride, &back, &error));
    EXPECT_NE(error.find("multiple of 4"), std::string::npos);
    auto huge = bytes;
    const uint32_t many = 0xFFFFFFFFu;
    std::memcpy(huge.data() + 76, &many, 4);  // vertex count
    EXPECT_FALSE(meshfile::ReadMeshFile(huge, &back, &error));
}

}  // namespace
