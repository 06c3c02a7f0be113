// A headless OpenGL device for pixel tests: buffers and clip-space draws through test-only GLSL
// programs (they stand in for the effect layer), and surfaces read back with row 0 on top.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "platform/gfx/gfx.h"
#include "platform/gfx/gl_bridge.h"

namespace gfx_test {

struct Rgba {
    uint8_t r = 0, g = 0, b = 0, a = 0;
    bool operator==(const Rgba&) const = default;
};
void PrintTo(const Rgba& c, std::ostream* os);
// Within `tolerance` per channel.
bool Near(Rgba a, Rgba b, int tolerance = 2);

inline constexpr Rgba kRed{255, 0, 0, 255}, kGreen{0, 255, 0, 255}, kBlue{0, 0, 255, 255},
    kBlack{0, 0, 0, 255}, kWhite{255, 255, 255, 255};

// A vertex of the test geometry: clip-space position and texture coordinate.
struct Vertex {
    float x, y, z;
    float u, v;
};

struct Picture {
    uint32_t width = 0, height = 0;
    std::vector<uint8_t> rgba;
    Rgba At(uint32_t x, uint32_t y) const {
        const uint8_t* p = &rgba[(size_t(y) * width + x) * 4];
        return {p[0], p[1], p[2], p[3]};
    }
};

// GLSL 330 programs reading the device's fixed attribute locations (position 0, colour 3,
// texcoord0 6); position is used as Direct3D clip coordinates. For the ES flavour they are GLSL ES
// 3.00 and turn y over and map depth 0..1 to -1..1, as the effect layer's ES shaders do. Aborts
// with the log on a compile failure.
enum class Shading {
    Solid,        // the uniform "u_color"
    Textured,     // texture(u_tex, texcoord0)
    VertexColor,  // the COLOR0 attribute
};
unsigned BuildProgram(Shading shading, bool es = false);

class DeviceTest : public ::testing::Test {
  protected:
    static constexpr uint32_t kWidth = 64;
    static constexpr uint32_t kHeight = 32;

    // A 64 x 32 device on provider_ cleared black, with the solid-colour program current.
    void SetUp() override;
    void TearDown() override;

    void SetColor(float r, float g, float b, float a = 1.0f);
    gfx::VertexBuffer* NewVertexBuffer(const void* data, uint32_t bytes);
    gfx::IndexBuffer* NewIndexBuffer(const std::vector<uint16_t>& indices);
    // Draws one triangle list with a POSITION/TEXCOORD0 declaration, then unbinds and releases it
    // all.
    void DrawTriangles(const std::vector<Vertex>& vertices, const std::vector<uint16_t>& indices);
    // A rectangle in clip coordinates (x0,y0 top-left ... x1,y1 bottom-right), u,v 0..1 from
    // top-left.
    void DrawRect(float x0, float y0, float x1, float y1, float z = 0.5f);

    // The current render target (not multisampled) and any texture, read back.
    Picture ReadTarget();
    Picture ReadTexture(gfx::Texture* texture);

    gfx::Surface* NewTextureTarget(uint32_t width, uint32_t height, gfx::Texture** texture,
                                   gfx::D3DFORMAT format = gfx::D3DFMT_X8R8G8B8);

    bool Es() const { return provider_ == gfx::ContextProvider::HeadlessEs; }

    gfx::ContextProvider provider_ = gfx::ContextProvider::Headless;  // set before SetUp
    gfx::Adapter* adapter_ = nullptr;
    gfx::Device* device_ = nullptr;
    unsigned solid_ = 0;
    std::vector<Picture> frames_;  // what Present handed to the sink
};

}  // namespace gfx_test
