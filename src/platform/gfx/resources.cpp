#include "platform/gfx/resources.h"

#include <algorithm>
#include <atomic>

#include "platform/gfx/gl_api.h"

namespace gfx::gl {

uint64_t NextSurfaceSerial() {
    static std::atomic<uint64_t> next{1};
    return next++;
}

// ---- Surfaces
// -------------------------------------------------------------------------------------

SurfaceGl::SurfaceGl(LifeRef life, unsigned renderbuffer, const SurfaceDesc& desc, bool depth)
    : life_(std::move(life)),
      name_(renderbuffer),
      desc_(desc),
      depth_(depth),
      serial_(NextSurfaceSerial()) {}

SurfaceGl::SurfaceGl(TextureGl* container, unsigned texture, const SurfaceDesc& desc)
    : container_(container), name_(texture), desc_(desc), serial_(NextSurfaceSerial()) {}

SurfaceGl::~SurfaceGl() {
    if (!container_ && life_ && life_->alive && name_) glDeleteRenderbuffers(1, &name_);
}

uint32_t SurfaceGl::AddRef() {
    return container_ ? container_->AddRef() : ++refs_;
}

uint32_t SurfaceGl::Release() {
    if (container_) return container_->Release();
    const uint32_t left = --refs_;
    if (left == 0) delete this;
    return left;
}

bool SurfaceGl::AllocateStorage() {
    if (!storagePending_) return true;
    if (!life_ || !life_->alive) return false;
    while (glGetError() != GL_NO_ERROR) {
    }
    glBindRenderbuffer(GL_RENDERBUFFER, name_);
    glRenderbufferStorageMultisample(GL_RENDERBUFFER, GLsizei(desc_.MultiSampleType),
                                     GL_DEPTH24_STENCIL8, GLsizei(desc_.Width),
                                     GLsizei(desc_.Height));
    if (glGetError() != GL_NO_ERROR) return false;
    storagePending_ = false;
    return true;
}

HRESULT SurfaceGl::GetDesc(SurfaceDesc* desc) {
    if (!desc) return D3DERR_INVALIDCALL;
    *desc = desc_;
    return D3D_OK;
}

// ---- Textures
// -------------------------------------------------------------------------------------

TextureGl::TextureGl(LifeRef life, unsigned texture, const SurfaceDesc& desc)
    : life_(std::move(life)), name_(texture), desc_(desc), level0_(this, texture, desc) {}

TextureGl::~TextureGl() {
    if (life_->alive && name_) glDeleteTextures(1, &name_);
}

HRESULT TextureGl::GetLevelDesc(uint32_t level, SurfaceDesc* desc) {
    if (level != 0 || !desc) return D3DERR_INVALIDCALL;
    *desc = desc_;
    return D3D_OK;
}

HRESULT TextureGl::GetSurfaceLevel(uint32_t level, Surface** surface) {
    if (!surface) return D3DERR_INVALIDCALL;
    *surface = nullptr;
    if (level != 0) return D3DERR_INVALIDCALL;
    AddRef();
    *surface = &level0_;
    return D3D_OK;
}

// ---- Cube and volume textures
// --------------------------------------------------------------------------------------

template <class Interface>
LayeredTextureGl<Interface>::LayeredTextureGl(LifeRef life, unsigned texture, unsigned target,
                                              const SurfaceDesc& desc, uint32_t layers)
    : life_(std::move(life)),
      name_(texture),
      target_(target),
      desc_(desc),
      layers_(layers),
      texels_(size_t(desc.Width) * desc.Height * layers, 0) {}

template <class Interface>
LayeredTextureGl<Interface>::~LayeredTextureGl() {
    if (life_->alive && name_) glDeleteTextures(1, &name_);
}

template <class Interface>
HRESULT LayeredTextureGl<Interface>::GetLevelDesc(uint32_t level, SurfaceDesc* desc) {
    if (level != 0 || !desc) return D3DERR_INVALIDCALL;
    *desc = desc_;
    return D3D_OK;
}

template <class Interface>
HRESULT LayeredTextureGl<Interface>::GetSurfaceLevel(uint32_t, Surface** surface) {
    if (surface) *surface = nullptr;
    return D3DERR_INVALIDCALL;
}

template <class Interface>
HRESULT LayeredTextureGl<Interface>::LockRect(D3DCUBEMAP_FACES face, uint32_t level,
                                              LockedRect* locked, const Rect* rect, uint32_t) {
    if (!locked || level != 0 || rect || face >= layers_ || locked_ >= 0 ||
        target_ != GL_TEXTURE_CUBE_MAP)
        return D3DERR_INVALIDCALL;
    const size_t layer = size_t(desc_.Width) * desc_.Height;
    locked->Pitch = int32_t(desc_.Width * 4);
    locked->pBits = texels_.data() + layer * face;
    locked_ = int(face);
    return D3D_OK;
}

template <class Interface>
HRESULT LayeredTextureGl<Interface>::UnlockRect(D3DCUBEMAP_FACES face, uint32_t level) {
    if (level != 0 || locked_ != int(face) || target_ != GL_TEXTURE_CUBE_MAP)
        return D3DERR_INVALIDCALL;
    Upload(face, 1);
    locked_ = -1;
    return D3D_OK;
}

template <class Interface>
HRESULT LayeredTextureGl<Interface>::LockBox(uint32_t level, LockedBox* locked, const void* box,
                                             uint32_t) {
    if (!locked || level != 0 || box || locked_ >= 0 || target_ != GL_TEXTURE_3D)
        return D3DERR_INVALIDCALL;
    locked->RowPitch = int32_t(desc_.Width * 4);
    locked->SlicePitch = int32_t(desc_.Width * desc_.Height * 4);
    locked->pBits = texels_.data();
    locked_ = int(layers_);
    return D3D_OK;
}

template <class Interface>
HRESULT LayeredTextureGl<Interface>::UnlockBox(uint32_t level) {
    if (level != 0 || locked_ != int(layers_) || target_ != GL_TEXTURE_3D)
        return D3DERR_INVALIDCALL;
    Upload(0, layers_);
    locked_ = -1;
    return D3D_OK;
}

template <class Interface>
void LayeredTextureGl<Interface>::Upload(uint32_t first, uint32_t count) {
    if (!life_->alive) return;
    // 0xAARRGGBB to R, G, B, A bytes; an X8R8G8B8 texture reads alpha as 1 by its format.
    const size_t layer = size_t(desc_.Width) * desc_.Height;
    std::vector<uint8_t> rgba(layer * count * 4);
    for (size_t i = 0; i < layer * count; ++i) {
        const uint32_t t = texels_[layer * first + i];
        rgba[i * 4 + 0] = uint8_t(t >> 16);
        rgba[i * 4 + 1] = uint8_t(t >> 8);
        rgba[i * 4 + 2] = uint8_t(t);
        rgba[i * 4 + 3] = uint8_t(t >> 24);
    }
    const GLenum binding =
        target_ == GL_TEXTURE_3D ? GL_TEXTURE_BINDING_3D : GL_TEXTURE_BINDING_CUBE_MAP;
    GLint previous = 0;
    glGetIntegerv(binding, &previous);
    glBindTexture(target_, name_);
    const auto w = GLsizei(desc_.Width), h = GLsizei(desc_.Height);
    if (target_ == GL_TEXTURE_3D)
        glTexSubImage3D(target_, 0, 0, 0, 0, w, h, GLsizei(count), GL_RGBA, GL_UNSIGNED_BYTE,
                        rgba.data());
    else
        glTexSubImage2D(GL_TEXTURE_CUBE_MAP_POSITIVE_X + first, 0, 0, 0, w, h, GL_RGBA,
                        GL_UNSIGNED_BYTE, rgba.data());
    glBindTexture(target_, GLuint(previous));
}

template class LayeredTextureGl<CubeTexture>;
template class LayeredTextureGl<VolumeTexture>;

// ---- Buffers
// --------------------------------------------------------------------------------------

template <class Interface>
BufferGl<Interface>::BufferGl(LifeRef life, unsigned buffer, uint32_t length)
    : life_(std::move(life)), name_(buffer), cpu_(length, 0) {}

template <class Interface>
BufferGl<Interface>::~BufferGl() {
    if (life_->alive && name_) glDeleteBuffers(1, &name_);
}

template <class Interface>
HRESULT BufferGl<Interface>::Lock(uint32_t offset, uint32_t size, void** data, uint32_t /*flags*/) {
    if (!data) return D3DERR_INVALIDCALL;
    *data = nullptr;
    const uint64_t length = cpu_.size();
    if (offset > length || (size != 0 && uint64_t(offset) + size > length))
        return D3DERR_INVALIDCALL;
    const uint32_t end = size == 0 ? static_cast<uint32_t>(length) : offset + size;
    // Nested locks widen the range that the final Unlock uploads.
    if (locked_) {
        dirtyBegin_ = std::min(dirtyBegin_, offset);
        dirtyEnd_ = std::max(dirtyEnd_, end);
    } else {
        dirtyBegin_ = offset;
        dirtyEnd_ = end;
        locked_ = true;
    }
    *data = cpu_.data() + offset;
    return D3D_OK;
}

template <class Interface>
HRESULT BufferGl<Interface>::Unlock() {
    if (!locked_) return D3DERR_INVALIDCALL;
    locked_ = false;
    if (!life_->alive || dirtyEnd_ <= dirtyBegin_) return D3D_OK;
    const UploadBinding binding(kHoldsIndices<Interface>, name_);
    if (dirtyBegin_ == 0 && dirtyEnd_ == cpu_.size())
        glBufferData(binding.Target(), GLsizeiptr(cpu_.size()), cpu_.data(), GL_STATIC_DRAW);
    else
        glBufferSubData(binding.Target(), dirtyBegin_, dirtyEnd_ - dirtyBegin_,
                        cpu_.data() + dirtyBegin_);
    return D3D_OK;
}

UploadBinding::UploadBinding(bool indices, unsigned buffer)
    : target_(indices ? GL_ELEMENT_ARRAY_BUFFER : GL_ARRAY_BUFFER) {
    glGetIntegerv(indices ? GL_ELEMENT_ARRAY_BUFFER_BINDING : GL_ARRAY_BUFFER_BINDING, &previous_);
    glBindBuffer(target_, buffer);
}

UploadBinding::~UploadBinding() {
    glBindBuffer(target_, GLuint(previous_));
}

template class BufferGl<VertexBuffer>;
template class BufferGl<IndexBuffer>;

// ---- Vertex declarations
// --------------------------------------------------------------------------

VertexDeclarationGl* VertexDeclarationGl::Create(const VertexElement* elements, HRESULT* result) {
    *result = D3DERR_INVALIDCALL;
    if (!elements) return nullptr;
    constexpr int kMaxElements = 64;
    std::vector<VertexElement> copy;
    std::vector<VertexAttribute> attributes;
    uint32_t mask = 0;
    for (int i = 0;; ++i) {
        if (i == kMaxElements) return nullptr;  // no end marker in sight
        const VertexElement& e = elements[i];
        copy.push_back(e);
        if (e.Stream == 0xFF) break;
        if (e.Stream != 0 || e.Type > D3DDECLTYPE_FLOAT4) return nullptr;
        const int location = AttributeLocation(e.Usage, e.UsageIndex);
        if (location < 0 || (mask & (1u << location))) continue;  // no slot, or the first one won
        mask |= 1u << location;
        attributes.push_back({location, e.Type + 1, e.Offset});
    }
    auto* decl = new VertexDeclarationGl();
    decl->elements_ = std::move(copy);
    decl->attributes_ = std::move(attributes);
    decl->locationMask_ = mask;
    *result = D3D_OK;
    return decl;
}

HRESULT VertexDeclarationGl::GetDeclaration(VertexElement* elements, uint32_t* count) {
    if (!count) return D3DERR_INVALIDCALL;
    if (elements) std::copy(elements_.begin(), elements_.end(), elements);
    *count = static_cast<uint32_t>(elements_.size());
    return D3D_OK;
}

}  // namespace gfx::gl
