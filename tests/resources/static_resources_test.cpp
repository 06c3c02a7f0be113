#include "resources/static_resources.h"

#include <gtest/gtest.h>

namespace {

TEST(StaticResources, StartEmptyAndReleaseWithoutADevice) {
    for (RenderTexture* rt :
         {&sceneTarget, &workTarget, &spareTarget0, &spareTarget1, &spareTarget2, &spareTarget3,
          &halfTargetB, &halfTargetA, &quarterTarget}) {
        EXPECT_EQ(rt->width, 512);
        EXPECT_EQ(rt->height, 512);
        EXPECT_EQ(rt->texture, nullptr);
        rt->Release();
    }
    for (Mesh* mesh :
         {&renderQuad, &screenQuad, &borderStrip, &unusedQuad, &floorQuad, &backdropQuad}) {
        EXPECT_EQ(mesh->vertexBuffer, nullptr);
        mesh->Draw();
        mesh->Release();
    }
    EXPECT_EQ(filterEffects.Count() + sceneEffects.Count() + textures.Count() + meshes.Count(), 0u);
    EXPECT_EQ(dtexture.texture, nullptr);
    dtexture.Release();
}

}  // namespace
