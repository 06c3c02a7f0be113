// A scripted graphics adapter for the display tests. Modes, desktop mode, multisample answers
// (only full-screen questions are answered yes) and caps come from its fields; CreateDevice logs
// its arguments (the presentation parameters as their fields come) on its recording device's log
// and hands out that device (or fails with createResult).
#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "platform/ui/window.h"
#include "support/recording_device.h"

namespace fake {

inline gfx::DisplayMode Mode(uint32_t w, uint32_t h, uint32_t hz) {
    return gfx::DisplayMode{w, h, hz, gfx::D3DFMT_X8R8G8B8};
}

class Adapter : public gfx::Adapter {
  public:
    uint32_t AddRef() override { return ++refs; }
    uint32_t Release() override { return --refs; }
    uint32_t GetAdapterModeCount(uint32_t adapter, gfx::D3DFORMAT format) override {
        const bool ours = adapter == gfx::D3DADAPTER_DEFAULT && format == gfx::D3DFMT_X8R8G8B8;
        return ours ? static_cast<uint32_t>(modes.size()) : 0;
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
    gfx::HRESULT CheckDeviceMultiSampleType(uint32_t, gfx::D3DDEVTYPE type, gfx::D3DFORMAT format,
                                            int32_t windowed, uint32_t samples,
                                            uint32_t*) override {
        const bool listed = std::count(supportedSamples.begin(), supportedSamples.end(), samples);
        const bool asked = type == gfx::D3DDEVTYPE_HAL && format == gfx::D3DFMT_X8R8G8B8;
        return asked && listed && windowed == 0 ? gfx::D3D_OK : gfx::D3DERR_NOTAVAILABLE;
    }
    gfx::HRESULT GetDeviceCaps(uint32_t, gfx::D3DDEVTYPE, gfx::Caps* out) override {
        *out = caps;
        return gfx::D3D_OK;
    }
    gfx::HRESULT CreateDevice(uint32_t adapter, gfx::D3DDEVTYPE type, ui::Window* focus,
                              uint32_t flags, gfx::PresentParameters* p,
                              gfx::Device** out) override {
        const std::string window =
            focus ? std::to_string(focus->width) + "x" + std::to_string(focus->height) : "null";
        device.calls.push_back(vmtest::Call(
            "CreateDevice", adapter, type, window, flags, p->BackBufferWidth, p->BackBufferHeight,
            p->BackBufferFormat, p->BackBufferCount, p->MultiSampleType, p->SwapEffect,
            std::string(p->hDeviceWindow ? "window" : "null"), p->Windowed,
            p->EnableAutoDepthStencil, p->AutoDepthStencilFormat, p->FullScreen_RefreshRateInHz,
            p->PresentationInterval));
        if (gfx::Failed(createResult)) return createResult;
        *out = &device;  // the caller's reference
        return gfx::D3D_OK;
    }

    std::vector<gfx::DisplayMode> modes;
    gfx::DisplayMode desktop = Mode(1024, 768, 60);
    std::vector<uint32_t> supportedSamples{0, 2, 4};
    gfx::Caps caps{gfx::D3DDEVCAPS_HWTRANSFORMANDLIGHT};
    gfx::HRESULT createResult = gfx::D3D_OK;
    std::vector<uint32_t> enumerated;
    uint32_t refs = 1;
    vmtest::RecordingDevice device;
};

}  // namespace fake
