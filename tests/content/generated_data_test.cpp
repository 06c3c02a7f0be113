// Every file of the generated production, read back with the demo's own readers.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "content_paths.h"
#include "platform/audio/mp3_decoder.h"
#include "platform/image/image.h"
#include "resources/mesh_file.h"
#include "sync/track_file.h"

namespace {

namespace fs = std::filesystem;

class GeneratedData : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!fs::exists(fs::path(VM_DATA_DIR) / content::kSoundtrack))
            GTEST_SKIP() << "no generated data in " << VM_DATA_DIR << " (content build is off)";
    }
    static std::string path(const std::string& relative) {
        return (fs::path(VM_DATA_DIR) / relative).string();
    }
};

TEST_F(GeneratedData, MeshesParseWithIndicesInRangeAndOneUnitPlacingKey) {
    for (const char* rel : {content::kMeshEyes, content::kMeshBody, content::kMeshJaw,
                            content::kMeshNostrils, content::kMeshRing, content::kMeshTusks}) {
        std::vector<uint8_t> bytes;
        std::string reason;
        bool opened = false;
        ASSERT_TRUE(ReadWholeFile(path(rel).c_str(), kMaxMeshFileBytes, bytes, reason, opened))
            << rel << ": " << reason;
        MeshFileContents mesh;
        ASSERT_TRUE(ParseMeshFile(bytes.data(), bytes.size(), mesh, reason))
            << rel << ": " << reason;
        EXPECT_EQ(VertexFormatSize(mesh.formatBits), mesh.stride) << rel;
        EXPECT_GT(mesh.triangleCount, 0u) << rel;
        for (uint16_t i : mesh.indices) ASSERT_LT(i, mesh.vertexCount) << rel;
        ASSERT_EQ(mesh.positionKeys.count, 1u) << rel;
        ASSERT_EQ(mesh.rotationKeys.count, 1u) << rel;
        ASSERT_EQ(mesh.scaleKeys.count, 1u) << rel;
        EXPECT_FLOAT_EQ(mesh.scaleKeys.keys[0].x, 1.0f)
            << rel;  // an empty scale would shrink it to nothing
        EXPECT_FLOAT_EQ(mesh.rotationKeys.keys[0].w, 1.0f) << rel;
    }
}

TEST_F(GeneratedData, ImagesDecodeAtTheirSizes) {
    struct Expect {
        const char* rel;
        uint32_t w, h;
    };
    for (const Expect& e :
         {Expect{content::kEyeImage, 256, 256}, Expect{content::kBackdropImage, 1024, 576},
          Expect{content::kTitleImage, 1280, 720}, Expect{content::kEndImage, 1280, 720}}) {
        std::string error;
        const auto image = image::LoadFile(path(e.rel), &error);
        ASSERT_TRUE(image.has_value()) << e.rel << ": " << error;
        EXPECT_EQ(image->width, e.w) << e.rel;
        EXPECT_EQ(image->height, e.h) << e.rel;
    }
}

TEST_F(GeneratedData, SoundtrackDecodesGaplesslyForAtLeast125SecondsLoudWithoutClipping) {
    audio::DecodedAudio decoded;
    std::string error, warning;
    ASSERT_TRUE(
        audio::DecodeMp3File(path(content::kSoundtrack).c_str(), &decoded, &error, &warning))
        << error;
    EXPECT_GE(decoded.frames, int64_t(125) * 44100);
    EXPECT_EQ(decoded.announcedFrames, decoded.frames);  // the LAME tag states the exact length
    float peak = 0;
    for (float v : decoded.samples) peak = std::max(peak, std::fabs(v));
    EXPECT_LT(peak, 1.0f);
    EXPECT_GT(peak, 0.3f);
}

TEST_F(GeneratedData, TwentyThreeWellFormedTrackFilesAndTheEffectFiles) {
    int files = 0;
    for (const auto& entry : fs::directory_iterator(fs::path(VM_DATA_DIR) / "s")) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("synced_", 0) != 0 || entry.path().extension() != ".track") continue;
        ++files;
        sync::Track track;
        const auto report = sync::ReadTrackFile(entry.path().string(), track);
        EXPECT_TRUE(report.opened && report.problem.empty()) << name << ": " << report.problem;
        EXPECT_EQ(report.keysRead, report.declaredKeys) << name;
        EXPECT_GT(track.keyCount(), 0u) << name;
    }
    EXPECT_EQ(files, 23);
    sync::Track part;
    sync::ReadTrackFile(path("s/synced_0_part.track"), part);
    EXPECT_EQ(int(part.valueAt(1568.0f)), 6);
    for (const char* rel : {"vessmark/shaders/pig.fx", "vessmark/shaders/floor.fx",
                            "vessmark/shaders/texture.fx", "DefaultFilters/DefaultFilter.fx",
                            "DefaultFilters/Guassian.fx", "DefaultFilters/NearestEdge.fx",
                            "DefaultFilters/BlurFilter.fx", "DefaultFilters/color.fx"})
        EXPECT_GT(fs::file_size(path(rel)), 100u) << rel;
}

}  // namespace
