// The OpenGL device: resources, targets, frames, states and draws.
//
// Index of this file:
//  [SECTION] Formats and results
//  [SECTION] Creation
//  [SECTION] Targets
//  [SECTION] Frame
//  [SECTION] States and draws

#include "platform/gfx/device_gl.h"

#include <algorithm>
#include <cstdio>
#include <new>
#include <string>

#include "platform/gfx/gl_api.h"
#include "platform/gfx/gl_debug.h"
#include "platform/gfx/render_state_gl.h"
#include "platform/image/image.h"
#include "platform/ui/window.h"

namespace gfx::gl {
// [SECTION] Formats and results
namespace {

// One surface may not take more than this (the adapter's limits may allow more).
constexpr uint64_t kMaxSurfaceBytes = 512ull << 20;

bool ColorFormat(uint32_t format, GLenum* internal) {
    switch (format) {
        case D3DFMT_A8R8G8B8:
            *internal = GL_RGBA8;
            return true;
        case D3DFMT_X8R8G8B8:
            *internal = GL_RGB8;
            return true;  // alpha reads as 1
        default:
            return false;
    }
}

bool DepthFormat(uint32_t format) {
    return format == D3DFMT_D24S8 || format == D3DFMT_D24X8;
}

// Drains errors left by earlier calls so that the next check sees only its own.
void DrainGlErrors() {
    while (glGetError() != GL_NO_ERROR) {
    }
}

// What a failed allocation call left in glGetError, as the result the caller sees.
HRESULT ResultOfGlError(GLenum error) {
    return error == GL_OUT_OF_MEMORY ? D3DERR_OUTOFVIDEOMEMORY : D3DERR_INVALIDCALL;
}

SurfaceDesc MakeDesc(D3DFORMAT format, D3DUSAGE usage, D3DPOOL pool, uint32_t multiSample,
                     uint32_t width, uint32_t height) {
    SurfaceDesc desc;
    desc.Format = format;
    desc.Usage = usage;
    desc.Pool = pool;
    desc.MultiSampleType = multiSample;
    desc.Width = width;
    desc.Height = height;
    return desc;
}

template <class T>
void Assign(T*& slot, T* value) {
    if (slot == value) return;
    if (value) value->AddRef();
    if (slot) slot->Release();
    slot = value;
}

}  // namespace

// [SECTION] Creation

DeviceGl* DeviceGl::Create(ContextProvider provider, ui::Window* window,
                           const PresentParameters& params, const Limits& limits, HRESULT* result) {
    std::string error;
    std::unique_ptr<Context> context;
    if (provider == ContextProvider::Canvas)
        context = CreateCanvasContext(&error);
    else if (provider != ContextProvider::Window)
        context = CreateHeadlessContext(provider == ContextProvider::HeadlessEs, &error);
    else
        context = CreateWindowContext(window ? window->sdl : nullptr,
                                      params.PresentationInterval != D3DPRESENT_INTERVAL_IMMEDIATE,
                                      &error);
    if (context && !CheckContextFeatures(&error)) context.reset();
    if (!context) {
        std::fprintf(stderr, "gfx: CreateDevice: %s\n", error.c_str());
        *result = D3DERR_NOTAVAILABLE;
        return nullptr;
    }
    auto* device = new DeviceGl(std::move(context), limits);
    if (!device->Init(params, result)) {
        device->Release();
        return nullptr;
    }
    *result = D3D_OK;
    return device;
}

DeviceGl::DeviceGl(std::unique_ptr<Context> context, const Limits& limits)
    : context_(std::move(context)), limits_(limits), es_(context_->IsEs()) {}

bool DeviceGl::Init(const PresentParameters& params, HRESULT* result) {
    InstallDebugOutput();
    // ES has no clip control: its effects flip y and remap depth in the vertex stage instead.
    SetDeviceClipConventions();
    glDisable(GL_DITHER);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);

    glGenVertexArrays(1, &vao_);
    glBindVertexArray(vao_);
    glGenFramebuffers(1, &drawFbo_);
    glGenFramebuffers(1, &readFbo_);
    glGenFramebuffers(1, &blitFbo_);

    const D3DFORMAT format =
        params.BackBufferFormat == D3DFMT_UNKNOWN ? D3DFMT_X8R8G8B8 : params.BackBufferFormat;
    *result = MakeTexture(params.BackBufferWidth, params.BackBufferHeight, D3DUSAGE_RENDERTARGET,
                          format, D3DPOOL_DEFAULT, nullptr, &backBuffer_);
    if (Failed(*result)) return false;

    glBindFramebuffer(GL_FRAMEBUFFER, drawFbo_);
    SetRenderTarget(0, backBuffer_->Level0());

