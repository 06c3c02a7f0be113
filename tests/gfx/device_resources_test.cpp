// Multisample answers, resource creation and failure, buffers and the draw's checks.
#include <numeric>

#include "gfx/device_fixture.h"

using namespace gfx_test;

TEST_F(DeviceTest, MultisampleAnswersMatchWhatCreationHonours) {
    std::string supported;
    for (uint32_t samples = 0; samples <= 16; ++samples) {
        const HRESULT answer = adapter_->CheckDeviceMultiSampleType(
            0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, 1, samples, nullptr);
        Surface* rt = nullptr;
        Surface* depth = nullptr;
        const std::string made = Results(
            {device_->CreateRenderTarget(8, 8, D3DFMT_X8R8G8B8, samples, 0, 0, &rt),
             device_->CreateDepthStencilSurface(8, 8, D3DFMT_D24S8, samples, 0, 1, &depth)});
        EXPECT_EQ(made, answer == D3D_OK ? "ok ok" : "invalid invalid") << samples << " samples";
        if (answer == D3D_OK) supported += std::to_string(samples) + " ";
        for (Surface* s : {rt, depth})
            if (s) s->Release();
    }
    // None, and at least one real sample count on any GL 3.3 driver, but never 1.
    EXPECT_TRUE(supported.rfind("0 ", 0) == 0 && supported.size() > 2 && supported[2] != '1')
        << supported;
}

// Zero or oversized extents, formats of the wrong kind, memory that cannot be had (a surface within
// the largest side but over 512 MiB is refused before GL is asked): failure, and no object.
TEST_F(DeviceTest, FailedCreationsReturnFailureAndNoObject) {
    Texture* tex = reinterpret_cast<Texture*>(1);
    Surface* s = reinterpret_cast<Surface*>(1);
    VertexBuffer* vb = reinterpret_cast<VertexBuffer*>(1);
    IndexBuffer* ib = reinterpret_cast<IndexBuffer*>(1);
    VertexDeclaration* decl = reinterpret_cast<VertexDeclaration*>(1);
    const VertexElement secondStream[] = {{1, 0, D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_POSITION, 0},
                                          D3DDECL_END};
    const auto index32 = static_cast<D3DFORMAT>(102);
    EXPECT_EQ(
        Results({
            device_->CreateTexture(0, 16, 1, D3DUSAGE_NONE, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &tex),
            device_->CreateTexture(1u << 20, 16, 1, D3DUSAGE_NONE, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
                                   &tex),
            device_->CreateTexture(16, 16, 1, D3DUSAGE_NONE, D3DFMT_D24S8, D3DPOOL_MANAGED, &tex),
            device_->CreateRenderTarget(16, 16, D3DFMT_D24X8, 0, 0, 0, &s),
            device_->CreateRenderTarget(16384, 8193, D3DFMT_X8R8G8B8, 0, 0, 0, &s),
            device_->CreateDepthStencilSurface(16, 16, D3DFMT_X8R8G8B8, 0, 0, 1, &s),
            device_->CreateDepthStencilSurface(1u << 30, 1u << 30, D3DFMT_D24S8, 0, 0, 1, &s),
            device_->CreateVertexBuffer(0, D3DUSAGE_NONE, 0, D3DPOOL_DEFAULT, &vb),
            device_->CreateVertexBuffer(0xFFFFFFF0u, D3DUSAGE_NONE, 0, D3DPOOL_DEFAULT, &vb),
            device_->CreateIndexBuffer(64, D3DUSAGE_NONE, index32, D3DPOOL_MANAGED, &ib),
            device_->CreateVertexDeclaration(nullptr, &decl),
            device_->CreateVertexDeclaration(secondStream, &decl),
        }),
        "invalid invalid invalid invalid nomemory invalid invalid invalid nomemory invalid invalid "
        "invalid");
    EXPECT_EQ((std::vector<void*>{tex, s, vb, ib, decl}), std::vector<void*>(5, nullptr));
}

// A partial lock reaches the GPU; draws check the index range, and a stride GL refuses fails the
// draw with a line on stderr, in every build, instead of drawing with the previous layout.
TEST_F(DeviceTest, BufferLocksReachTheGpuAndDrawsCheckTheirIndexRangeAndStride) {
    std::vector<uint8_t> bytes(64);
    std::iota(bytes.begin(), bytes.end(), 0);
    auto* vb = NewBuffer<VertexBuffer>(bytes.data(), 64);
    void* p = nullptr;
    ASSERT_EQ(vb->Lock(16, 8, &p, 0), D3D_OK);
    EXPECT_EQ(static_cast<uint8_t*>(p)[0], 16);
    static_cast<uint8_t*>(p)[7] = bytes[23] = 200;
    EXPECT_EQ(Results({vb->Unlock(), vb->Unlock(), vb->Lock(65, 0, &p, 0), vb->Lock(60, 8, &p, 0)}),
              "ok invalid invalid invalid");
    EXPECT_EQ(p, nullptr);

    static const VertexElement kDecl[] = {{0, 0, D3DDECLTYPE_FLOAT4, 0, D3DDECLUSAGE_POSITION, 0},
                                          D3DDECL_END};
    VertexDeclaration* decl = nullptr;
    device_->CreateVertexDeclaration(kDecl, &decl);
    const uint16_t indices[] = {0, 1, 2};
    auto* ib = NewBuffer<IndexBuffer>(indices, sizeof indices);
    device_->SetVertexDeclaration(decl);
    device_->SetIndices(ib);
    Caps caps;
    ASSERT_EQ(adapter_->GetDeviceCaps(0, D3DDEVTYPE_HAL, &caps), D3D_OK);
    GLint glStride = 0;  // a GL 4.4 limit; 2048 where the driver does not say
    glGetIntegerv(GL_MAX_VERTEX_ATTRIB_STRIDE, &glStride);
    while (glGetError() != GL_NO_ERROR) {
    }
    EXPECT_EQ(caps.MaxStreamStride, glStride > 0 ? uint32_t(glStride) : 2048u);
    testing::internal::CaptureStderr();
    std::string results;
    for (uint32_t stride : {16u, 16u, caps.MaxStreamStride + 4, 16u}) {
        device_->SetStreamSource(0, vb, 0, stride);
        const uint32_t first = results.empty() ? 1 : 0;  // the first draw starts past the indices
        results += Results({device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, first, 1)});
        results += " ";
    }
    EXPECT_NE(testing::internal::GetCapturedStderr().find("vertex layout was refused"),
              std::string::npos);
    EXPECT_EQ(results, "invalid ok invalid ok ");
    GLuint name = 0;
    glGetVertexAttribIuiv(0, GL_VERTEX_ATTRIB_ARRAY_BUFFER_BINDING, &name);
    std::vector<uint8_t> gpu(64);
    glGetNamedBufferSubData(name, 0, 64, gpu.data());
    EXPECT_EQ(gpu, bytes);
    Release({vb, ib, decl});  // the device still holds them
}
