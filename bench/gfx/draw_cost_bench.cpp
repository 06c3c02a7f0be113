// CPU cost of 1,200 draws a frame through the device (buffer, declaration and render-state changes
// between draws) against a bare OpenGL loop that draws the same geometry with the same changes.
// Prints microseconds per draw for both and their ratio. Headless (EGL surfaceless).
#include <epoxy/gl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/gfx/gfx.h"

using namespace gfx;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kDrawsPerFrame = 1200;
constexpr int kFrames = 30;
constexpr int kMeshes = 8;
constexpr uint32_t kStride = 32;  // position, normal, texcoord

unsigned MakeProgram() {
    const char* vs =
        "#version 330 core\nlayout(location=0) in vec3 p;\nlayout(location=6) in vec2 t;\n"
        "out vec2 v;\nvoid main(){ v=t; gl_Position=vec4(p*0.1,1.0); }\n";
    const char* fs =
        "#version 330 core\nin vec2 v;\nout vec4 o;\nvoid main(){ o=vec4(v,0.5,0.5); }\n";
    auto compile = [](GLenum stage, const char* src) {
        GLuint s = glCreateShader(stage);
        glShaderSource(s, 1, &src, nullptr);
        glCompileShader(s);
        return s;
    };
    GLuint program = glCreateProgram();
    glAttachShader(program, compile(GL_VERTEX_SHADER, vs));
    glAttachShader(program, compile(GL_FRAGMENT_SHADER, fs));
    glLinkProgram(program);
    return program;
}

// A small grid: 4 x 4 quads, 32 triangles.
void MakeGeometry(int seed, std::vector<float>* vertices, std::vector<uint16_t>* indices) {
    constexpr int n = 5;
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            const float v[8] = {float(x + seed) - 4, float(y) - 2, 0.5f, 0, 0, 1,
                                float(x) / 4,        float(y) / 4};
            vertices->insert(vertices->end(), v, v + 8);
        }
    for (int y = 0; y < n - 1; ++y)
        for (int x = 0; x < n - 1; ++x) {
            const uint16_t b = uint16_t(y * n + x);
            const uint16_t q[6] = {b,
                                   uint16_t(b + 1),
                                   uint16_t(b + n),
                                   uint16_t(b + n + 1),
                                   uint16_t(b + n),
                                   uint16_t(b + 1)};
            indices->insert(indices->end(), q, q + 6);
        }
}

double Micros(Clock::duration d) {
    return std::chrono::duration<double, std::micro>(d).count();
}

}  // namespace

