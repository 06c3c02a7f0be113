// A headless OpenGL device for pixel tests: clip-space draws through one test-only GLSL program (it
// stands in for the effect layer), pictures read back with row 0 on top, and results and pixels
// written as short text for one-line comparisons.
#pragma once

#include <epoxy/gl.h>
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "platform/gfx/gfx.h"
#include "platform/gfx/gl_bridge.h"

namespace gfx_test {

using namespace gfx;

// Red, green, blue, alpha.
using Rgba = std::array<int, 4>;
// Within `tolerance` per channel.
inline bool Near(Rgba a, Rgba b, int tolerance) {
    for (int i = 0; i < 4; ++i)
        if (std::abs(a[i] - b[i]) > tolerance) return false;
    return true;
}

struct Picture {
    uint32_t width = 0, height = 0;
    std::vector<uint8_t> rgba;
    Rgba At(uint32_t x, uint32_t y) const {
        const uint8_t* p = &rgba[(size_t(y) * width + x) * 4];
        return {p[0], p[1], p[2], p[3]};
    }
    // "WxH:" and the RRGGBB of each spot: "64x32: ff0000 0000ff".
    std::string Spots(std::initializer_list<std::pair<uint32_t, uint32_t>> spots) const {
        std::string out = std::to_string(width) + "x" + std::to_string(height) + ":";
        for (auto [x, y] : spots) {
            char hex[8];
            std::snprintf(hex, sizeof hex, " %02x%02x%02x", At(x, y)[0], At(x, y)[1], At(x, y)[2]);
            out += hex;
        }
        return out;
    }
};

// "ok", "invalid", "nomemory" or the number, space-separated, in call order.
inline std::string Results(std::initializer_list<HRESULT> results) {
    std::string out;
    for (HRESULT hr : results)
        out += hr == D3D_OK                    ? "ok "
               : hr == D3DERR_INVALIDCALL      ? "invalid "
               : hr == D3DERR_OUTOFVIDEOMEMORY ? "nomemory "
                                               : std::to_string(hr) + " ";
    return out.substr(0, out.size() - 1);
}

// A vertex of the test geometry: clip-space position and texture coordinate.
struct Vertex {
    float x, y, z;
    float u, v;
};

class DeviceTest : public ::testing::Test {
  protected:
    static constexpr uint32_t kWidth = 64;
    static constexpr uint32_t kHeight = 32;

    // A 64 x 32 device on provider_ cleared black, with the test program current in solid colour.
    void SetUp() override {
        Configure({.provider = provider_, .frameSink = [this](const Frame& f) {
                       frames_.push_back(
                           {f.width, f.height, {f.rgba, f.rgba + size_t(f.width) * f.height * 4}});
                   }});
        adapter_ = Direct3DCreate9(D3D_SDK_VERSION);
        ASSERT_NE(adapter_, nullptr);
        PresentParameters pp{.BackBufferWidth = kWidth,
                             .BackBufferHeight = kHeight,
                             .BackBufferFormat = D3DFMT_X8R8G8B8,
                             .Windowed = 1};
        ASSERT_EQ(adapter_->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, nullptr,
                                         D3DCREATE_HARDWARE_VERTEXPROCESSING, &pp, &device_),
                  D3D_OK);
        // The device's fixed attribute locations: position 0, colour 3, texcoord0 6. On ES the
        // vertex stage turns y over and maps depth 0..1 to -1..1, as the effect layer's ES
        // shaders do.
        const bool es = provider_ == ContextProvider::HeadlessEs;
        const std::string version =
            es ? "#version 300 es\nprecision highp float;\n" : "#version 330 core\n";
        const std::string vertex =
            version +
            "layout(location = 0) in vec3 p; layout(location = 6) in vec2 t; out vec2 v_t;\n"
            "void main() { v_t = t; gl_Position = " +
            (es ? "vec4(p.x, -p.y, 2.0 * p.z - 1.0, 1); }" : "vec4(p, 1); }");
        const std::string pixel =
            version +
            "in vec2 v_t; uniform bool textured; uniform vec4 color; uniform sampler2D tex;\n"
            "out vec4 o; void main() { o = textured ? texture(tex, v_t) : color; }";
        const char* sources[] = {vertex.c_str(), pixel.c_str()};
        program_ = glCreateProgram();
        for (GLenum stage : {GL_VERTEX_SHADER, GL_FRAGMENT_SHADER}) {
            const GLuint shader = glCreateShader(stage);
            glShaderSource(shader, 1, &sources[stage == GL_FRAGMENT_SHADER], nullptr);
            glCompileShader(shader);
            glAttachShader(program_, shader);
            glDeleteShader(shader);
        }
        glLinkProgram(program_);
        GLint linked = 0;
        glGetProgramiv(program_, GL_LINK_STATUS, &linked);
        ASSERT_TRUE(linked);
        glUseProgram(program_);
        SetColor(1, 1, 1);
        device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
    }
    void TearDown() override {
        if (device_) {  // a test that released the device took the context and its program along
            EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
            glDeleteProgram(program_);
            EXPECT_EQ(device_->Release(), 0u);
        }
        if (adapter_) adapter_->Release();
        Configure({});
    }

