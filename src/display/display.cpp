#include "display/display.h"

#include <cstdio>

#include "display/device_globals.h"
#include "display/display_settings.h"
#include "display/setup_dialog.h"
#include "platform/ui/ui.h"

Display::Display() {
    depthSurface = nullptr;
    g_d3d = gfx::Direct3DCreate9(gfx::D3D_SDK_VERSION);
    if (g_d3d == nullptr) {
        ui::MessageBox("Failed Direct3DCreate9(SDK_VERSION)", "D3D9Init",
                       ui::MB_OK | ui::MB_ICONEXCLAMATION);
    }
}

Display::~Display() {
    if (depthSurface != nullptr) {
        depthSurface->Release();
        depthSurface = nullptr;
    }
    if (g_device != nullptr) {
        g_device->Release();
        g_device = nullptr;
    }
    if (g_d3d != nullptr) {
        g_d3d->Release();
        g_d3d = nullptr;
    }
}

bool Display::ShowSetupDialog() {
    setupDialogFailed = false;
    if (g_d3d == nullptr) return false;  // already reported by the constructor; nothing to list
    const intptr_t result = ui::DialogBoxParam(SetupDialogTemplate(), SetupDialogProc, 0);
    if (result == -1) {
        std::fprintf(stderr, "display: the setup dialog could not be shown\n");
        setupDialogFailed = true;
        return false;
    }
    if (result == 0) {
        std::printf("hooo");
        std::fflush(stdout);
        return false;
    }
    displaySettings.ComputeRenderArea();
    displaySettings.DumpSettings();
    return true;
}

bool Display::Open(const char* /*title: the window is always "BIG"*/) {
    ui::Window* window = ui::CreateWindowEx("BIG", static_cast<int>(displaySettings.screenWidth),
                                            static_cast<int>(displaySettings.screenHeight),
                                            displaySettings.fullscreen);
    if (displaySettings.fullscreen) ui::ShowCursor(false);
    if (window == nullptr) {
        ui::MessageBox("CreateWindowEx()", "ERROR", ui::MB_OK | ui::MB_ICONEXCLAMATION);
        return false;
    }
    return InitDevice(window);
}

bool Display::InitDevice(ui::Window* window) {
    if (g_d3d == nullptr) return false;

    gfx::PresentParameters params{};
    params.BackBufferWidth = displaySettings.screenWidth;
    params.BackBufferHeight = displaySettings.screenHeight;
    params.BackBufferFormat = gfx::D3DFMT_X8R8G8B8;
    params.BackBufferCount = 3;
    params.MultiSampleType = gfx::D3DMULTISAMPLE_NONE;
    params.MultiSampleQuality = 0;
    params.SwapEffect = gfx::D3DSWAPEFFECT_DISCARD;
    params.hDeviceWindow = nullptr;
    params.Windowed = displaySettings.fullscreen ? 0 : 1;
    params.EnableAutoDepthStencil = 0;
    params.AutoDepthStencilFormat = gfx::D3DFMT_D24S8;
    params.Flags = 0;
    params.FullScreen_RefreshRateInHz = 0;
    // A cleared Vsync box asks not to wait for the retrace.
    params.PresentationInterval = displaySettings.vsync ? gfx::D3DPRESENT_INTERVAL_DEFAULT
                                                        : gfx::D3DPRESENT_INTERVAL_IMMEDIATE;

    gfx::Caps caps{};
    g_d3d->GetDeviceCaps(gfx::D3DADAPTER_DEFAULT, gfx::D3DDEVTYPE_HAL, &caps);
    const bool hardwareTnL = (caps.DevCaps & gfx::D3DDEVCAPS_HWTRANSFORMANDLIGHT) != 0;
    if (!hardwareTnL) {
        ui::MessageBox("No D3DDEVCAPS_HWTRANSFORMANDLIGHT (May Run Slow)", "D3D9CAPS", ui::MB_OK);
    }
    const uint32_t behaviour = hardwareTnL ? gfx::D3DCREATE_HARDWARE_VERTEXPROCESSING
                                           : gfx::D3DCREATE_SOFTWARE_VERTEXPROCESSING;

    if (gfx::Failed(g_d3d->CreateDevice(gfx::D3DADAPTER_DEFAULT, gfx::D3DDEVTYPE_HAL, window,
                                        behaviour, &params, &g_device))) {
        g_device = nullptr;
        ui::MessageBox("CreateDevice", "Error::D3D9Init", ui::MB_OK);
        return false;
    }
    if (gfx::Failed(g_device->CreateDepthStencilSurface(
            displaySettings.screenWidth, displaySettings.screenHeight, gfx::D3DFMT_D24X8,
            gfx::D3DMULTISAMPLE_NONE, 0, 1, &depthSurface))) {
        depthSurface = nullptr;
        ui::MessageBox("CreateDepthStencilSurface", "Error::D3D9Init", ui::MB_OK);
        return false;
    }
    if (gfx::Failed(g_device->SetDepthStencilSurface(depthSurface))) {
        ui::MessageBox("SetDepthStencilSurface", "Error::D3D9Init", ui::MB_OK);
        return false;
    }
    return true;
}