    // Direct3D's defaults for the states this device applies.
    renderStates_[D3DRS_ZENABLE] = 1;
    renderStates_[D3DRS_ZWRITEENABLE] = 1;
    renderStates_[D3DRS_ZFUNC] = D3DCMP_LESSEQUAL;
    renderStates_[D3DRS_CULLMODE] = D3DCULL_CCW;
    renderStates_[D3DRS_ALPHABLENDENABLE] = 0;
    renderStates_[D3DRS_SRCBLEND] = D3DBLEND_ONE;
    renderStates_[D3DRS_DESTBLEND] = D3DBLEND_ZERO;
    renderStates_[D3DRS_BLENDOP] = D3DBLENDOP_ADD;
    // These start as OpenGL's defaults already are: nothing to apply.
    renderStates_[D3DRS_FILLMODE] = D3DFILL_SOLID;
    renderStates_[D3DRS_ALPHAFUNC] = D3DCMP_ALWAYS;
    renderStates_[D3DRS_COLORWRITEENABLE] = 0xF;
    for (D3DRENDERSTATETYPE state :
         {D3DRS_STENCILFAIL, D3DRS_STENCILZFAIL, D3DRS_STENCILPASS, D3DRS_CCW_STENCILFAIL,
          D3DRS_CCW_STENCILZFAIL, D3DRS_CCW_STENCILPASS})
        renderStates_[state] = D3DSTENCILOP_KEEP;
    renderStates_[D3DRS_STENCILFUNC] = renderStates_[D3DRS_CCW_STENCILFUNC] = D3DCMP_ALWAYS;
    renderStates_[D3DRS_STENCILMASK] = renderStates_[D3DRS_STENCILWRITEMASK] = 0xFFFFFFFFu;
    for (auto& m : transforms_)
        for (int i = 0; i < 16; ++i) m[i] = i % 5 == 0 ? 1.0f : 0.0f;
    for (D3DRENDERSTATETYPE state : {D3DRS_ZENABLE, D3DRS_ZWRITEENABLE, D3DRS_ZFUNC, D3DRS_CULLMODE,
                                     D3DRS_ALPHABLENDENABLE, D3DRS_SRCBLEND, D3DRS_BLENDOP})
        ApplyRenderState(state, renderStates_[state]);
    return true;
}

DeviceGl::~DeviceGl() {
    if (context_) context_->MakeCurrent();
    Assign<VertexBufferGl>(stream_, nullptr);
    Assign<VertexDeclarationGl>(declaration_, nullptr);
    Assign<IndexBufferGl>(indices_, nullptr);
    Assign<SurfaceGl>(renderTarget_, nullptr);
    Assign<SurfaceGl>(depthStencil_, nullptr);
    Assign<TextureGl>(backBuffer_, nullptr);
    for (Texture*& texture : stageTextures_) Assign<Texture>(texture, nullptr);
    if (context_) {
        glBindVertexArray(0);
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        if (vao_) glDeleteVertexArrays(1, &vao_);
        const GLuint fbos[] = {drawFbo_, readFbo_, blitFbo_};
        glDeleteFramebuffers(3, fbos);
    }
    life_->alive = false;
    context_.reset();
    if (adapter_) adapter_->Release();
}

void DeviceGl::HoldAdapter(Adapter* adapter) {
    Assign(adapter_, adapter);
}

HRESULT DeviceGl::CheckSize(uint32_t width, uint32_t height) const {
    if (width == 0 || height == 0) return D3DERR_INVALIDCALL;
    const auto max = static_cast<uint32_t>(limits_.maxTextureSize);
    if (width > max || height > max) return D3DERR_INVALIDCALL;
    if (uint64_t(width) * height * 4 > kMaxSurfaceBytes) return D3DERR_OUTOFVIDEOMEMORY;
    return D3D_OK;
}

HRESULT DeviceGl::CreateCubeTexture(uint32_t edge, uint32_t levels, D3DUSAGE usage,
                                    D3DFORMAT format, D3DPOOL pool, CubeTexture** texture) {
    if (!texture) return D3DERR_INVALIDCALL;
    *texture = nullptr;
    GLuint name = 0;
    if (HRESULT hr = MakeLayered(GL_TEXTURE_CUBE_MAP, edge, edge, 6, levels, format, &name);
        Failed(hr))
        return hr;
    *texture = new CubeTextureGl(life_, name, GL_TEXTURE_CUBE_MAP,
                                 MakeDesc(format, usage, pool, 0, edge, edge), 6);
    return D3D_OK;
}

HRESULT DeviceGl::CreateVolumeTexture(uint32_t width, uint32_t height, uint32_t depth,
                                      uint32_t levels, D3DUSAGE usage, D3DFORMAT format,
                                      D3DPOOL pool, VolumeTexture** texture) {
    if (!texture) return D3DERR_INVALIDCALL;
    *texture = nullptr;
    GLuint name = 0;
    if (HRESULT hr = MakeLayered(GL_TEXTURE_3D, width, height, depth, levels, format, &name);
        Failed(hr))
        return hr;
    *texture = new VolumeTextureGl(life_, name, GL_TEXTURE_3D,
                                   MakeDesc(format, usage, pool, 0, width, height), depth);
    return D3D_OK;
}

// A cube map (layers 6) or 3-D texture, one level, zero texels.
HRESULT DeviceGl::MakeLayered(unsigned target, uint32_t width, uint32_t height, uint32_t layers,
                              uint32_t levels, D3DFORMAT format, unsigned* name) {
    GLenum internal = 0;
    if (!ColorFormat(format, &internal) || levels > 1 || layers == 0) return D3DERR_INVALIDCALL;
    if (HRESULT hr = CheckSize(width, height); Failed(hr)) return hr;
    if (uint64_t(width) * height * layers * 4 > kMaxSurfaceBytes) return D3DERR_OUTOFVIDEOMEMORY;
    const GLenum binding =
        target == GL_TEXTURE_3D ? GL_TEXTURE_BINDING_3D : GL_TEXTURE_BINDING_CUBE_MAP;
    GLint previous = 0;
    glGetIntegerv(binding, &previous);
    glGenTextures(1, name);
    glBindTexture(target, *name);
    glTexParameteri(target, GL_TEXTURE_MAX_LEVEL, 0);
    const std::vector<uint8_t> zero(size_t(width) * height * layers * 4, 0);
    const auto w = GLsizei(width), h = GLsizei(height);
    if (target == GL_TEXTURE_3D) {
        glTexImage3D(target, 0, GLint(internal), w, h, GLsizei(layers), 0, GL_RGBA,
                     GL_UNSIGNED_BYTE, zero.data());
    } else {
        for (GLenum face = 0; face < 6; ++face)
            glTexImage2D(GL_TEXTURE_CUBE_MAP_POSITIVE_X + face, 0, GLint(internal), w, h, 0,
                         GL_RGBA, GL_UNSIGNED_BYTE, zero.data());
    }
    glBindTexture(target, GLuint(previous));
    return D3D_OK;
}

