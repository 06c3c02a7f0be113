#include "gfx/device_fixture.h"

#include <cstring>
#include <ostream>

#include <epoxy/gl.h>

using namespace gfx;

namespace gfx_test {

void PrintTo(const Rgba& c, std::ostream* os) {
    *os << "(" << int(c.r) << "," << int(c.g) << "," << int(c.b) << "," << int(c.a) << ")";
}

bool Near(Rgba a, Rgba b, int tolerance) {
    auto close = [&](uint8_t x, uint8_t y) { return std::abs(int(x) - int(y)) <= tolerance; };
    return close(a.r, b.r) && close(a.g, b.g) && close(a.b, b.b) && close(a.a, b.a);
}

void DeviceTest::SetUp() {
    Config config;
    config.provider = ContextProvider::Headless;
    config.frameSink = [this](const Frame& f) {
        frames_.emplace_back(f.width, f.height, std::vector<uint8_t>(f.rgba, f.rgba + size_t(f.width) * f.height * 4));
    };
    Configure(config);
    adapter_ = Direct3DCreate9(D3D_SDK_VERSION);
    ASSERT_NE(adapter_, nullptr);
    PresentParameters pp;
    pp.BackBufferWidth = kWidth;
    pp.BackBufferHeight = kHeight;
    pp.BackBufferFormat = D3DFMT_X8R8G8B8;
    pp.Windowed = 1;
    ASSERT_EQ(adapter_->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, nullptr,
                                     D3DCREATE_HARDWARE_VERTEXPROCESSING, &pp, &device_),
              D3D_OK);
    ASSERT_NE(device_, nullptr);
}

void DeviceTest::TearDown() {
    if (device_) {
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
        glUseProgram(0);
        EXPECT_EQ(device_->Release(), 0u);
    }
    if (adapter_) adapter_->Release();
    Configure(Config{});
}

void DeviceTest::DrawTriangles(const std::vector<Vertex>& vertices, const std::vector<uint16_t>& indices) {
    static const VertexElement kDecl[] = {
        {0, 0, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0},
        {0, 12, D3DDECLTYPE_FLOAT2, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 0},
        D3DDECL_END};
    VertexBuffer* vb = nullptr;
    IndexBuffer* ib = nullptr;
    VertexDeclaration* decl = nullptr;
    const auto vbBytes = uint32_t(vertices.size() * sizeof(Vertex));
    const auto ibBytes = uint32_t(indices.size() * 2);
    ASSERT_EQ(device_->CreateVertexBuffer(vbBytes, D3DUSAGE_WRITEONLY, 0, D3DPOOL_DEFAULT, &vb), D3D_OK);
    ASSERT_EQ(device_->CreateIndexBuffer(ibBytes, D3DUSAGE_WRITEONLY, D3DFMT_INDEX16, D3DPOOL_MANAGED, &ib), D3D_OK);
    ASSERT_EQ(device_->CreateVertexDeclaration(kDecl, &decl), D3D_OK);
    void* p = nullptr;
    ASSERT_EQ(vb->Lock(0, 0, &p, 0), D3D_OK);
    std::memcpy(p, vertices.data(), vbBytes);
    vb->Unlock();
    ASSERT_EQ(ib->Lock(0, 0, &p, 0), D3D_OK);
    std::memcpy(p, indices.data(), ibBytes);
    ib->Unlock();
    device_->SetVertexDeclaration(decl);
    device_->SetStreamSource(0, vb, 0, sizeof(Vertex));
    device_->SetIndices(ib);
    EXPECT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, uint32_t(vertices.size()), 0,
                                            uint32_t(indices.size() / 3)),
              D3D_OK);
    device_->SetStreamSource(0, nullptr, 0, 0);
    device_->SetIndices(nullptr);
    device_->SetVertexDeclaration(nullptr);
    vb->Release();
    ib->Release();
    decl->Release();
}

void DeviceTest::DrawRect(float x0, float y0, float x1, float y1, float z) {
    DrawTriangles({{x0, y0, z, 0, 0}, {x1, y0, z, 1, 0}, {x0, y1, z, 0, 1}, {x1, y1, z, 1, 1}},
                  {0, 1, 2, 3, 2, 1});
}

namespace {

Picture ReadBound(uint32_t width, uint32_t height) {
    std::vector<uint8_t> rgba(size_t(width) * height * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, GLsizei(width), GLsizei(height), GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    return Picture(width, height, std::move(rgba));
}

}  // namespace

Picture DeviceTest::ReadTarget() {
    Surface* target = nullptr;
    device_->GetRenderTarget(0, &target);
    SurfaceDesc desc;
    target->GetDesc(&desc);
    target->Release();
    GLint draw = 0, read = 0;
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &draw);
    glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &read);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, GLuint(draw));
    Picture picture = ReadBound(desc.Width, desc.Height);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, GLuint(read));
    return picture;
}

Picture DeviceTest::ReadTexture(Texture* texture) {
    SurfaceDesc desc;
    texture->GetLevelDesc(0, &desc);
    GLint read = 0;
    glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &read);
    GLuint fbo = 0;
    glGenFramebuffers(1, &fbo);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, fbo);
    glFramebufferTexture2D(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, gl::TextureName(texture), 0);
    Picture picture = ReadBound(desc.Width, desc.Height);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, GLuint(read));
    glDeleteFramebuffers(1, &fbo);
    return picture;
}

Surface* DeviceTest::NewTextureTarget(uint32_t width, uint32_t height, Texture** texture, uint32_t format) {
    *texture = nullptr;
    Surface* surface = nullptr;
    EXPECT_EQ(device_->CreateTexture(width, height, 1, D3DUSAGE_RENDERTARGET, format, D3DPOOL_DEFAULT, texture),
              D3D_OK);
    if (*texture) {
        EXPECT_EQ((*texture)->GetSurfaceLevel(0, &surface), D3D_OK);
    }
    return surface;
}

}  // namespace gfx_test
