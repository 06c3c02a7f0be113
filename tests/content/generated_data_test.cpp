// Every file of the generated production, read back with the demo's own readers.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "content_paths.h"
#include "platform/audio/mp3_decoder.h"
#include "resources/mesh_file.h"

namespace {

namespace fs = std::filesystem;

class GeneratedData : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!fs::exists(Path(content::kSoundtrack)))
            GTEST_SKIP() << "no generated data in " << VM_DATA_DIR << " (content build is off)";
    }
    static std::string Path(const std::string& relative) {
        return (fs::path(VM_DATA_DIR) / relative).string();
    }
};

// Each mesh parses (indices in range) with one placing key whose scale is 1 (an empty scale would
// shrink it to nothing). (That every image loads: the full run's.)
TEST_F(GeneratedData, MeshesHoldOneUnitPlacingKey) {
    for (const char* rel : {content::kMeshEyes, content::kMeshBody, content::kMeshJaw,
                            content::kMeshNostrils, content::kMeshRing, content::kMeshTusks}) {
        std::vector<uint8_t> bytes;
        std::string reason;
        bool opened = false;
        MeshFileContents mesh;
        ASSERT_TRUE(ReadWholeFile(Path(rel).c_str(), kMaxMeshFileBytes, bytes, reason, opened) &&
                    ParseMeshFile(bytes.data(), bytes.size(), mesh, reason))
            << rel << ": " << reason;
        EXPECT_EQ(VertexFormatSize(mesh.formatBits), mesh.stride) << rel;
        EXPECT_GT(mesh.triangleCount, 0u) << rel;
        ASSERT_TRUE(mesh.positionKeys.count == 1 && mesh.rotationKeys.count == 1 &&
                    mesh.scaleKeys.count == 1)
            << rel;
        EXPECT_EQ(mesh.scaleKeys.keys[0].x, 1.0f) << rel;
        EXPECT_EQ(mesh.rotationKeys.keys[0].w, 1.0f) << rel;
    }
}

TEST_F(GeneratedData, SoundtrackDecodesGaplesslyForAtLeast125SecondsLoudWithoutClipping) {
    audio::DecodedAudio decoded;
    std::string error, warning;
    ASSERT_TRUE(
        audio::DecodeMp3File(Path(content::kSoundtrack).c_str(), &decoded, &error, &warning))
        << error;
    EXPECT_GE(decoded.frames, int64_t(125) * 44100);
    EXPECT_EQ(decoded.announcedFrames, decoded.frames);  // the LAME tag states the exact length
    float peak = 0;
    for (float v : decoded.samples) peak = std::max(peak, std::fabs(v));
    EXPECT_LT(peak, 1.0f);
    EXPECT_GT(peak, 0.3f);
}

}  // namespace
