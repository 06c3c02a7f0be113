#include "resources/dtexture.h"

#include "display/device_globals.h"
#include "platform/ui/ui.h"
#include "resources/release_interface.h"

bool DTexture::Create(uint32_t newWidth, uint32_t newHeight, gfx::D3DFORMAT format) {
    gfx::Device* device = g_device;
    if (device == nullptr ||
        gfx::Failed(device->CreateTexture(newWidth, newHeight, 1, gfx::D3DUSAGE_DYNAMIC, format,
                                          gfx::D3DPOOL_DEFAULT, &texture))) {
        ui::MessageBox("CreateTexture", "DTexture");
        return false;
    }
    if (gfx::Failed(device->CreateDepthStencilSurface(newWidth, newHeight, gfx::D3DFMT_D24S8, 0, 0,
                                                      1, &depth))) {
        ui::MessageBox("CreateDepthStencil", "DTexture");
        return false;
    }
    if (gfx::Failed(texture->GetSurfaceLevel(0, &surface))) {
        ui::MessageBox("GetSurfaceLevel", "DTexture");
        return false;
    }
    width = newWidth;
    height = newHeight;
    return true;
}

void DTexture::Release() {
    ReleaseInterface(texture);
    ReleaseInterface(surface);
    ReleaseInterface(depth);
}