HRESULT DeviceGl::MakeTexture(uint32_t width, uint32_t height, D3DUSAGE usage, D3DFORMAT format,
                              D3DPOOL pool, const void* rgba, TextureGl** texture) {
    *texture = nullptr;
    GLenum internal = 0;
    if (!ColorFormat(format, &internal)) return D3DERR_INVALIDCALL;
    if (HRESULT hr = CheckSize(width, height); Failed(hr)) return hr;

    GLint previous = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &previous);
    DrainGlErrors();
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    // ES wants the upload format to match the storage; only A8R8G8B8 textures get pixels.
    const GLenum upload = internal == GL_RGB8 ? GL_RGB : GL_RGBA;
    glTexImage2D(GL_TEXTURE_2D, 0, GLint(internal), GLsizei(width), GLsizei(height), 0, upload,
                 GL_UNSIGNED_BYTE, rgba);
    const GLenum error = glGetError();
    glBindTexture(GL_TEXTURE_2D, GLuint(previous));
    if (error != GL_NO_ERROR) {
        glDeleteTextures(1, &name);
        return ResultOfGlError(error);
    }
    *texture = new TextureGl(life_, name,
                             MakeDesc(format, usage, pool, D3DMULTISAMPLE_NONE, width, height));
    return D3D_OK;
}

HRESULT DeviceGl::CreateTexture(uint32_t width, uint32_t height, uint32_t /*levels*/,
                                D3DUSAGE usage, D3DFORMAT format, D3DPOOL pool, Texture** texture) {
    if (!texture) return D3DERR_INVALIDCALL;
    TextureGl* made = nullptr;
    const HRESULT hr = MakeTexture(width, height, usage, format, pool, nullptr, &made);
    *texture = made;
    return hr;
}

HRESULT DeviceGl::CreateTextureFromFile(const char* path, Texture** texture) {
    if (!texture) return D3DERR_INVALIDCALL;
    *texture = nullptr;
    if (!path) return D3DXERR_INVALIDDATA;
    std::string error;
    // Refuse before decoding what CheckSize would refuse after it.
    const image::Limits fits{static_cast<uint32_t>(limits_.maxTextureSize), kMaxSurfaceBytes};
    const auto picture = image::LoadFile(path, &error, fits);
    if (!picture) {
        std::fprintf(stderr, "gfx: %s\n", error.c_str());
        return D3DXERR_INVALIDDATA;
    }
    TextureGl* made = nullptr;
    const HRESULT hr = MakeTexture(picture->width, picture->height, D3DUSAGE_NONE, D3DFMT_A8R8G8B8,
                                   D3DPOOL_MANAGED, picture->rgba.data(), &made);
    *texture = made;
    return hr;
}

HRESULT DeviceGl::CreateRenderTarget(uint32_t width, uint32_t height, D3DFORMAT format,
                                     uint32_t multiSample, uint32_t /*quality*/,
                                     int32_t /*lockable*/, Surface** surface) {
    if (!surface) return D3DERR_INVALIDCALL;
    *surface = nullptr;
    GLenum internal = 0;
    if (!ColorFormat(format, &internal)) return D3DERR_INVALIDCALL;
    if (!limits_.SupportsSamples(multiSample)) return D3DERR_INVALIDCALL;
    if (HRESULT hr = CheckSize(width, height); Failed(hr)) return hr;

    DrainGlErrors();
    GLuint name = 0;
    glGenRenderbuffers(1, &name);
    glBindRenderbuffer(GL_RENDERBUFFER, name);
    glRenderbufferStorageMultisample(GL_RENDERBUFFER, GLsizei(multiSample), internal,
                                     GLsizei(width), GLsizei(height));
    if (const GLenum error = glGetError(); error != GL_NO_ERROR) {
        glDeleteRenderbuffers(1, &name);
        return ResultOfGlError(error);
    }
    *surface = new SurfaceGl(
        life_, name,
        MakeDesc(format, D3DUSAGE_RENDERTARGET, D3DPOOL_DEFAULT, multiSample, width, height),
        false);
    return D3D_OK;
}

HRESULT DeviceGl::CreateDepthStencilSurface(uint32_t width, uint32_t height, D3DFORMAT format,
                                            uint32_t multiSample, uint32_t /*quality*/,
                                            int32_t /*discard*/, Surface** surface) {
    if (!surface) return D3DERR_INVALIDCALL;
    *surface = nullptr;
    if (!DepthFormat(format)) return D3DERR_INVALIDCALL;
    if (!limits_.SupportsSamples(multiSample)) return D3DERR_INVALIDCALL;
    if (HRESULT hr = CheckSize(width, height); Failed(hr)) return hr;

    // The name exists now; its storage comes with the first clear or depth-tested draw
    // (RealiseDepth).
    GLuint name = 0;
    glGenRenderbuffers(1, &name);
    glBindRenderbuffer(GL_RENDERBUFFER, name);
    auto* made = new SurfaceGl(
        life_, name,
        MakeDesc(format, D3DUSAGE_DEPTHSTENCIL, D3DPOOL_DEFAULT, multiSample, width, height), true);
    made->MarkStoragePending();
    *surface = made;
    return D3D_OK;
}