    // Draws in this colour, or from this texture at texcoord0.
    void SetColor(float r, float g, float b, float a = 1.0f) {
        SetTexture(nullptr);
        glUniform4f(glGetUniformLocation(program_, "color"), r, g, b, a);
    }
    void SetTexture(Texture* texture) {
        glBindTexture(GL_TEXTURE_2D, texture ? gl::TextureName(texture) : 0);
        glUniform1i(glGetUniformLocation(program_, "textured"), texture != nullptr);
    }

    // A write-only vertex or 16-bit index buffer holding these bytes.
    template <class Buffer>
    Buffer* NewBuffer(const void* data, size_t bytes) {
        Buffer* buffer = nullptr;
        if constexpr (std::is_same_v<Buffer, VertexBuffer>)
            device_->CreateVertexBuffer(uint32_t(bytes), D3DUSAGE_WRITEONLY, 0, D3DPOOL_DEFAULT,
                                        &buffer);
        else
            device_->CreateIndexBuffer(uint32_t(bytes), D3DUSAGE_WRITEONLY, D3DFMT_INDEX16,
                                       D3DPOOL_MANAGED, &buffer);
        void* p = nullptr;
        EXPECT_EQ(buffer->Lock(0, 0, &p, 0), D3D_OK);
        std::memcpy(p, data, bytes);
        buffer->Unlock();
        return buffer;
    }
    static void Release(std::initializer_list<Unknown*> objects) {
        for (Unknown* object : objects) object->Release();
    }
    // One triangle list with a POSITION/TEXCOORD0 declaration, unbound and released after.
    void DrawTriangles(const std::vector<Vertex>& vertices, const std::vector<uint16_t>& indices) {
        static const VertexElement kDecl[] = {
            {0, 0, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0},
            {0, 12, D3DDECLTYPE_FLOAT2, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 0},
            D3DDECL_END};
        auto* vb = NewBuffer<VertexBuffer>(vertices.data(), vertices.size() * sizeof(Vertex));
        auto* ib = NewBuffer<IndexBuffer>(indices.data(), indices.size() * 2);
        VertexDeclaration* decl = nullptr;
        ASSERT_EQ(device_->CreateVertexDeclaration(kDecl, &decl), D3D_OK);
        device_->SetVertexDeclaration(decl);
        device_->SetStreamSource(0, vb, 0, sizeof(Vertex));
        device_->SetIndices(ib);
        EXPECT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, uint32_t(vertices.size()),
                                                0, uint32_t(indices.size() / 3)),
                  D3D_OK);
        device_->SetStreamSource(0, nullptr, 0, 0);
        device_->SetIndices(nullptr);
        device_->SetVertexDeclaration(nullptr);
        Release({vb, ib, decl});
    }
    // A rectangle in clip coordinates (x0,y0 top-left ... x1,y1 bottom-right), u,v 0..1 from
    // top-left.
    void DrawRect(float x0, float y0, float x1, float y1, float z = 0.5f) {
        DrawTriangles({{x0, y0, z, 0, 0}, {x1, y0, z, 1, 0}, {x0, y1, z, 0, 1}, {x1, y1, z, 1, 1}},
                      {0, 1, 2, 3, 2, 1});
    }
    void DrawFullScreen(float z = 0.5f) { DrawRect(-1, 1, 1, -1, z); }

    // The back buffer as Present hands it over, and any texture, read back.
    Picture Presented() {
        EXPECT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
        return frames_.empty() ? Picture{} : frames_.back();
    }
    Picture ReadTexture(Texture* texture) {
        SurfaceDesc desc;
        texture->GetLevelDesc(0, &desc);
        Picture picture{desc.Width, desc.Height,
                        std::vector<uint8_t>(size_t(desc.Width) * desc.Height * 4)};
        GLuint fbo = 0;
        glGenFramebuffers(1, &fbo);
        glBindFramebuffer(GL_READ_FRAMEBUFFER, fbo);
        glFramebufferTexture2D(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D,
                               gl::TextureName(texture), 0);
        glReadPixels(0, 0, GLsizei(desc.Width), GLsizei(desc.Height), GL_RGBA, GL_UNSIGNED_BYTE,
                     picture.rgba.data());
        glDeleteFramebuffers(1, &fbo);
        return picture;
    }

    Surface* NewTextureTarget(uint32_t width, uint32_t height, Texture** texture,
                              D3DFORMAT format = D3DFMT_X8R8G8B8) {
        Surface* surface = nullptr;
        EXPECT_EQ(device_->CreateTexture(width, height, 1, D3DUSAGE_RENDERTARGET, format,
                                         D3DPOOL_DEFAULT, texture),
                  D3D_OK);
        if (*texture) (*texture)->GetSurfaceLevel(0, &surface);
        return surface;
    }

    ContextProvider provider_ = ContextProvider::Headless;  // set before SetUp
    Adapter* adapter_ = nullptr;
    Device* device_ = nullptr;
    unsigned program_ = 0;
    std::vector<Picture> frames_;  // what Present handed to the sink
};

}  // namespace gfx_test
