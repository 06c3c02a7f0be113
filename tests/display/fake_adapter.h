// Test doubles of the graphics adapter and device: the adapter reports scripted modes, multisample
// answers, desktop mode and caps, and records what the display asked of it; the device records the
// depth surface calls. Unused device operations fail with E_FAIL so stray calls are noticed.
#pragma once

#include <string>
#include <vector>

#include "platform/gfx/gfx.h"

namespace fake {

class RefCounted {
  public:
    uint32_t AddRefImpl() { return ++refs; }
    uint32_t ReleaseImpl(std::vector<std::string>* log, const char* what) {
        if (log != nullptr) log->push_back(std::string("release ") + what);
        return refs > 0 ? --refs : 0;
    }
    uint32_t refs = 1;
};

class Surface : public gfx::Surface, public RefCounted {
  public:
    explicit Surface(std::vector<std::string>* log) : log_(log) {}
    ~Surface() override = default;
    uint32_t AddRef() override { return AddRefImpl(); }
    uint32_t Release() override { return ReleaseImpl(log_, "surface"); }
    gfx::HRESULT GetDesc(gfx::SurfaceDesc* out) override {
        *out = desc;
        return gfx::D3D_OK;
    }
    gfx::SurfaceDesc desc;

  private:
    std::vector<std::string>* log_;
};

class Device : public gfx::Device, public RefCounted {
    std::vector<std::string>* log_;

  public:
    explicit Device(std::vector<std::string>* log) : log_(log), depth(log) {}
    ~Device() override = default;
    uint32_t AddRef() override { return AddRefImpl(); }
    uint32_t Release() override { return ReleaseImpl(log_, "device"); }

    gfx::HRESULT CreateDepthStencilSurface(uint32_t width, uint32_t height, gfx::D3DFORMAT format,
                                           uint32_t multiSample, uint32_t quality, int32_t discard,
                                           gfx::Surface** surface) override {
        depth.desc = {format, gfx::D3DUSAGE_DEPTHSTENCIL, gfx::D3DPOOL_DEFAULT, multiSample, width,
                      height};
        depthQuality = quality;
        depthDiscard = discard;
        if (gfx::Failed(depthResult)) return depthResult;
        *surface = &depth;
        return gfx::D3D_OK;
    }
    gfx::HRESULT SetDepthStencilSurface(gfx::Surface* surface) override {
        depthSet = surface;
        return setDepthResult;
    }

    // Not used by the display: fail loudly.
    gfx::HRESULT CreateTexture(uint32_t, uint32_t, uint32_t, gfx::D3DUSAGE, gfx::D3DFORMAT,
                               gfx::D3DPOOL, gfx::Texture**) override {
        return gfx::E_FAIL;
    }
    gfx::HRESULT CreateRenderTarget(uint32_t, uint32_t, gfx::D3DFORMAT, uint32_t, uint32_t, int32_t,
                                    gfx::Surface**) override {
        return gfx::E_FAIL;
    }
    gfx::HRESULT CreateVertexBuffer(uint32_t, gfx::D3DUSAGE, uint32_t, gfx::D3DPOOL,
                                    gfx::VertexBuffer**) override {
        return gfx::E_FAIL;
    }
    gfx::HRESULT CreateIndexBuffer(uint32_t, gfx::D3DUSAGE, gfx::D3DFORMAT, gfx::D3DPOOL,
                                   gfx::IndexBuffer**) override {
        return gfx::E_FAIL;
    }
    gfx::HRESULT CreateVertexDeclaration(const gfx::VertexElement*,
                                         gfx::VertexDeclaration**) override {
        return gfx::E_FAIL;
    }
    gfx::HRESULT CreateTextureFromFile(const char*, gfx::Texture**) override { return gfx::E_FAIL; }
    gfx::HRESULT CreateCubeTexture(uint32_t, uint32_t, gfx::D3DUSAGE, gfx::D3DFORMAT, gfx::D3DPOOL,
                                   gfx::CubeTexture**) override {
        return gfx::E_FAIL;
    }
    gfx::HRESULT CreateVolumeTexture(uint32_t, uint32_t, uint32_t, uint32_t, gfx::D3DUSAGE,
                                     gfx::D3DFORMAT, gfx::D3DPOOL, gfx::VolumeTexture**) override {
        return gfx::E_FAIL;
    }
    gfx::HRESULT GetRenderTarget(uint32_t, gfx::Surface**) override { return gfx::E_FAIL; }
    gfx::HRESULT SetRenderTarget(uint32_t, gfx::Surface*) override { return gfx::E_FAIL; }
    gfx::HRESULT GetDepthStencilSurface(gfx::Surface**) override { return gfx::E_FAIL; }
    gfx::HRESULT StretchRect(gfx::Surface*, const gfx::Rect*, gfx::Surface*, const gfx::Rect*,
                             gfx::D3DTEXTUREFILTERTYPE) override {
        return gfx::E_FAIL;
    }
    gfx::HRESULT BeginScene() override { return gfx::E_FAIL; }
    gfx::HRESULT EndScene() override { return gfx::E_FAIL; }
    gfx::HRESULT Clear(uint32_t, const gfx::Rect*, uint32_t, uint32_t, float, uint32_t) override {
        return gfx::E_FAIL;
    }
    gfx::HRESULT Present(const gfx::Rect*, const gfx::Rect*, ui::Window*, const void*) override {
        return gfx::E_FAIL;
    }
    gfx::HRESULT SetRenderState(gfx::D3DRENDERSTATETYPE, uint32_t) override { return gfx::E_FAIL; }
    gfx::HRESULT GetRenderState(gfx::D3DRENDERSTATETYPE, uint32_t*) override { return gfx::E_FAIL; }
    gfx::HRESULT SetTransform(gfx::D3DTRANSFORMSTATETYPE, const float*) override {
        return gfx::E_FAIL;
    }
    gfx::HRESULT GetTransform(gfx::D3DTRANSFORMSTATETYPE, float*) override { return gfx::E_FAIL; }
    gfx::HRESULT SetStreamSource(uint32_t, gfx::VertexBuffer*, uint32_t, uint32_t) override {
        return gfx::E_FAIL;
    }
    gfx::HRESULT SetVertexDeclaration(gfx::VertexDeclaration*) override { return gfx::E_FAIL; }
    gfx::HRESULT SetIndices(gfx::IndexBuffer*) override { return gfx::E_FAIL; }
    gfx::HRESULT DrawIndexedPrimitive(gfx::D3DPRIMITIVETYPE, int32_t, uint32_t, uint32_t, uint32_t,
                                      uint32_t) override {
        return gfx::E_FAIL;
    }

