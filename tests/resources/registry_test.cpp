// Registry semantics through the texture and mesh registries on a recording device.
#include <gtest/gtest.h>

#include "resources/mesh_proxy.h"
#include "resources/texture_stack.h"
#include "support/call_lines.h"
#include "support/recording_device.h"

namespace {

using Box = vmtest::BoxRecorder::Box;
using Boxes = std::vector<Box>;
using vmtest::Lines;

class TextureRegistry : public ::testing::Test {
  protected:
    vmtest::RecordingDevice device;
    vmtest::ScopedDevice use{&device};
    vmtest::BoxRecorder boxes;
    TextureStack textures;
};

TEST_F(TextureRegistry, FindIsExactCaseSensitiveAndTheFirstEntryWins) {
    const char* list[] = {"a.png", "Blur", "b.png", "dama", "c.png", "Blur", nullptr};
    textures.Load(list);
    ASSERT_EQ(textures.Count(), 3u);
    EXPECT_EQ(textures.NameAt(0), list[1]);  // the pointer given, not a copy
    auto* first = static_cast<vmtest::FakeTexture*>(textures.Find("Blur"));
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->sourceFile, "a.png");
    EXPECT_TRUE(boxes.boxes.empty());

    EXPECT_EQ(textures.Find("blur"), nullptr);
    EXPECT_EQ(textures.Find("Blu"), nullptr);
    EXPECT_EQ(textures.Find("Blurs"), nullptr);
    EXPECT_EQ(boxes.boxes,
              (Boxes{{"blur", "No Match"}, {"Blu", "No Match"}, {"Blurs", "No Match"}}));
}

TEST_F(TextureRegistry, AFileWithoutANameStopsTheLoadAfterThePairsBefore) {
    const char* list[] = {"a.png", "eyes", "b.png", nullptr};
    textures.Load(list);
    EXPECT_LINES(device.Calls(), (Lines{"CreateTextureFromFile(a.png)"}));
    EXPECT_EQ(boxes.boxes, (Boxes{{"Check Your Texture ParamenterList\n", "Error"}}));
    EXPECT_EQ(textures.Count(), 1u);
}

TEST_F(TextureRegistry, AFailedImageIsReportedByNameAndEndsTheLoad) {
    device.FailOn("CreateTextureFromFile", gfx::D3DXERR_INVALIDDATA, 1);
    const char* list[] = {"vessmark/gris/augetext.JPG",
                          "eyes",
                          "vessmark/data/dama.png",
                          "dama",
                          "vessmark/data/bg.png",
                          "bg",
                          "vessmark/data/demo.png",
                          "demo",
                          nullptr};
    textures.Load(list);
    EXPECT_LINES(device.Calls(), (Lines{"CreateTextureFromFile(vessmark/gris/augetext.JPG)",
                                        "CreateTextureFromFile(vessmark/data/dama.png)"}));
    EXPECT_EQ(boxes.boxes, (Boxes{{"InvalidData With dama", "TextureStack"}}));
    EXPECT_NE(textures.Find("eyes"), nullptr);
    for (const char* name : {"dama", "bg", "demo"}) EXPECT_EQ(textures.Find(name), nullptr);
    EXPECT_EQ(boxes.boxes.size(), 4u);
}

TEST_F(TextureRegistry, ReleaseDropsTheRegistrysReferenceOnEveryTexture) {
    const char* list[] = {"a.png", "a", "b.png", "b", nullptr};
    textures.Load(list);
    auto* a = static_cast<vmtest::FakeTexture*>(textures.Find("a"));
    a->AddRef();  // somebody else still holds it
    textures.Release();
    EXPECT_EQ(textures.Count(), 0u);
    EXPECT_EQ(a->Refs(), 1u);
    EXPECT_EQ(device.LiveObjects(), (Lines{"tex1"}));
    a->Release();
    textures.Release();  // nothing left to release twice
    EXPECT_EQ(device.Faults(), 0);
}

TEST(MeshRegistry, KeepsAMeshForAMissingFileAndChecksItsList) {
    vmtest::RecordingDevice device;
    vmtest::ScopedDevice use(&device);
    vmtest::BoxRecorder boxes;
    MeshProxy meshes;
    const char* list[] = {"no/such/file.mesh", "g1", "other.mesh", nullptr};
    meshes.Load(list);
    EXPECT_EQ(boxes.boxes, (Boxes{{"no/such/file.mesh", "Failed To Open The MeshFile"},
                                  {"Check Your Parameter List", "MeshProxy"}}));
    ASSERT_EQ(meshes.Count(), 1u);
    Mesh* mesh = meshes.Find("g1");
    ASSERT_NE(mesh, nullptr);
    EXPECT_EQ(mesh->vertexCount, 0u);
    mesh->Draw();
    EXPECT_TRUE(device.Calls().empty());
}

}  // namespace
