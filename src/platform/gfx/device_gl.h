// The OpenGL device: Direct3D 9 style frame operations over one GL context. Internal to
// platform/gfx; callers see gfx::Device.
//
// Conventions: every surface keeps row 0 at the top of the picture (glClipControl upper-left,
// depth 0..1; on OpenGL ES the effects' vertex stage flips y and remaps depth instead, and the
// device swaps the winding culling sees); the back buffer is an off-screen texture that Present
// copies to the window (upright) and hands to the frame sink. GL state is cached: redundant changes
// cost no GL call.
#pragma once

#include <array>
#include <memory>
#include <vector>

#include "platform/gfx/gfx.h"
#include "platform/gfx/gl_context.h"
#include "platform/gfx/ref_counted.h"
#include "platform/gfx/resources.h"

namespace gfx::gl {

class DeviceGl final : public RefCounted<Device> {
  public:
    // Null with a failing result when the context or the back buffer cannot be made.
    static DeviceGl* Create(ContextProvider provider, ui::Window* window,
                            const PresentParameters& params, const Limits& limits, HRESULT* result);

    // The device keeps its adapter (and so the windowing system under the context) alive until it
    // dies itself, which may be after the adapter's owner has let go of it.
    void HoldAdapter(Adapter* adapter);
    bool IsEs() const { return es_; }

    HRESULT CreateTexture(uint32_t width, uint32_t height, uint32_t levels, D3DUSAGE usage,
                          D3DFORMAT format, D3DPOOL pool, Texture** texture) override;
    HRESULT CreateRenderTarget(uint32_t width, uint32_t height, D3DFORMAT format,
                               uint32_t multiSample, uint32_t quality, int32_t lockable,
                               Surface** surface) override;
    HRESULT CreateDepthStencilSurface(uint32_t width, uint32_t height, D3DFORMAT format,
                                      uint32_t multiSample, uint32_t quality, int32_t discard,
                                      Surface** surface) override;
    HRESULT CreateVertexBuffer(uint32_t length, D3DUSAGE usage, uint32_t fvf, D3DPOOL pool,
                               VertexBuffer** buffer) override;
    HRESULT CreateIndexBuffer(uint32_t length, D3DUSAGE usage, D3DFORMAT format, D3DPOOL pool,
                              IndexBuffer** buffer) override;
    HRESULT CreateVertexDeclaration(const VertexElement* elements,
                                    VertexDeclaration** declaration) override;
    HRESULT CreateTextureFromFile(const char* path, Texture** texture) override;
    HRESULT CreateCubeTexture(uint32_t edge, uint32_t levels, D3DUSAGE usage, D3DFORMAT format,
                              D3DPOOL pool, CubeTexture** texture) override;
    HRESULT CreateVolumeTexture(uint32_t width, uint32_t height, uint32_t depth, uint32_t levels,
                                D3DUSAGE usage, D3DFORMAT format, D3DPOOL pool,
                                VolumeTexture** texture) override;

    HRESULT GetRenderTarget(uint32_t index, Surface** surface) override;
    HRESULT SetRenderTarget(uint32_t index, Surface* surface) override;
    HRESULT GetDepthStencilSurface(Surface** surface) override;
    HRESULT SetDepthStencilSurface(Surface* surface) override;
    HRESULT StretchRect(Surface* source, const Rect* sourceRect, Surface* dest,
                        const Rect* destRect, D3DTEXTUREFILTERTYPE filter) override;

