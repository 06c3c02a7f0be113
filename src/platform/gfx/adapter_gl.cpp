// The adapter object: display modes, multisample answers, caps, and device creation.
#ifndef __EMSCRIPTEN__
#include <SDL.h>
#endif

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/gfx/device_gl.h"
#include "platform/gfx/gl_context.h"
#include "platform/gfx/ref_counted.h"
#include "platform/ui/window.h"

namespace gfx {
namespace {

using gl::Limits;

#ifdef __EMSCRIPTEN__
void QuitSdlVideo(bool) {}
#else
void QuitSdlVideo(bool owned) {
    if (owned) SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

// SDL's modes of display 0 as X8R8G8B8 modes, smallest first, without repeats.
std::vector<DisplayMode> SdlModes(DisplayMode* desktop) {
    std::vector<DisplayMode> modes;
    SDL_DisplayMode m;
    if (SDL_GetDesktopDisplayMode(0, &m) == 0)
        *desktop = {uint32_t(m.w), uint32_t(m.h), uint32_t(m.refresh_rate), D3DFMT_X8R8G8B8};
    const int count = SDL_GetNumDisplayModes(0);
    for (int i = 0; i < count; ++i) {
        if (SDL_GetDisplayMode(0, i, &m) != 0 || SDL_BITSPERPIXEL(m.format) < 24) continue;
        modes.push_back({uint32_t(m.w), uint32_t(m.h), uint32_t(m.refresh_rate), D3DFMT_X8R8G8B8});
    }
    auto key = [](const DisplayMode& d) { return std::tuple(d.Width, d.Height, d.RefreshRate); };
    std::sort(modes.begin(), modes.end(),
              [&](const auto& a, const auto& b) { return key(a) < key(b); });
    modes.erase(std::unique(modes.begin(), modes.end(),
                            [&](const auto& a, const auto& b) { return key(a) == key(b); }),
                modes.end());
    return modes;
}
#endif

class AdapterGl final : public gl::RefCounted<Adapter> {
  public:
    AdapterGl(ContextProvider provider, std::vector<DisplayMode> modes, DisplayMode desktop,
              Limits limits, bool ownsSdlVideo)
        : provider_(provider),
          modes_(std::move(modes)),
          desktop_(desktop),
          limits_(limits),
          ownsSdlVideo_(ownsSdlVideo) {}

    uint32_t GetAdapterModeCount(uint32_t adapter, D3DFORMAT format) override {
        if (adapter != D3DADAPTER_DEFAULT || format != D3DFMT_X8R8G8B8) return 0;
        return static_cast<uint32_t>(modes_.size());
    }

    HRESULT EnumAdapterModes(uint32_t adapter, D3DFORMAT format, uint32_t mode,
                             DisplayMode* out) override {
        if (!out || adapter != D3DADAPTER_DEFAULT || format != D3DFMT_X8R8G8B8 ||
            mode >= modes_.size())
            return D3DERR_INVALIDCALL;
        *out = modes_[mode];
        return D3D_OK;
    }

    HRESULT GetAdapterDisplayMode(uint32_t adapter, DisplayMode* out) override {
        if (!out || adapter != D3DADAPTER_DEFAULT) return D3DERR_INVALIDCALL;
        *out = desktop_;
        return D3D_OK;
    }

    HRESULT CheckDeviceMultiSampleType(uint32_t adapter, D3DDEVTYPE /*deviceType*/,
                                       D3DFORMAT format, int32_t /*windowed*/, uint32_t multiSample,
                                       uint32_t* qualityLevels) override {
        if (qualityLevels) *qualityLevels = 0;
        if (adapter != D3DADAPTER_DEFAULT) return D3DERR_INVALIDCALL;
        const bool knownFormat = format == D3DFMT_X8R8G8B8 || format == D3DFMT_A8R8G8B8 ||
                                 format == D3DFMT_D24S8 || format == D3DFMT_D24X8;
        // The same rule as render-target and depth-surface creation.
        const bool ok = knownFormat && limits_.SupportsSamples(multiSample);
        if (!ok) return D3DERR_NOTAVAILABLE;
        if (qualityLevels) *qualityLevels = 1;
        return D3D_OK;
    }

    HRESULT GetDeviceCaps(uint32_t adapter, D3DDEVTYPE deviceType, Caps* caps) override {
        if (!caps || adapter != D3DADAPTER_DEFAULT || deviceType != D3DDEVTYPE_HAL)
            return D3DERR_INVALIDCALL;
        // Vertex shaders always run in the GL pipeline: there is no slower path to warn about.
        caps->DevCaps = D3DDEVCAPS_HWTRANSFORMANDLIGHT;
        caps->MaxStreamStride = static_cast<uint32_t>(limits_.maxVertexStride);
        return D3D_OK;
    }

    HRESULT CreateDevice(uint32_t adapter, D3DDEVTYPE deviceType, ui::Window* focusWindow,
                         uint32_t /*flags*/, PresentParameters* params, Device** device) override {
        if (!device) return D3DERR_INVALIDCALL;
        *device = nullptr;
        if (!params || adapter != D3DADAPTER_DEFAULT || deviceType != D3DDEVTYPE_HAL)
            return D3DERR_INVALIDCALL;
        ui::Window* window = params->hDeviceWindow ? params->hDeviceWindow : focusWindow;
        if (provider_ == ContextProvider::Window && (!window || !window->sdl))
            return D3DERR_INVALIDCALL;
        if (window && params->BackBufferWidth == 0)
            params->BackBufferWidth = uint32_t(std::max(window->width, 0));
        if (window && params->BackBufferHeight == 0)
            params->BackBufferHeight = uint32_t(std::max(window->height, 0));
        if (params->BackBufferFormat == D3DFMT_UNKNOWN) params->BackBufferFormat = D3DFMT_X8R8G8B8;
        HRESULT hr = D3D_OK;
        gl::DeviceGl* made = gl::DeviceGl::Create(provider_, window, *params, limits_, &hr);
        if (made) made->HoldAdapter(this);
        *device = made;
        return hr;
    }

  private:
    ~AdapterGl() override { QuitSdlVideo(ownsSdlVideo_); }

    ContextProvider provider_;
    std::vector<DisplayMode> modes_;
    DisplayMode desktop_;
    Limits limits_;
    bool ownsSdlVideo_;
};

}  // namespace

Adapter* Direct3DCreate9(uint32_t sdkVersion) {
    if (sdkVersion != D3D_SDK_VERSION) {
        std::fprintf(stderr, "gfx: Direct3DCreate9: SDK version %u is not %u\n", sdkVersion,
                     D3D_SDK_VERSION);
        return nullptr;
    }
    const Config& config = CurrentConfig();
    std::vector<DisplayMode> modes;
    DisplayMode desktop = config.headlessDesktop;
    bool ownsSdlVideo = false;
    if (config.provider == ContextProvider::Window) {
#ifdef __EMSCRIPTEN__
        std::fprintf(stderr, "gfx: Direct3DCreate9: the browser build draws on the canvas\n");
        return nullptr;
#else
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
            std::fprintf(stderr, "gfx: Direct3DCreate9: SDL video: %s\n", SDL_GetError());
            return nullptr;
        }
        ownsSdlVideo = true;
        modes = SdlModes(&desktop);
#endif
    } else {
        modes = config.headlessModes;
    }
    if (modes.empty()) modes.push_back(desktop);

    Limits limits;
    std::string error;
    if (!gl::ProbeLimits(config.provider, &limits, &error)) {
        std::fprintf(stderr, "gfx: Direct3DCreate9: no usable OpenGL: %s\n", error.c_str());
        QuitSdlVideo(ownsSdlVideo);
        return nullptr;
    }
    return new AdapterGl(config.provider, std::move(modes), desktop, limits, ownsSdlVideo);
}

}  // namespace gfx