namespace {

template <class BufferType>
HRESULT MakeBuffer(const LifeRef& life, uint32_t length, uint32_t usage, BufferType** out) {
    if (length == 0) return D3DERR_INVALIDCALL;
    if (length > kMaxBufferBytes) return D3DERR_OUTOFVIDEOMEMORY;
    DrainGlErrors();
    GLuint name = 0;
    glGenBuffers(1, &name);
    BufferType* buffer = nullptr;
    try {
        buffer = new BufferType(life, name, length);
    } catch (const std::bad_alloc&) {
        glDeleteBuffers(1, &name);
        return E_OUTOFMEMORY;
    }
    {
        const UploadBinding binding(std::is_same_v<BufferType, IndexBufferGl>, name);
        glBufferData(binding.Target(), length, buffer->CpuData(),
                     (usage & D3DUSAGE_DYNAMIC) ? GL_DYNAMIC_DRAW : GL_STATIC_DRAW);
    }
    if (const GLenum error = glGetError(); error != GL_NO_ERROR) {
        buffer->Release();
        return ResultOfGlError(error);
    }
    *out = buffer;
    return D3D_OK;
}

}  // namespace

HRESULT DeviceGl::CreateVertexBuffer(uint32_t length, D3DUSAGE usage, uint32_t /*fvf*/,
                                     D3DPOOL /*pool*/, VertexBuffer** buffer) {
    if (!buffer) return D3DERR_INVALIDCALL;
    *buffer = nullptr;
    VertexBufferGl* made = nullptr;
    const HRESULT hr = MakeBuffer(life_, length, usage, &made);
    *buffer = made;
    return hr;
}

HRESULT DeviceGl::CreateIndexBuffer(uint32_t length, D3DUSAGE usage, D3DFORMAT format,
                                    D3DPOOL /*pool*/, IndexBuffer** buffer) {
    if (!buffer) return D3DERR_INVALIDCALL;
    *buffer = nullptr;
    if (format != D3DFMT_INDEX16) return D3DERR_INVALIDCALL;
    IndexBufferGl* made = nullptr;
    const HRESULT hr = MakeBuffer(life_, length, usage, &made);
    *buffer = made;
    return hr;
}

HRESULT DeviceGl::CreateVertexDeclaration(const VertexElement* elements,
                                          VertexDeclaration** declaration) {
    if (!declaration) return D3DERR_INVALIDCALL;
    HRESULT hr = D3D_OK;
    *declaration = VertexDeclarationGl::Create(elements, &hr);
    return hr;
}

// [SECTION] Targets

void DeviceGl::AttachColor(unsigned target, SurfaceGl* surface, uint64_t* attachedSerial) {
    if (*attachedSerial == surface->Serial()) return;
    if (surface->IsTexture()) {
        glFramebufferRenderbuffer(target, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, 0);
        glFramebufferTexture2D(target, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, surface->Name(), 0);
    } else {
        glFramebufferTexture2D(target, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, 0, 0);
        glFramebufferRenderbuffer(target, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, surface->Name());
    }
    *attachedSerial = surface->Serial();
}

void DeviceGl::AttachDepth(unsigned target, SurfaceGl* surface, uint64_t* attachedSerial) {
    // A surface without storage yet is left off the framebuffer (it would make it incomplete).
    if (surface && surface->StoragePending()) surface = nullptr;
    const uint64_t serial = surface ? surface->Serial() : 0;
    if (*attachedSerial == serial) return;
    glFramebufferRenderbuffer(target, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER,
                              surface ? surface->Name() : 0);
    *attachedSerial = serial;
}

void DeviceGl::RealiseDepth() {
    if (!depthStencil_ || !depthStencil_->StoragePending()) return;
    if (!depthStencil_->AllocateStorage()) {
        std::fprintf(stderr, "gfx: out of memory for a %ux%u depth-stencil surface\n",
                     depthStencil_->Desc().Width, depthStencil_->Desc().Height);
        return;
    }
    AttachDepth(GL_DRAW_FRAMEBUFFER, depthStencil_, &drawDepthSerial_);
}

HRESULT DeviceGl::GetRenderTarget(uint32_t index, Surface** surface) {
    if (!surface) return D3DERR_INVALIDCALL;
    *surface = nullptr;
    if (index != 0) return D3DERR_INVALIDCALL;
    renderTarget_->AddRef();
    *surface = renderTarget_;
    return D3D_OK;
}

HRESULT DeviceGl::SetRenderTarget(uint32_t index, Surface* surface) {
    auto* target = dynamic_cast<SurfaceGl*>(surface);
    if (index != 0 || !target || target->IsDepth()) return D3DERR_INVALIDCALL;
    if (target->IsTexture() && !(target->Desc().Usage & D3DUSAGE_RENDERTARGET))
        return D3DERR_INVALIDCALL;
    Assign(renderTarget_, target);
    AttachColor(GL_DRAW_FRAMEBUFFER, target, &drawColorSerial_);
    glViewport(0, 0, GLsizei(target->Desc().Width), GLsizei(target->Desc().Height));
    return D3D_OK;
}

HRESULT DeviceGl::GetDepthStencilSurface(Surface** surface) {
    if (!surface) return D3DERR_INVALIDCALL;
    if (depthStencil_) depthStencil_->AddRef();
    *surface = depthStencil_;
    return D3D_OK;
}

