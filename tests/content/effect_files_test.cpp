// The eight effect files compile with the project's effect compiler on a headless device and take
// the parameters and pass counts the scenes and filters use.
#include <sstream>

#include "gfx/device_fixture.h"
#include "platform/fx/fx.h"

namespace {

class EffectFiles : public gfx_test::DeviceTest {};

TEST_F(EffectFiles, CompileAndTakeTheirParametersAndPasses) {
    // The pass count, then each parameter as kind:name (m matrix, f float, t texture, or the
    // number of floats of an array).
    const std::pair<const char*, const char*> effects[] = {
        {"vessmark/shaders/pig.fx",
         "4 m:matWorldViewProjection m:matWorldView m:matWorld f:FogEnd f:FadeEnd t:tex0 "
         "3:CameraPosition 4:DiffuseColor"},
        {"vessmark/shaders/floor.fx", "1 m:matWorldViewProjection"},
        {"vessmark/shaders/texture.fx", "1 m:matWorldViewProjection f:alpha t:tex0"},
        {"DefaultFilters/DefaultFilter.fx", "1 m:matProjection t:tex0"},
        {"DefaultFilters/Guassian.fx", "1 m:matProjection f:radius t:tex0 2:offset"},
        {"DefaultFilters/NearestEdge.fx", "1 m:matProjection f:power t:tex0 2:offset"},
        {"DefaultFilters/BlurFilter.fx", "3 m:matProjection f:radius t:tex0 t:tex1"},
        {"DefaultFilters/color.fx", "1 m:matProjection"},
    };
    const float values[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    for (const auto& [file, parameters] : effects) {
        const std::string path = std::string(VM_CONTENT_SOURCE_DIR) + "/" + file;
        fx::Effect* effect = nullptr;
        std::string messages;
        ASSERT_EQ(fx::CreateEffectFromFile(device_, path.c_str(), fx::D3DXSHADER_DEBUG, &effect,
                                           &messages),
                  gfx::D3D_OK)
            << file << ":\n"
            << messages;
        uint32_t passes = 0;
        effect->Begin(&passes, 0);
        effect->End();
        std::string taken = std::to_string(passes), word;
        std::istringstream words(parameters);
        for (words >> word; words >> word;) {
            const char* name = word.c_str() + 2;
            const gfx::HRESULT hr = word[0] == 'm'   ? effect->SetMatrix(name, values)
                                    : word[0] == 'f' ? effect->SetFloat(name, 1.0f)
                                    : word[0] == 't'
                                        ? effect->SetTexture(name, nullptr)
                                        : effect->SetFloatArray(name, values, word[0] - '0');
            if (hr == gfx::D3D_OK) taken += " " + word;
        }
        EXPECT_EQ(taken, parameters);
        effect->Release();
    }
}

}  // namespace
