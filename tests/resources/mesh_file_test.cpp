// The mesh file parser against damaged input: whatever the bytes, it either refuses them or returns
// contents that are safe to upload (every index inside the vertices, sizes as announced).
#include "resources/mesh_file.h"

#include <gtest/gtest.h>

#include <random>

#include "mesh_file_builder.h"

namespace {

std::vector<uint8_t> ValidFile() {
    MeshBytes b;
    b.Header(2, 4, 32, 7).Indices({0, 1, 2, 3, 2, 1}).Vertices(4, 32).KeyCount(0);
    b.U32(2).Floats({0, 0, 0, 1, 1, 1}).U32(1).Floats({0, 0, 0, 1}).U32(1).Floats({1, 1, 1});
    return b.data;
}

void ExpectConsistent(const MeshFileContents& c) {
    ASSERT_EQ(c.indices.size(), size_t{c.triangleCount} * 3);
    ASSERT_EQ(c.vertices.size(), size_t{c.vertexCount} * c.stride);
    for (uint16_t index : c.indices) ASSERT_LT(index, c.vertexCount);
    ASSERT_EQ(c.stride % 4, 0u);
    ASSERT_GE(c.stride, VertexFormatSize(c.formatBits));
}

TEST(MeshFile, ParsesEveryFieldOfAValidFile) {
    const std::vector<uint8_t> bytes = ValidFile();
    MeshFileContents contents;
    std::string reason;
    ASSERT_TRUE(ParseMeshFile(bytes.data(), bytes.size(), contents, reason)) << reason;
    EXPECT_EQ(contents.triangleCount, 2u);
    EXPECT_EQ(contents.vertexCount, 4u);
    EXPECT_EQ(contents.formatBits, 7u);
    EXPECT_EQ(contents.indices[5], 1u);
    EXPECT_EQ(contents.positionKeys.count, 2u);
    EXPECT_EQ(contents.positionKeys.keys[1].y, 1.0f);
    EXPECT_EQ(contents.rotationKeys.count, 1u);
    EXPECT_EQ(contents.scaleKeys.count, 1u);
    ExpectConsistent(contents);
}

TEST(MeshFile, FormatSizesFollowTheBitTable) {
    EXPECT_EQ(VertexFormatSize(7), 32u);
    EXPECT_EQ(VertexFormatSize(71), 36u);
    EXPECT_EQ(VertexFormatSize(0x3FF), 108u);
    EXPECT_EQ(VertexFormatSize(0xFC00), 0u);
    EXPECT_EQ(VertexElementsOf(0x3FF).back().Offset, 96);
}

TEST(MeshFile, SurvivesMutatedAndRandomBytes) {
    std::mt19937 rng(7);
    const std::vector<uint8_t> valid = ValidFile();
    int accepted = 0;
    for (int round = 0; round < 3000; ++round) {
        std::vector<uint8_t> bytes = valid;
        if (round % 3 == 0) {
            bytes.resize(std::uniform_int_distribution<size_t>(0, 400)(rng));
            for (uint8_t& b : bytes) b = static_cast<uint8_t>(rng());
        } else {
            const int flips = std::uniform_int_distribution<int>(1, 4)(rng);
            for (int i = 0; i < flips; ++i) {
                bytes[std::uniform_int_distribution<size_t>(0, bytes.size() - 1)(rng)] =
                    static_cast<uint8_t>(rng());
            }
            if (round % 3 == 2)
                bytes.resize(std::uniform_int_distribution<size_t>(0, bytes.size())(rng));
        }
        MeshFileContents contents;
        std::string reason;
        if (ParseMeshFile(bytes.data(), bytes.size(), contents, reason)) {
            ++accepted;
            ExpectConsistent(contents);
        } else {
            EXPECT_FALSE(reason.empty());
        }
    }
    EXPECT_GT(accepted, 0);  // mutations of ignored bytes keep the file valid
}

}  // namespace