HRESULT DeviceGl::SetDepthStencilSurface(Surface* surface) {
    auto* depth = dynamic_cast<SurfaceGl*>(surface);
    if (surface && (!depth || !depth->IsDepth())) return D3DERR_INVALIDCALL;
    Assign(depthStencil_, depth);
    AttachDepth(GL_DRAW_FRAMEBUFFER, depth, &drawDepthSerial_);
    return D3D_OK;
}

namespace {

bool ResolveRect(const Rect* rect, const SurfaceDesc& desc, Rect* out) {
    if (!rect) {
        *out = {0, 0, int32_t(desc.Width), int32_t(desc.Height)};
        return true;
    }
    *out = *rect;
    return out->left >= 0 && out->top >= 0 && out->left < out->right && out->top < out->bottom &&
           out->right <= int32_t(desc.Width) && out->bottom <= int32_t(desc.Height);
}

}  // namespace

HRESULT DeviceGl::StretchRect(Surface* source, const Rect* sourceRect, Surface* dest,
                              const Rect* destRect, D3DTEXTUREFILTERTYPE filter) {
    auto* src = dynamic_cast<SurfaceGl*>(source);
    auto* dst = dynamic_cast<SurfaceGl*>(dest);
    if (!src || !dst || src == dst || src->IsDepth() || dst->IsDepth() ||
        dst->Desc().MultiSampleType != 0)
        return D3DERR_INVALIDCALL;
    Rect s{}, d{};
    if (!ResolveRect(sourceRect, src->Desc(), &s) || !ResolveRect(destRect, dst->Desc(), &d))
        return D3DERR_INVALIDCALL;
    const GLenum glFilter = filter == D3DTEXF_LINEAR ? GL_LINEAR : GL_NEAREST;

    glBindFramebuffer(GL_READ_FRAMEBUFFER, readFbo_);
    AttachColor(GL_READ_FRAMEBUFFER, src, &readColorSerial_);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, blitFbo_);
    AttachColor(GL_DRAW_FRAMEBUFFER, dst, &blitColorSerial_);

    const bool sameShape =
        s.right - s.left == d.right - d.left && s.bottom - s.top == d.bottom - d.top;
    // A multisampled source resolves only 1:1 (under ES only onto the same rectangle of the same
    // format): otherwise resolve into a plain copy first, then copy or scale that.
    const bool sameSpot =
        s.left == d.left && s.top == d.top && src->Desc().Format == dst->Desc().Format;
    const bool resolveFirst =
        src->Desc().MultiSampleType != 0 && (!sameShape || (es_ && !sameSpot));
    GLuint temp = 0, tempFbo = 0;
    if (resolveFirst) {
        GLenum internal = GL_RGBA8;
        ColorFormat(src->Desc().Format, &internal);
        const GLsizei w = GLsizei(src->Desc().Width), h = GLsizei(src->Desc().Height);
        glGenRenderbuffers(1, &temp);
        glBindRenderbuffer(GL_RENDERBUFFER, temp);
        glRenderbufferStorage(GL_RENDERBUFFER, internal, w, h);
        glGenFramebuffers(1, &tempFbo);
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, tempFbo);
        glFramebufferRenderbuffer(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, temp);
        glBlitFramebuffer(0, 0, w, h, 0, 0, w, h, GL_COLOR_BUFFER_BIT, GL_NEAREST);
        glBindFramebuffer(GL_READ_FRAMEBUFFER, tempFbo);
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, blitFbo_);
    }
    glBlitFramebuffer(s.left, s.top, s.right, s.bottom, d.left, d.top, d.right, d.bottom,
                      GL_COLOR_BUFFER_BIT, glFilter);
    if (resolveFirst) {
        glBindFramebuffer(GL_READ_FRAMEBUFFER, readFbo_);
        glDeleteFramebuffers(1, &tempFbo);
        glDeleteRenderbuffers(1, &temp);
    }
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, drawFbo_);
    return D3D_OK;
}

// [SECTION] Frame

HRESULT DeviceGl::BeginScene() {
    if (sceneDepth_ != 0) return D3DERR_INVALIDCALL;
    ++sceneDepth_;
    return D3D_OK;
}

HRESULT DeviceGl::EndScene() {
    if (sceneDepth_ == 0) return D3DERR_INVALIDCALL;
    --sceneDepth_;
    return D3D_OK;
}

