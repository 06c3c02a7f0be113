// A headless OpenGL device for pixel tests, with helpers to draw clip-space triangles and read
// surfaces back (row 0 = top of the picture).
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

// A vertex of the test geometry: clip-space position and texture coordinate.
struct Vertex {
    float x, y, z;
    float u, v;
};

class Picture {
public:
    Picture() = default;
    Picture(uint32_t width, uint32_t height, std::vector<uint8_t> rgba)
        : width_(width), height_(height), rgba_(std::move(rgba)) {}
    Rgba At(uint32_t x, uint32_t y) const {
        const uint8_t* p = &rgba_[(size_t(y) * width_ + x) * 4];
        return {p[0], p[1], p[2], p[3]};
    }
    uint32_t Width() const { return width_; }
    uint32_t Height() const { return height_; }

private:
    uint32_t width_ = 0, height_ = 0;
    std::vector<uint8_t> rgba_;
};

class DeviceTest : public ::testing::Test {
protected:
    static constexpr uint32_t kWidth = 64;
    static constexpr uint32_t kHeight = 32;

    void SetUp() override;
    void TearDown() override;

    // Creates buffers and a POSITION/TEXCOORD0 declaration, draws one triangle list, releases them.
    void DrawTriangles(const std::vector<Vertex>& vertices, const std::vector<uint16_t>& indices);
    // A rectangle in clip coordinates (x0,y0 top-left ... x1,y1 bottom-right), u,v 0..1 from top-left.
    void DrawRect(float x0, float y0, float x1, float y1, float z = 0.5f);

    // The current render target (not multisampled) and any texture, read back.
    Picture ReadTarget();
    Picture ReadTexture(gfx::Texture* texture);

    gfx::Surface* NewTextureTarget(uint32_t width, uint32_t height, gfx::Texture** texture,
                                   uint32_t format = gfx::D3DFMT_X8R8G8B8);

    gfx::Adapter* adapter_ = nullptr;
    gfx::Device* device_ = nullptr;
    std::vector<Picture> frames_;  // what Present handed to the sink
};

}  // namespace gfx_test