    HRESULT BeginScene() override;
    HRESULT EndScene() override;
    HRESULT Clear(uint32_t count, const Rect* rects, uint32_t flags, uint32_t color, float z,
                  uint32_t stencil) override;
    HRESULT Present(const Rect* sourceRect, const Rect* destRect, ui::Window* window,
                    const void* dirtyRegion) override;
    HRESULT SetRenderState(D3DRENDERSTATETYPE state, uint32_t value) override;
    HRESULT GetRenderState(D3DRENDERSTATETYPE state, uint32_t* value) override;
    HRESULT SetTransform(D3DTRANSFORMSTATETYPE state, const float* matrix16) override;
    HRESULT GetTransform(D3DTRANSFORMSTATETYPE state, float* matrix16) override;
    HRESULT SetTexture(uint32_t stage, Texture* texture) override;
    HRESULT GetTexture(uint32_t stage, Texture** texture) override;
    HRESULT SetStreamSource(uint32_t stream, VertexBuffer* buffer, uint32_t offset,
                            uint32_t stride) override;
    HRESULT SetVertexDeclaration(VertexDeclaration* declaration) override;
    HRESULT SetIndices(IndexBuffer* buffer) override;
    HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE type, int32_t baseVertex, uint32_t minIndex,
                                 uint32_t numVertices, uint32_t startIndex,
                                 uint32_t primitiveCount) override;

  private:
    HRESULT MakeLayered(unsigned target, uint32_t width, uint32_t height, uint32_t layers,
                        uint32_t levels, D3DFORMAT format, unsigned* name);
    void ApplyStencil();
    // Runs the configured overlay hook on the bound draw framebuffer.
    void DrawOverlay();
    DeviceGl(std::unique_ptr<Context> context, const Limits& limits);
    ~DeviceGl() override;

    bool Init(const PresentParameters& params, HRESULT* result);
    HRESULT MakeTexture(uint32_t width, uint32_t height, D3DUSAGE usage, D3DFORMAT format,
                        D3DPOOL pool, const void* rgba, TextureGl** texture);
    HRESULT CheckSize(uint32_t width, uint32_t height) const;
    void AttachColor(unsigned fbo, SurfaceGl* surface, uint64_t* attachedSerial);
    void AttachDepth(unsigned fbo, SurfaceGl* surface, uint64_t* attachedSerial);
    // Gives the current depth-stencil surface its storage if it has none yet, and attaches it.
    void RealiseDepth();
    void ApplyRenderState(D3DRENDERSTATETYPE state, uint32_t value);
    // Points the attributes at the stream, baseVertex vertices on; false (reported on stderr) when
    // GL refused the layout.
    bool SetupVertexInputs(int32_t baseVertex);
    void SetDeviceClipConventions();
    void ClearDepthTo(float z);

    std::unique_ptr<Context> context_;
    Adapter* adapter_ = nullptr;
    LifeRef life_ = std::make_shared<ContextLife>();
    Limits limits_;
    bool es_;  // OpenGL ES 3.0 rules (the browser's)

    TextureGl* backBuffer_ = nullptr;
    SurfaceGl* renderTarget_ = nullptr;  // holds a reference
    SurfaceGl* depthStencil_ = nullptr;  // holds a reference; null = no depth

    unsigned vao_ = 0;
    unsigned drawFbo_ = 0;  // the render target and depth surface
    unsigned readFbo_ = 0;  // StretchRect source, Present source
    unsigned blitFbo_ = 0;  // StretchRect destination
    uint64_t drawColorSerial_ = 0, drawDepthSerial_ = 0;
    uint64_t readColorSerial_ = 0, blitColorSerial_ = 0;

    std::array<uint32_t, 256> renderStates_{};
    std::array<std::array<float, 16>, 3> transforms_{};     // world, view, projection
    std::array<Texture*, kTextureStages> stageTextures_{};  // one reference each

    VertexBufferGl* stream_ = nullptr;  // holds a reference
    uint32_t streamOffset_ = 0;
    uint32_t streamStride_ = 0;
    VertexDeclarationGl* declaration_ = nullptr;  // holds a reference
    IndexBufferGl* indices_ = nullptr;            // holds a reference
    bool vertexInputsDirty_ = true;
    bool vertexInputsFailed_ = false;  // until the stream or declaration changes
    uint32_t enabledAttributes_ = 0;
    int32_t inputsBaseVertex_ = 0;  // the base vertex the attribute pointers include

    int sceneDepth_ = 0;
    std::vector<uint8_t> frameBytes_;
};

}  // namespace gfx::gl