HRESULT DeviceGl::Clear(uint32_t count, const Rect* rects, uint32_t flags, uint32_t color, float z,
                        uint32_t stencil) {
    if (count > 0 && !rects) return D3DERR_INVALIDCALL;
    if ((flags & (D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL)) && !depthStencil_)
        return D3DERR_INVALIDCALL;
    if ((flags & D3DCLEAR_ZBUFFER) && !(z >= 0.0f && z <= 1.0f)) return D3DERR_INVALIDCALL;
    GLbitfield mask = 0;
    if (flags & D3DCLEAR_TARGET) {
        mask |= GL_COLOR_BUFFER_BIT;
        glClearColor(float((color >> 16) & 0xFF) / 255.0f, float((color >> 8) & 0xFF) / 255.0f,
                     float(color & 0xFF) / 255.0f, float(color >> 24) / 255.0f);
    }
    if (flags & D3DCLEAR_ZBUFFER) {
        mask |= GL_DEPTH_BUFFER_BIT;
        ClearDepthTo(z);
    }
    if (flags & D3DCLEAR_STENCIL) {
        mask |= GL_STENCIL_BUFFER_BIT;
        glClearStencil(GLint(stencil & 0xFF));
    }
    if (mask == 0) return D3D_OK;
    if (mask & (GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT)) RealiseDepth();

    // Clearing ignores the depth write switch and the colour and stencil write masks.
    const bool forceDepthWrite =
        (mask & GL_DEPTH_BUFFER_BIT) && renderStates_[D3DRS_ZWRITEENABLE] == 0;
    if (forceDepthWrite) glDepthMask(GL_TRUE);
    const bool masked = renderStates_[D3DRS_COLORWRITEENABLE] != 0xF ||
                        (renderStates_[D3DRS_STENCILWRITEMASK] & 0xFF) != 0xFF;
    if (masked) {
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        glStencilMask(0xFF);
    }
    if (count == 0) {
        glClear(mask);
    } else {
        glEnable(GL_SCISSOR_TEST);
        for (uint32_t i = 0; i < count; ++i) {
            const Rect& r = rects[i];
            if (r.right <= r.left || r.bottom <= r.top) continue;
            glScissor(r.left, r.top, r.right - r.left, r.bottom - r.top);
            glClear(mask);
        }
        glDisable(GL_SCISSOR_TEST);
    }
    if (forceDepthWrite) glDepthMask(GL_FALSE);
    if (masked) {
        ApplyRenderState(D3DRS_COLORWRITEENABLE, renderStates_[D3DRS_COLORWRITEENABLE]);
        ApplyStencil();
    }
    return D3D_OK;
}

HRESULT DeviceGl::Present(const Rect* /*sourceRect*/, const Rect* /*destRect*/,
                          ui::Window* /*window*/, const void* /*dirtyRegion*/) {
    SurfaceGl* back = backBuffer_->Level0();
    const auto width = GLint(back->Desc().Width), height = GLint(back->Desc().Height);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, readFbo_);
    AttachColor(GL_READ_FRAMEBUFFER, back, &readColorSerial_);

    const Config& config = CurrentConfig();
    if (const FrameSink& sink = config.frameSink;
        sink && (!config.frameWanted || config.frameWanted())) {
        frameBytes_.resize(size_t(width) * size_t(height) * 4);
        glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, frameBytes_.data());
        sink(Frame{frameBytes_.data(), uint32_t(width), uint32_t(height)});
    }
    if (context_->HasWindow()) {
        int w = 0, h = 0;
        context_->DrawableSize(&w, &h);
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
        // The window's row 0 is its bottom: turn the picture over on the way.
        glBlitFramebuffer(0, 0, width, height, 0, h, w, 0, GL_COLOR_BUFFER_BIT,
                          (w == width && h == height) ? GL_NEAREST : GL_LINEAR);
        DrawOverlay();
        context_->Swap();
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, drawFbo_);
    } else {
        if (CurrentConfig().overlay) {
            glBindFramebuffer(GL_DRAW_FRAMEBUFFER, readFbo_);
            DrawOverlay();
            glBindFramebuffer(GL_DRAW_FRAMEBUFFER, drawFbo_);
        }
        glFlush();
    }
    return D3D_OK;
}

void DeviceGl::DrawOverlay() {
    const auto& overlay = CurrentConfig().overlay;
    if (!overlay || es_) return;  // the overlay (live mode) is desktop OpenGL
#if VM_GL_DESKTOP
    // The overlay draws with OpenGL's own conventions; the device's come back after it.
    glClipControl(GL_LOWER_LEFT, GL_NEGATIVE_ONE_TO_ONE);
    overlay();
    SetDeviceClipConventions();
#endif
}

void DeviceGl::SetDeviceClipConventions() {
#if VM_GL_DESKTOP
    if (!es_) glClipControl(GL_UPPER_LEFT, GL_ZERO_TO_ONE);
#endif
}

void DeviceGl::ClearDepthTo(float z) {
#if VM_GL_DESKTOP
    if (!es_) {
        glClearDepth(z);
        return;
    }
#endif
    glClearDepthf(z);
}

// [SECTION] States and draws

HRESULT DeviceGl::SetRenderState(D3DRENDERSTATETYPE state, uint32_t value) {
    if (state >= renderStates_.size()) return D3DERR_INVALIDCALL;
    if (!IsValidRenderState(state, value)) return D3DERR_INVALIDCALL;
    if (renderStates_[state] == value) return D3D_OK;
    renderStates_[state] = value;
    ApplyRenderState(state, value);
    return D3D_OK;
}

HRESULT DeviceGl::GetRenderState(D3DRENDERSTATETYPE state, uint32_t* value) {
    if (!value || state >= renderStates_.size()) return D3DERR_INVALIDCALL;
    *value = renderStates_[state];
    return D3D_OK;
}

namespace {
int TransformIndex(D3DTRANSFORMSTATETYPE state) {
    return state == D3DTS_WORLD ? 0 : state == D3DTS_VIEW ? 1 : state == D3DTS_PROJECTION ? 2 : -1;
}
}  // namespace

HRESULT DeviceGl::SetTransform(D3DTRANSFORMSTATETYPE state, const float* matrix16) {
    const int index = TransformIndex(state);
    if (index < 0 || !matrix16) return D3DERR_INVALIDCALL;
    std::copy(matrix16, matrix16 + 16, transforms_[index].begin());
    return D3D_OK;
}

HRESULT DeviceGl::GetTransform(D3DTRANSFORMSTATETYPE state, float* matrix16) {
    const int index = TransformIndex(state);
    if (index < 0 || !matrix16) return D3DERR_INVALIDCALL;
    std::copy(transforms_[index].begin(), transforms_[index].end(), matrix16);
    return D3D_OK;
}