    gfx::HRESULT depthResult = gfx::D3D_OK;
    gfx::HRESULT setDepthResult = gfx::D3D_OK;
    Surface depth;
    uint32_t depthQuality = 99;
    int32_t depthDiscard = -1;
    gfx::Surface* depthSet = nullptr;
};

class Adapter : public gfx::Adapter, public RefCounted {
  public:
    explicit Adapter(std::vector<std::string>* log = nullptr) : log_(log), device(log) {}
    ~Adapter() override = default;
    uint32_t AddRef() override { return AddRefImpl(); }
    uint32_t Release() override { return ReleaseImpl(log_, "adapter"); }

    uint32_t GetAdapterModeCount(uint32_t adapter, gfx::D3DFORMAT format) override {
        queriedFormats.push_back(format);
        return adapter == gfx::D3DADAPTER_DEFAULT && format == gfx::D3DFMT_X8R8G8B8
                   ? static_cast<uint32_t>(modes.size())
                   : 0;
    }
    gfx::HRESULT EnumAdapterModes(uint32_t, gfx::D3DFORMAT format, uint32_t mode,
                                  gfx::DisplayMode* out) override {
        enumerated.push_back(mode);
        if (format != gfx::D3DFMT_X8R8G8B8 || mode >= modes.size()) return gfx::D3DERR_INVALIDCALL;
        *out = modes[mode];
        return gfx::D3D_OK;
    }
    gfx::HRESULT GetAdapterDisplayMode(uint32_t, gfx::DisplayMode* out) override {
        *out = desktop;
        return gfx::D3D_OK;
    }
    gfx::HRESULT CheckDeviceMultiSampleType(uint32_t, gfx::D3DDEVTYPE deviceType,
                                            gfx::D3DFORMAT format, int32_t windowed,
                                            uint32_t multiSample, uint32_t*) override {
        multiSampleAsked.push_back(multiSample);
        windowedAsked.push_back(windowed);
        bool ok = deviceType == gfx::D3DDEVTYPE_HAL && format == gfx::D3DFMT_X8R8G8B8;
        bool listed = false;
        for (uint32_t s : supportedSamples) listed = listed || s == multiSample;
        return ok && listed ? gfx::D3D_OK : gfx::D3DERR_NOTAVAILABLE;
    }
    gfx::HRESULT GetDeviceCaps(uint32_t, gfx::D3DDEVTYPE, gfx::Caps* out) override {
        *out = caps;
        return gfx::D3D_OK;
    }
    gfx::HRESULT CreateDevice(uint32_t adapter, gfx::D3DDEVTYPE deviceType, ui::Window* focus,
                              uint32_t flags, gfx::PresentParameters* params,
                              gfx::Device** out) override {
        createAdapter = adapter;
        createType = deviceType;
        createFocus = focus;
        createFlags = flags;
        createParams = *params;
        if (gfx::Failed(createResult)) return createResult;
        *out = &device;
        return gfx::D3D_OK;
    }

    // Script
    std::vector<gfx::DisplayMode> modes;
    gfx::DisplayMode desktop{1024, 768, 60, gfx::D3DFMT_X8R8G8B8};
    std::vector<uint32_t> supportedSamples{0, 2, 4};
    gfx::Caps caps{gfx::D3DDEVCAPS_HWTRANSFORMANDLIGHT};
    gfx::HRESULT createResult = gfx::D3D_OK;

    // Record
    std::vector<uint32_t> queriedFormats, enumerated, multiSampleAsked;
    std::vector<int32_t> windowedAsked;
    uint32_t createAdapter = 99, createType = 99, createFlags = 0;
    ui::Window* createFocus = nullptr;
    gfx::PresentParameters createParams;

  private:
    std::vector<std::string>* log_;

  public:
    Device device;
};

inline gfx::DisplayMode Mode(uint32_t w, uint32_t h, uint32_t hz) {
    return gfx::DisplayMode{w, h, hz, gfx::D3DFMT_X8R8G8B8};
}

}  // namespace fake
