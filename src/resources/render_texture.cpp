#include "resources/render_texture.h"

#include "display/device_globals.h"
#include "display/display_settings.h"
#include "platform/ui/ui.h"
#include "resources/release_interface.h"

void RenderTexture::Create(float scaleX, float scaleY, bool isMultisampled, gfx::D3DFORMAT format) {
    const auto scaledWidth =
        static_cast<int32_t>(static_cast<float>(displaySettings.renderWidth) * scaleX);
    const auto scaledHeight =
        static_cast<int32_t>(static_cast<float>(displaySettings.renderHeight) * scaleY);
    CreateSized(scaledWidth, scaledHeight, isMultisampled, format);
}

void RenderTexture::CreateSized(int32_t newWidth, int32_t newHeight, bool isMultisampled,
                                gfx::D3DFORMAT format) {
    width = newWidth;
    height = newHeight;
    multisampled = isMultisampled;
    const auto w = static_cast<uint32_t>(width);
    const auto h = static_cast<uint32_t>(height);
    gfx::Device* device = g_device;
    const char* failure = nullptr;

    // A missing device counts as a refused call.
    gfx::HRESULT result = device ? device->CreateTexture(w, h, 1, gfx::D3DUSAGE_RENDERTARGET,
                                                         format, gfx::D3DPOOL_DEFAULT, &texture)
                                 : gfx::D3DERR_INVALIDCALL;
    if (gfx::Failed(result)) {
        failure = "CreateTexture";
    } else if (!multisampled) {
        result = device->CreateDepthStencilSurface(w, h, gfx::D3DFMT_D24S8, 0, 0, 1, &depth);
        if (gfx::Failed(result)) failure = "CreateDepthStencil";
    } else {
        const uint32_t samples = displaySettings.multiSample;
        result = device->CreateDepthStencilSurface(w, h, gfx::D3DFMT_D24S8, samples, 0, 1, &depth);
        if (gfx::Failed(result)) {
            failure = "CreateDepthStencil (ms)";
        } else {
            result = device->CreateRenderTarget(w, h, format, samples, 0, 0, &msTarget);
            if (gfx::Failed(result)) failure = "CreateRenderTarget (ms)";
        }
    }
    if (failure == nullptr && gfx::Failed(texture->GetSurfaceLevel(0, &surface))) {
        failure = "GetSurfaceLevel";
    }
    if (failure != nullptr) {
        ui::MessageBox(failure, "RenderTexture");
        Release();
    }
}

void RenderTexture::Begin() {
    gfx::Device* device = g_device;
    if (savedTarget != nullptr || savedDepth != nullptr)
        return;  // already active: keep what is held
    const char* failure = nullptr;
    const char* caption = "RenderTexture";
    if (device == nullptr || gfx::Failed(device->GetRenderTarget(0, &savedTarget))) {
        failure = "GetRenderTarget";
    } else if (gfx::Failed(device->GetDepthStencilSurface(&savedDepth))) {
        failure = "GetDepthStencil";
        caption = "RenderTarget";
    } else if (gfx::Failed(device->SetRenderTarget(0, multisampled ? msTarget : surface))) {
        failure = multisampled ? "SetRenderTarget (ms)" : "SetRenderTarget";
    } else if (gfx::Failed(device->SetDepthStencilSurface(depth))) {
        failure = "SetDepthStencilSurface";
    }
    if (failure != nullptr) {
        ui::MessageBox(failure, caption);
        Release();
        return;
    }
    device->BeginScene();
}

void RenderTexture::End() {
    gfx::Device* device = g_device;
    if (device == nullptr || savedTarget == nullptr) return;  // no Begin to end
    device->EndScene();
    if (gfx::Failed(device->SetRenderTarget(0, savedTarget))) {
        ui::MessageBox("SetRenderTarget (End)", "RenderTexture");
        Release();
        return;
    }
    if (gfx::Failed(device->SetDepthStencilSurface(savedDepth))) {
        ui::MessageBox("SetDepthStencil (end)", "RenderTexture");
        Release();
        return;
    }
    if (multisampled) device->StretchRect(msTarget, nullptr, surface, nullptr, gfx::D3DTEXF_NONE);
    ReleaseInterface(savedDepth);
    ReleaseInterface(savedTarget);
}

void RenderTexture::Release() {
    ReleaseInterface(msTarget);
    ReleaseInterface(texture);
    ReleaseInterface(depth);
    ReleaseInterface(surface);
    ReleaseInterface(savedTarget);
    ReleaseInterface(savedDepth);
}
