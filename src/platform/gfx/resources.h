// The device's resources on OpenGL: textures and their level-0 surfaces, render-target and
// depth-stencil surfaces (renderbuffers), vertex and index buffers with a CPU copy, and vertex
// declarations resolved to fixed attribute locations. Internal to platform/gfx.
#pragma once

#include <cstdint>
#include <memory>
#include <type_traits>
#include <vector>

#include "platform/gfx/gfx.h"
#include "platform/gfx/gl_bridge.h"
#include "platform/gfx/ref_counted.h"

namespace gfx::gl {

// Shared by a device and everything it made: once the device (and its context) is gone, releasing
// a resource frees only its CPU side.
struct ContextLife {
    bool alive = true;
};
using LifeRef = std::shared_ptr<ContextLife>;

// Unique per surface for the whole process, so cached framebuffer attachments never confuse a dead
// surface with a new one.
uint64_t NextSurfaceSerial();

class TextureGl;

class SurfaceGl final : public Surface {
  public:
    // A renderbuffer surface of its own (render target or depth-stencil).
    SurfaceGl(LifeRef life, unsigned renderbuffer, const SurfaceDesc& desc, bool depth);
    // The level-0 surface of a texture: shares the texture's reference count.
    SurfaceGl(TextureGl* container, unsigned texture, const SurfaceDesc& desc);

    uint32_t AddRef() override;
    uint32_t Release() override;
    HRESULT GetDesc(SurfaceDesc* desc) override;

    bool IsTexture() const { return container_ != nullptr; }
    bool IsDepth() const { return depth_; }
    // Depth-stencil surfaces get their storage only when a clear or a depth-tested draw first needs
    // it: full-screen passes never do, and a multisampled depth buffer is large.
    bool StoragePending() const { return storagePending_; }
    void MarkStoragePending() { storagePending_ = true; }
    // Allocates the pending storage; false (with nothing allocated) when GL refuses it.
    bool AllocateStorage();
    unsigned Name() const { return name_; }
    uint64_t Serial() const { return serial_; }
    const SurfaceDesc& Desc() const { return desc_; }

  private:
    ~SurfaceGl() override;
    friend class TextureGl;

    TextureGl* container_ = nullptr;
    LifeRef life_;
    unsigned name_ = 0;
    SurfaceDesc desc_;
    bool depth_ = false;
    bool storagePending_ = false;
    uint64_t serial_;
    uint32_t refs_ = 1;
};

class TextureGl final : public RefCounted<Texture> {
  public:
    TextureGl(LifeRef life, unsigned texture, const SurfaceDesc& desc);

    HRESULT GetLevelDesc(uint32_t level, SurfaceDesc* desc) override;
    HRESULT GetSurfaceLevel(uint32_t level, Surface** surface) override;

    unsigned Name() const { return name_; }
    SurfaceGl* Level0() { return &level0_; }

  private:
    ~TextureGl() override;

    LifeRef life_;
    unsigned name_;
    SurfaceDesc desc_;
    SurfaceGl level0_;
};

// Cube (6 faces) and volume textures: a CPU copy of the texels in Direct3D's layout, uploaded by
// Unlock.
template <class Interface>
class LayeredTextureGl final : public RefCounted<Interface> {
  public:
    // target: GL_TEXTURE_CUBE_MAP (layers = 6 faces) or GL_TEXTURE_3D (layers = depth slices).
    LayeredTextureGl(LifeRef life, unsigned texture, unsigned target, const SurfaceDesc& desc,
                     uint32_t layers);

    HRESULT GetLevelDesc(uint32_t level, SurfaceDesc* desc) override;
    HRESULT GetSurfaceLevel(uint32_t, Surface** surface) override;
    HRESULT LockRect(D3DCUBEMAP_FACES face, uint32_t level, LockedRect* locked, const Rect* rect,
                     uint32_t flags);
    HRESULT UnlockRect(D3DCUBEMAP_FACES face, uint32_t level);
    HRESULT LockBox(uint32_t level, LockedBox* locked, const void* box, uint32_t flags);
    HRESULT UnlockBox(uint32_t level);

    unsigned Name() const { return name_; }
    unsigned Target() const { return target_; }

  private:
    ~LayeredTextureGl() override;
    // Uploads layers [first, first + count).
    void Upload(uint32_t first, uint32_t count);

    LifeRef life_;
    unsigned name_, target_;
    SurfaceDesc desc_;
    uint32_t layers_;
    std::vector<uint32_t> texels_;  // 0xAARRGGBB, layer by layer
    int locked_ = -1;               // the locked face, layers_ for the whole volume, -1: none
};

using CubeTextureGl = LayeredTextureGl<CubeTexture>;
using VolumeTextureGl = LayeredTextureGl<VolumeTexture>;

// Vertex and index buffers: Lock hands out the CPU copy; Unlock uploads what was locked.
template <class Interface>
class BufferGl final : public RefCounted<Interface> {
  public:
    BufferGl(LifeRef life, unsigned buffer, uint32_t length);

    HRESULT Lock(uint32_t offset, uint32_t size, void** data, uint32_t flags) override;
    HRESULT Unlock() override;

    unsigned Name() const { return name_; }
    uint32_t Length() const { return static_cast<uint32_t>(cpu_.size()); }
    const uint8_t* CpuData() const { return cpu_.data(); }

  private:
    ~BufferGl() override;

    LifeRef life_;
    unsigned name_;
    std::vector<uint8_t> cpu_;
    bool locked_ = false;
    uint32_t dirtyBegin_ = 0;
    uint32_t dirtyEnd_ = 0;
};
using VertexBufferGl = BufferGl<VertexBuffer>;
using IndexBufferGl = BufferGl<IndexBuffer>;

// Binds a buffer for an upload at the target of its kind, and puts the target's previous buffer
// back at the end of the scope. WebGL fixes a buffer's kind at its first binding: index data must
// only ever meet the element target, vertex data never.
class UploadBinding {
  public:
    UploadBinding(bool indices, unsigned buffer);
    ~UploadBinding();
    UploadBinding(const UploadBinding&) = delete;
    UploadBinding& operator=(const UploadBinding&) = delete;
    unsigned Target() const { return target_; }

  private:
    unsigned target_;
    int previous_ = 0;
};
template <class Interface>
constexpr bool kHoldsIndices = std::is_same_v<Interface, IndexBuffer>;

// One vertex attribute as the draw call sets it up.
struct VertexAttribute {
    int location;
    int components;
    uint32_t offset;
};

class VertexDeclarationGl final : public RefCounted<VertexDeclaration> {
  public:
    // Null with D3DERR_INVALIDCALL in *result when the elements are not usable.
    static VertexDeclarationGl* Create(const VertexElement* elements, HRESULT* result);

    HRESULT GetDeclaration(VertexElement* elements, uint32_t* count) override;

    const std::vector<VertexAttribute>& Attributes() const { return attributes_; }
    uint32_t LocationMask() const { return locationMask_; }

  private:
    VertexDeclarationGl() = default;
    ~VertexDeclarationGl() override = default;

    std::vector<VertexElement> elements_;  // end marker included
    std::vector<VertexAttribute> attributes_;
    uint32_t locationMask_ = 0;
};

// Upper bound on a buffer's length: anything larger is refused as out of video memory.
constexpr uint32_t kMaxBufferBytes = 512u << 20;

}  // namespace gfx::gl
