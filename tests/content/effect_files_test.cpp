// The eight effect files compile with the project's effect compiler on a headless device and offer
// the parameters and pass counts the scenes and filters use.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/fx/fx.h"
#include "platform/gfx/gfx.h"

namespace {

using namespace gfx;

struct Expected {
    const char* file;
    uint32_t passes;
    std::vector<const char*> matrices, floats, textures;
    std::vector<std::pair<const char*, int>> arrays;
};

TEST(EffectFiles, CompileAndOfferTheirParametersAndPasses) {
    Config config;
    config.provider = ContextProvider::Headless;
    Configure(config);
    Adapter* adapter = Direct3DCreate9(D3D_SDK_VERSION);
    ASSERT_NE(adapter, nullptr);
    PresentParameters pp;
    pp.BackBufferWidth = 64;
    pp.BackBufferHeight = 36;
    pp.BackBufferFormat = D3DFMT_X8R8G8B8;
    pp.Windowed = 1;
    Device* device = nullptr;
    ASSERT_EQ(adapter->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_HARDWARE_VERTEXPROCESSING,
                                    &pp, &device),
              D3D_OK);

    const std::vector<Expected> effects = {
        {"vessmark/shaders/pig.fx",
         4,
         {"matWorldViewProjection", "matWorldView", "matWorld"},
         {"FogEnd", "FadeEnd"},
         {"tex0"},
         {{"CameraPosition", 3}, {"DiffuseColor", 4}}},
        {"vessmark/shaders/floor.fx", 1, {"matWorldViewProjection"}, {}, {}, {}},
        {"vessmark/shaders/texture.fx", 1, {"matWorldViewProjection"}, {"alpha"}, {"tex0"}, {}},
        {"DefaultFilters/DefaultFilter.fx", 1, {"matProjection"}, {}, {"tex0"}, {}},
        {"DefaultFilters/Guassian.fx", 1, {"matProjection"}, {"radius"}, {"tex0"}, {{"offset", 2}}},
        {"DefaultFilters/NearestEdge.fx",
         1,
         {"matProjection"},
         {"power"},
         {"tex0"},
         {{"offset", 2}}},
        {"DefaultFilters/BlurFilter.fx", 3, {"matProjection"}, {"radius"}, {"tex0", "tex1"}, {}},
        {"DefaultFilters/color.fx", 1, {"matProjection"}, {}, {}, {}},
    };
    const float identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    const float four[4] = {1, 1, 1, 1};
    for (const Expected& e : effects) {
        const std::string path = std::string(VM_CONTENT_SOURCE_DIR) + "/" + e.file;
        fx::Effect* effect = nullptr;
        std::string messages;
        ASSERT_EQ(fx::CreateEffectFromFile(device, path.c_str(), fx::D3DXSHADER_DEBUG, &effect,
                                           &messages),
                  D3D_OK)
            << e.file << ":\n"
            << messages;
        uint32_t passes = 0;
        effect->Begin(&passes, 0);
        effect->End();
        EXPECT_EQ(passes, e.passes) << e.file;
        for (const char* m : e.matrices)
            EXPECT_EQ(effect->SetMatrix(m, identity), D3D_OK) << e.file << " " << m;
        for (const char* f : e.floats)
            EXPECT_EQ(effect->SetFloat(f, 1.0f), D3D_OK) << e.file << " " << f;
        for (const char* t : e.textures)
            EXPECT_EQ(effect->SetTexture(t, nullptr), D3D_OK) << e.file << " " << t;
        for (const auto& [name, n] : e.arrays)
            EXPECT_EQ(effect->SetFloatArray(name, four, uint32_t(n)), D3D_OK)
                << e.file << " " << name;
        effect->Release();
    }
    device->Release();
    adapter->Release();
}

}  // namespace
