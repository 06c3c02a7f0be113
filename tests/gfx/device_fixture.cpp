#include "gfx/device_fixture.h"

#include <epoxy/gl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ostream>
#include <string>

using namespace gfx;

namespace gfx_test {

void PrintTo(const Rgba& c, std::ostream* os) {
    *os << "(" << int(c.r) << "," << int(c.g) << "," << int(c.b) << "," << int(c.a) << ")";
}

bool Near(Rgba a, Rgba b, int tolerance) {
    auto close = [&](uint8_t x, uint8_t y) { return std::abs(int(x) - int(y)) <= tolerance; };
    return close(a.r, b.r) && close(a.g, b.g) && close(a.b, b.b) && close(a.a, b.a);
}

namespace {

GLuint Compile(GLenum stage, const char* source) {
    GLuint shader = glCreateShader(stage);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    GLint ok = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (!ok) {
        char log[2048];
        glGetShaderInfoLog(shader, sizeof log, nullptr, log);
        std::fprintf(stderr, "test shader: %s\n", log);
        std::abort();
    }
    return shader;
}

Picture ReadBound(uint32_t width, uint32_t height) {
    Picture picture{width, height, std::vector<uint8_t>(size_t(width) * height * 4)};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, GLsizei(width), GLsizei(height), GL_RGBA, GL_UNSIGNED_BYTE,
                 picture.rgba.data());
    return picture;
}

}  // namespace

unsigned BuildProgram(Shading shading, bool es) {
    static const char* kVertex = R"(#version 330 core
layout(location = 0) in vec3 a_position;
layout(location = 3) in vec4 a_color;
layout(location = 6) in vec2 a_texcoord0;
out vec2 v_texcoord0;
out vec4 v_color;
void main() { v_texcoord0 = a_texcoord0; v_color = a_color; gl_Position = vec4(a_position, 1.0); })";
    static const char* kVertexEs = R"(#version 300 es
layout(location = 0) in vec3 a_position;
layout(location = 3) in vec4 a_color;
layout(location = 6) in vec2 a_texcoord0;
out vec2 v_texcoord0;
out vec4 v_color;
void main() {
    v_texcoord0 = a_texcoord0;
    v_color = a_color;
    gl_Position = vec4(a_position.x, -a_position.y, 2.0 * a_position.z - 1.0, 1.0);
})";
    const std::string fragment =
        std::string(es ? "#version 300 es\nprecision highp float;\n" : "#version 330 core\n") +
        "in vec2 v_texcoord0;\nin vec4 v_color;\n" +
        "uniform vec4 u_color;\nuniform sampler2D u_tex;\nout vec4 o_color;\nvoid main() { " +
        (shading == Shading::Solid      ? "o_color = u_color; }"
         : shading == Shading::Textured ? "o_color = texture(u_tex, v_texcoord0); }"
                                        : "o_color = v_color; }");
    const GLuint vs = Compile(GL_VERTEX_SHADER, es ? kVertexEs : kVertex),
                 fs = Compile(GL_FRAGMENT_SHADER, fragment.c_str());
    const GLuint program = glCreateProgram();
    glAttachShader(program, vs);
    glAttachShader(program, fs);
    glLinkProgram(program);
    glDeleteShader(vs);
    glDeleteShader(fs);
    GLint ok = 0;
    glGetProgramiv(program, GL_LINK_STATUS, &ok);
    if (!ok) {
        std::fprintf(stderr, "test program does not link\n");
        std::abort();
    }
    return program;
}

void DeviceTest::SetUp() {
    Config config;
    config.provider = provider_;
    config.frameSink = [this](const Frame& f) {
        frames_.push_back({f.width, f.height,
                           std::vector<uint8_t>(f.rgba, f.rgba + size_t(f.width) * f.height * 4)});
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
    solid_ = BuildProgram(Shading::Solid, Es());
    glUseProgram(solid_);
    device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
}

void DeviceTest::TearDown() {
    if (device_) {  // a test that released the device took the context and its programs with it
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
        glUseProgram(0);
        glDeleteProgram(solid_);
        EXPECT_EQ(device_->Release(), 0u);
    }
    if (adapter_) adapter_->Release();
    Configure(Config{});
}

void DeviceTest::SetColor(float r, float g, float b, float a) {
    glUseProgram(solid_);
    glUniform4f(glGetUniformLocation(solid_, "u_color"), r, g, b, a);
}

VertexBuffer* DeviceTest::NewVertexBuffer(const void* data, uint32_t bytes) {
    VertexBuffer* vb = nullptr;
    void* p = nullptr;
    EXPECT_EQ(device_->CreateVertexBuffer(bytes, D3DUSAGE_WRITEONLY, 0, D3DPOOL_DEFAULT, &vb),
              D3D_OK);
    if (vb && vb->Lock(0, 0, &p, 0) == D3D_OK) {
        std::memcpy(p, data, bytes);
        vb->Unlock();
    }
    return vb;
}

IndexBuffer* DeviceTest::NewIndexBuffer(const std::vector<uint16_t>& indices) {
    IndexBuffer* ib = nullptr;
    void* p = nullptr;
    const auto bytes = uint32_t(indices.size() * 2);
    EXPECT_EQ(
        device_->CreateIndexBuffer(bytes, D3DUSAGE_WRITEONLY, D3DFMT_INDEX16, D3DPOOL_MANAGED, &ib),
        D3D_OK);
    if (ib && ib->Lock(0, 0, &p, 0) == D3D_OK) {
        std::memcpy(p, indices.data(), bytes);
        ib->Unlock();
    }
    return ib;
}

void DeviceTest::DrawTriangles(const std::vector<Vertex>& vertices,
                               const std::vector<uint16_t>& indices) {
    static const VertexElement kDecl[] = {
        {0, 0, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0},
        {0, 12, D3DDECLTYPE_FLOAT2, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 0},
        D3DDECL_END};
    VertexBuffer* vb = NewVertexBuffer(vertices.data(), uint32_t(vertices.size() * sizeof(Vertex)));
    IndexBuffer* ib = NewIndexBuffer(indices);
    VertexDeclaration* decl = nullptr;
    ASSERT_EQ(device_->CreateVertexDeclaration(kDecl, &decl), D3D_OK);
    ASSERT_TRUE(vb && ib);
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
    glFramebufferTexture2D(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D,
                           gl::TextureName(texture), 0);
    Picture picture = ReadBound(desc.Width, desc.Height);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, GLuint(read));
    glDeleteFramebuffers(1, &fbo);
    return picture;
}

Surface* DeviceTest::NewTextureTarget(uint32_t width, uint32_t height, Texture** texture,
                                      D3DFORMAT format) {
    *texture = nullptr;
    Surface* surface = nullptr;
    EXPECT_EQ(device_->CreateTexture(width, height, 1, D3DUSAGE_RENDERTARGET, format,
                                     D3DPOOL_DEFAULT, texture),
              D3D_OK);
    if (*texture) {
        EXPECT_EQ((*texture)->GetSurfaceLevel(0, &surface), D3D_OK);
    }
    return surface;
}

}  // namespace gfx_test