HRESULT DeviceGl::SetTexture(uint32_t stage, Texture* texture) {
    if (stage >= kTextureStages) return D3DERR_INVALIDCALL;
    Assign(stageTextures_[stage], texture);
    return D3D_OK;
}

HRESULT DeviceGl::GetTexture(uint32_t stage, Texture** texture) {
    if (stage >= kTextureStages || !texture) return D3DERR_INVALIDCALL;
    *texture = stageTextures_[stage];
    if (*texture) (*texture)->AddRef();
    return D3D_OK;
}

// Direct3D's front faces are the clockwise ones as seen. GL's front face follows the cull mode
// (see GlFrontFaceFor): under D3DCULL_CW the clockwise faces are GL's back faces.
void DeviceGl::ApplyStencil() {
    const auto& rs = renderStates_;
    if (rs[D3DRS_STENCILENABLE])
        glEnable(GL_STENCIL_TEST);
    else
        glDisable(GL_STENCIL_TEST);
    const GLenum clockwise = rs[D3DRS_CULLMODE] == D3DCULL_CW ? GL_BACK : GL_FRONT;
    const GLenum other = clockwise == GL_FRONT ? GL_BACK : GL_FRONT;
    const bool twoSided = rs[D3DRS_TWOSIDEDSTENCILMODE] != 0;
    const auto ref = GLint(rs[D3DRS_STENCILREF] & 0xFF);
    const D3DRENDERSTATETYPE ccw[4] = {twoSided ? D3DRS_CCW_STENCILFUNC : D3DRS_STENCILFUNC,
                                       twoSided ? D3DRS_CCW_STENCILFAIL : D3DRS_STENCILFAIL,
                                       twoSided ? D3DRS_CCW_STENCILZFAIL : D3DRS_STENCILZFAIL,
                                       twoSided ? D3DRS_CCW_STENCILPASS : D3DRS_STENCILPASS};
    glStencilFuncSeparate(clockwise, GlCompareFunc(rs[D3DRS_STENCILFUNC]), ref,
                          rs[D3DRS_STENCILMASK]);
    glStencilOpSeparate(clockwise, GlStencilOp(rs[D3DRS_STENCILFAIL]),
                        GlStencilOp(rs[D3DRS_STENCILZFAIL]), GlStencilOp(rs[D3DRS_STENCILPASS]));
    glStencilFuncSeparate(other, GlCompareFunc(rs[ccw[0]]), ref, rs[D3DRS_STENCILMASK]);
    glStencilOpSeparate(other, GlStencilOp(rs[ccw[1]]), GlStencilOp(rs[ccw[2]]),
                        GlStencilOp(rs[ccw[3]]));
    glStencilMask(rs[D3DRS_STENCILWRITEMASK]);
}

void DeviceGl::ApplyRenderState(D3DRENDERSTATETYPE state, uint32_t value) {
    switch (state) {
        case D3DRS_ZENABLE:
            if (value)
                glEnable(GL_DEPTH_TEST);
            else
                glDisable(GL_DEPTH_TEST);
            break;
        case D3DRS_ZWRITEENABLE:
            glDepthMask(value ? GL_TRUE : GL_FALSE);
            break;
        case D3DRS_ZFUNC:
            glDepthFunc(GlCompareFunc(value));
            break;
        case D3DRS_CULLMODE:
            if (value == D3DCULL_NONE) {
                glDisable(GL_CULL_FACE);
                // So that gl_FrontFacing is Direct3D's front face.
                glFrontFace(GlFrontFaceFor(D3DCULL_CCW, es_));
            } else {
                glEnable(GL_CULL_FACE);
                glCullFace(GL_BACK);
                glFrontFace(GlFrontFaceFor(value, es_));
            }
            if (renderStates_[D3DRS_STENCILENABLE]) ApplyStencil();
            break;
        case D3DRS_FILLMODE:
#if VM_GL_DESKTOP
            // OpenGL ES (WebGL) has no polygon mode: there every fill mode draws solid.
            if (!es_) {
                glPolygonMode(GL_FRONT_AND_BACK, value == D3DFILL_POINT       ? GL_POINT
                                                 : value == D3DFILL_WIREFRAME ? GL_LINE
                                                                              : GL_FILL);
            }
#endif
            break;
        case D3DRS_COLORWRITEENABLE:
            glColorMask(value & D3DCOLORWRITEENABLE_RED ? GL_TRUE : GL_FALSE,
                        value & D3DCOLORWRITEENABLE_GREEN ? GL_TRUE : GL_FALSE,
                        value & D3DCOLORWRITEENABLE_BLUE ? GL_TRUE : GL_FALSE,
                        value & D3DCOLORWRITEENABLE_ALPHA ? GL_TRUE : GL_FALSE);
            break;
        case D3DRS_STENCILENABLE:
        case D3DRS_STENCILFAIL:
        case D3DRS_STENCILZFAIL:
        case D3DRS_STENCILPASS:
        case D3DRS_STENCILFUNC:
        case D3DRS_STENCILREF:
        case D3DRS_STENCILMASK:
        case D3DRS_STENCILWRITEMASK:
        case D3DRS_TWOSIDEDSTENCILMODE:
        case D3DRS_CCW_STENCILFAIL:
        case D3DRS_CCW_STENCILZFAIL:
        case D3DRS_CCW_STENCILPASS:
        case D3DRS_CCW_STENCILFUNC:
            ApplyStencil();
            break;
        case D3DRS_ALPHABLENDENABLE:
            if (value)
                glEnable(GL_BLEND);
            else
                glDisable(GL_BLEND);
            break;
        case D3DRS_SRCBLEND:
        case D3DRS_DESTBLEND:
            glBlendFunc(GlBlendFactor(renderStates_[D3DRS_SRCBLEND]),
                        GlBlendFactor(renderStates_[D3DRS_DESTBLEND]));
            break;
        case D3DRS_BLENDOP:
            glBlendEquation(GlBlendOp(value));
            break;
        default:
            break;  // recorded only
    }
}