int main() {
    Config config;
    config.provider = ContextProvider::Headless;
    Configure(config);
    Adapter* adapter = Direct3DCreate9(D3D_SDK_VERSION);
    if (!adapter) return 1;
    PresentParameters pp;
    pp.BackBufferWidth = 320;
    pp.BackBufferHeight = 180;
    pp.BackBufferFormat = D3DFMT_X8R8G8B8;
    Device* device = nullptr;
    if (Failed(adapter->CreateDevice(0, D3DDEVTYPE_HAL, nullptr,
                                     D3DCREATE_HARDWARE_VERTEXPROCESSING, &pp, &device)))
        return 1;

    const VertexElement full[] = {{0, 0, D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_POSITION, 0},
                                  {0, 12, D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_NORMAL, 0},
                                  {0, 24, D3DDECLTYPE_FLOAT2, 0, D3DDECLUSAGE_TEXCOORD, 0},
                                  D3DDECL_END};
    const VertexElement lean[] = {{0, 0, D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_POSITION, 0},
                                  {0, 24, D3DDECLTYPE_FLOAT2, 0, D3DDECLUSAGE_TEXCOORD, 0},
                                  D3DDECL_END};
    VertexDeclaration* decls[2] = {};
    device->CreateVertexDeclaration(full, &decls[0]);
    device->CreateVertexDeclaration(lean, &decls[1]);
    VertexBuffer* vbs[kMeshes] = {};
    IndexBuffer* ibs[kMeshes] = {};
    GLuint glVbs[kMeshes] = {}, glIbs[kMeshes] = {};
    uint32_t triangles = 0;
    for (int m = 0; m < kMeshes; ++m) {
        std::vector<float> v;
        std::vector<uint16_t> i;
        MakeGeometry(m, &v, &i);
        triangles = uint32_t(i.size() / 3);
        device->CreateVertexBuffer(uint32_t(v.size() * 4), D3DUSAGE_NONE, 0, D3DPOOL_DEFAULT,
                                   &vbs[m]);
        device->CreateIndexBuffer(uint32_t(i.size() * 2), D3DUSAGE_NONE, D3DFMT_INDEX16,
                                  D3DPOOL_MANAGED, &ibs[m]);
        void* p = nullptr;
        vbs[m]->Lock(0, 0, &p, 0);
        std::memcpy(p, v.data(), v.size() * 4);
        vbs[m]->Unlock();
        ibs[m]->Lock(0, 0, &p, 0);
        std::memcpy(p, i.data(), i.size() * 2);
        ibs[m]->Unlock();
        // The bare loop's own copies of the same geometry.
        glGenBuffers(1, &glVbs[m]);
        glBindBuffer(GL_COPY_WRITE_BUFFER, glVbs[m]);
        glBufferData(GL_COPY_WRITE_BUFFER, GLsizeiptr(v.size() * 4), v.data(), GL_STATIC_DRAW);
        glGenBuffers(1, &glIbs[m]);
        glBindBuffer(GL_COPY_WRITE_BUFFER, glIbs[m]);
        glBufferData(GL_COPY_WRITE_BUFFER, GLsizeiptr(i.size() * 2), i.data(), GL_STATIC_DRAW);
    }
    const GLuint program = MakeProgram();
    glUseProgram(program);
    Surface* depth = nullptr;
    device->CreateDepthStencilSurface(320, 180, D3DFMT_D24S8, 0, 0, 1, &depth);
    device->SetDepthStencilSurface(depth);

    auto deviceFrame = [&] {
        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF202020u, 1.0f, 0);
        device->BeginScene();
        for (int d = 0; d < kDrawsPerFrame; ++d) {
            const int m = d % kMeshes;
            device->SetRenderState(D3DRS_CULLMODE, (d & 1) ? D3DCULL_CCW : D3DCULL_NONE);
            device->SetRenderState(D3DRS_ALPHABLENDENABLE, (d / 4) & 1);
            device->SetRenderState(D3DRS_ZWRITEENABLE, (d / 8) & 1);
            device->SetVertexDeclaration(decls[(d / 16) & 1]);
            device->SetStreamSource(0, vbs[m], 0, kStride);
            device->SetIndices(ibs[m]);
            device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 25, 0, triangles);
        }
        device->EndScene();
        device->Present(nullptr, nullptr, nullptr, nullptr);
    };

    // The same work in plain GL calls, without any caching: what a naive port would do.
    GLuint vao = 0;
    glGenVertexArrays(1, &vao);
    GLint deviceVao = 0;
    glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &deviceVao);
    auto bareFrame = [&] {
        glBindVertexArray(vao);
        glClearColor(0.125f, 0.125f, 0.125f, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        for (int d = 0; d < kDrawsPerFrame; ++d) {
            const int m = d % kMeshes;
            if (d & 1) {
                glEnable(GL_CULL_FACE);
                glFrontFace(GL_CW);
            } else {
                glDisable(GL_CULL_FACE);
            }
            if ((d / 4) & 1)
                glEnable(GL_BLEND);
            else
                glDisable(GL_BLEND);
            glDepthMask((d / 8) & 1 ? GL_TRUE : GL_FALSE);
            glBindBuffer(GL_ARRAY_BUFFER, glVbs[m]);
            glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, kStride, nullptr);
            glEnableVertexAttribArray(0);
            if (((d / 16) & 1) == 0) {
                glVertexAttribPointer(2, 3, GL_FLOAT, GL_FALSE, kStride,
                                      reinterpret_cast<void*>(12));
                glEnableVertexAttribArray(2);
            } else {
                glDisableVertexAttribArray(2);
            }
            glVertexAttribPointer(6, 2, GL_FLOAT, GL_FALSE, kStride, reinterpret_cast<void*>(24));
            glEnableVertexAttribArray(6);
            glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, glIbs[m]);
            glDrawElementsBaseVertex(GL_TRIANGLES, GLsizei(triangles * 3), GL_UNSIGNED_SHORT,
                                     nullptr, 0);
        }
        glFlush();
        glBindVertexArray(GLuint(deviceVao));
    };

    auto measure = [&](auto&& frame) {
        frame();  // warm-up
        glFinish();
        Clock::duration submit{}, total{};
        for (int f = 0; f < kFrames; ++f) {
            const auto t0 = Clock::now();
            frame();
            const auto t1 = Clock::now();
            glFinish();
            submit += t1 - t0;
            total += Clock::now() - t0;
        }
        return std::pair(Micros(submit) / (kFrames * kDrawsPerFrame),
                         Micros(total) / kFrames / 1000.0);
    };
    // Alternate the two loops and keep each one's best round, so that warm-up and the driver's
    // shader variants for each state mix do not favour either side.
    double deviceUs = 1e9, deviceMs = 1e9, bareUs = 1e9, bareMs = 1e9;
    for (int round = 0; round < 3; ++round) {
        const auto [du, dm] = measure(deviceFrame);
        const auto [bu, bm] = measure(bareFrame);
        deviceUs = std::min(deviceUs, du);
        deviceMs = std::min(deviceMs, dm);
        bareUs = std::min(bareUs, bu);
        bareMs = std::min(bareMs, bm);
    }
    std::printf("draws per frame: %d (%u triangles each), frames: %d\n", kDrawsPerFrame, triangles,
                kFrames);
    std::printf("device:  %.3f us CPU per draw (submission), %.2f ms per frame with GPU wait\n",
                deviceUs, deviceMs);
    std::printf("bare GL: %.3f us CPU per draw (submission), %.2f ms per frame with GPU wait\n",
                bareUs, bareMs);
    std::printf("ratio device / bare GL (CPU per draw): %.2f\n", deviceUs / bareUs);

    glDeleteVertexArrays(1, &vao);
    glDeleteBuffers(kMeshes, glVbs);
    glDeleteBuffers(kMeshes, glIbs);
    glUseProgram(0);
    glDeleteProgram(program);
    for (int m = 0; m < kMeshes; ++m) {
        vbs[m]->Release();
        ibs[m]->Release();
    }
    decls[0]->Release();
    decls[1]->Release();
    device->SetDepthStencilSurface(nullptr);
    depth->Release();
    device->Release();
    adapter->Release();
    return 0;
}
