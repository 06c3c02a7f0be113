// Registry semantics through the texture and mesh registries on a recording device.
#include <gtest/gtest.h>

#include "resources/mesh_proxy.h"
#include "resources/texture_stack.h"
#include "support/call_lines.h"
#include "support/recording_device.h"

namespace {

using Boxes = std::vector<vmtest::BoxRecorder::Box>;
using vmtest::Lines;
using vmtest::Text;

class RegistryTest : public ::testing::Test {
  protected:
    vmtest::RecordingDevice device;
    vmtest::ScopedDevice use{&device};
    vmtest::BoxRecorder boxes;
    TextureStack textures;
};

TEST_F(RegistryTest, LoadsPairsUntilAFailureAndFindsExactNamesTheFirstEntryFirst) {
    EXPECT_EQ(textures.Find("a"), nullptr);  // empty
    EXPECT_EQ(textures.Find(nullptr), nullptr);
    device.FailOn("CreateTextureFromFile", gfx::D3DXERR_INVALIDDATA, 3);
    const char* list[] = {"a.png", "Blur", "b.png", "dama", "c.png", "Blur",
                          "d.png", "bad",  "e.png", "e",    nullptr};
    textures.Load(list);
    EXPECT_LINES(device.Calls(),
                 (Lines{"CreateTextureFromFile(a.png)", "CreateTextureFromFile(b.png)",
                        "CreateTextureFromFile(c.png)", "CreateTextureFromFile(d.png)"}));
    ASSERT_EQ(textures.Count(), 3u);
    EXPECT_EQ(textures.NameAt(2), list[5]);  // the pointer given, not a copy
    EXPECT_EQ(Text(textures.Find("Blur")), "tex1");
    EXPECT_EQ(Text(textures.Find("dama")), "tex2");
    for (const char* missing : {"blur", "Blu", "Blurs", "e"})
        EXPECT_EQ(textures.Find(missing), nullptr);
    EXPECT_EQ(boxes.boxes, (Boxes{{"a", "No Match"},
                                  {"(null)", "No Match"},
                                  {"InvalidData With bad", "TextureStack"},
                                  {"blur", "No Match"},
                                  {"Blu", "No Match"},
                                  {"Blurs", "No Match"},
                                  {"e", "No Match"}}));
}

TEST_F(RegistryTest, AFileWithoutANameStopsTheLoadAfterThePairsBefore) {
    const char* list[] = {"a.png", "eyes", "b.png", nullptr};
    textures.Load(list);
    MeshProxy meshes;
    const char* meshList[] = {"no/such/file.mesh", "g1", "other.mesh", nullptr};
    meshes.Load(meshList);
    EXPECT_EQ(boxes.boxes, (Boxes{{"Check Your Texture ParamenterList\n", "Error"},
                                  {"no/such/file.mesh", "Failed To Open The MeshFile"},
                                  {"Check Your Parameter List", "MeshProxy"}}));
    EXPECT_EQ(std::tuple(textures.Count(), meshes.Count()), std::tuple(1u, 1u));
    meshes.Find("g1")->Draw();  // kept empty: draws nothing
    EXPECT_LINES(device.Calls(), (Lines{"CreateTextureFromFile(a.png)"}));
}

TEST_F(RegistryTest, ReleaseDropsTheRegistrysReferenceOnEveryItemOnce) {
    const char* list[] = {"a.png", "a", "b.png", "b", nullptr};
    textures.Load(list);
    textures.Find("a")->AddRef();  // somebody else still holds it
    textures.Release();
    textures.Release();
    EXPECT_EQ(textures.Count(), 0u);
    EXPECT_EQ(device.LiveObjects(), (Lines{"tex1"}));
    EXPECT_EQ(device.faults, 0);
}

}  // namespace