HRESULT DeviceGl::SetStreamSource(uint32_t stream, VertexBuffer* buffer, uint32_t offset,
                                  uint32_t stride) {
    auto* vb = dynamic_cast<VertexBufferGl*>(buffer);
    if (stream != 0 || (buffer && !vb)) return D3DERR_INVALIDCALL;
    if (vb == stream_ && offset == streamOffset_ && stride == streamStride_) return D3D_OK;
    Assign(stream_, vb);
    streamOffset_ = offset;
    streamStride_ = stride;
    vertexInputsDirty_ = true;
    return D3D_OK;
}

HRESULT DeviceGl::SetVertexDeclaration(VertexDeclaration* declaration) {
    auto* decl = dynamic_cast<VertexDeclarationGl*>(declaration);
    if (declaration && !decl) return D3DERR_INVALIDCALL;
    if (decl == declaration_) return D3D_OK;
    Assign(declaration_, decl);
    vertexInputsDirty_ = true;
    return D3D_OK;
}

HRESULT DeviceGl::SetIndices(IndexBuffer* buffer) {
    auto* ib = dynamic_cast<IndexBufferGl*>(buffer);
    if (buffer && !ib) return D3DERR_INVALIDCALL;
    if (ib == indices_) return D3D_OK;
    // Bound now, while the previous buffer is still alive: the vertex array forgets a deleted
    // buffer, so a cached name could otherwise outlive it.
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, ib ? ib->Name() : 0);
    Assign(indices_, ib);
    return D3D_OK;
}

bool DeviceGl::SetupVertexInputs(int32_t baseVertex) {
    DrainGlErrors();
    glBindBuffer(GL_ARRAY_BUFFER, stream_->Name());
    const uint32_t wanted = declaration_->LocationMask();
    // ES has no base vertex: the attributes start that many vertices further on instead.
    const intptr_t start = intptr_t(streamOffset_) + intptr_t(baseVertex) * intptr_t(streamStride_);
    for (const VertexAttribute& a : declaration_->Attributes()) {
        glVertexAttribPointer(GLuint(a.location), a.components, GL_FLOAT, GL_FALSE,
                              GLsizei(streamStride_),
                              reinterpret_cast<const void*>(uintptr_t(start) + a.offset));
    }
    inputsBaseVertex_ = baseVertex;
    for (uint32_t changed = wanted ^ enabledAttributes_; changed; changed &= changed - 1) {
        const auto location = GLuint(__builtin_ctz(changed));
        if (wanted & (1u << location))
            glEnableVertexAttribArray(location);
        else
            glDisableVertexAttribArray(location);
    }
    enabledAttributes_ = wanted;
    vertexInputsDirty_ = false;
    // A stride beyond GL_MAX_VERTEX_ATTRIB_STRIDE, say: drawing would use a stale layout.
    const GLenum error = glGetError();
    vertexInputsFailed_ = error != GL_NO_ERROR;
    if (vertexInputsFailed_)
        std::fprintf(stderr, "gfx: the vertex layout was refused (GL error 0x%04X, stride %u)\n",
                     error, streamStride_);
    return !vertexInputsFailed_;
}

HRESULT DeviceGl::DrawIndexedPrimitive(D3DPRIMITIVETYPE type, int32_t baseVertex,
                                       uint32_t /*minIndex*/, uint32_t /*numVertices*/,
                                       uint32_t startIndex, uint32_t primitiveCount) {
    if (type != D3DPT_TRIANGLELIST || !stream_ || !declaration_ || !indices_)
        return D3DERR_INVALIDCALL;
    const uint64_t indexCount = uint64_t(primitiveCount) * 3;
    if ((uint64_t(startIndex) + indexCount) * 2 > indices_->Length()) return D3DERR_INVALIDCALL;
    if (primitiveCount == 0) return D3D_OK;
    const int32_t inputsBase = es_ ? baseVertex : 0;
    if (es_ && baseVertex < 0 && -int64_t(baseVertex) * streamStride_ > streamOffset_)
        return D3DERR_INVALIDCALL;  // would start before the buffer
    if (vertexInputsDirty_ || inputsBase != inputsBaseVertex_) SetupVertexInputs(inputsBase);
    if (vertexInputsFailed_) return D3DERR_INVALIDCALL;
    if (renderStates_[D3DRS_ZENABLE] || renderStates_[D3DRS_STENCILENABLE]) RealiseDepth();
    const auto* firstIndex = reinterpret_cast<const void*>(uintptr_t(startIndex) * 2);
#if VM_GL_DESKTOP
    if (!es_) {
        glDrawElementsBaseVertex(GL_TRIANGLES, GLsizei(indexCount), GL_UNSIGNED_SHORT, firstIndex,
                                 baseVertex);
        return D3D_OK;
    }
#endif
    glDrawElements(GL_TRIANGLES, GLsizei(indexCount), GL_UNSIGNED_SHORT, firstIndex);
    return D3D_OK;
}

}  // namespace gfx::gl
