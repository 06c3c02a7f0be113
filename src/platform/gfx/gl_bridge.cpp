#include "platform/gfx/gl_bridge.h"

#include "platform/gfx/device_gl.h"
#include "platform/gfx/gl_api.h"
#include "platform/gfx/resources.h"

namespace gfx::gl {

int AttributeLocation(uint8_t usage, uint8_t usageIndex) {
    if (usage == D3DDECLUSAGE_TEXCOORD) return usageIndex < 8 ? 6 + usageIndex : -1;
    if (usageIndex != 0) return -1;
    switch (usage) {
        case D3DDECLUSAGE_POSITION:
            return 0;
        case D3DDECLUSAGE_BLENDWEIGHT:
            return 1;
        case D3DDECLUSAGE_NORMAL:
            return 2;
        case D3DDECLUSAGE_COLOR:
            return 3;
        case D3DDECLUSAGE_TANGENT:
            return 4;
        case D3DDECLUSAGE_BINORMAL:
            return 5;
        default:
            return -1;
    }
}

unsigned TextureName(Texture* texture) {
    if (auto* gl = dynamic_cast<TextureGl*>(texture)) return gl->Name();
    if (auto* cube = dynamic_cast<CubeTextureGl*>(texture)) return cube->Name();
    if (auto* volume = dynamic_cast<VolumeTextureGl*>(texture)) return volume->Name();
    return 0;
}

unsigned TextureTarget(Texture* texture) {
    if (dynamic_cast<TextureGl*>(texture)) return GL_TEXTURE_2D;
    if (auto* cube = dynamic_cast<CubeTextureGl*>(texture)) return cube->Target();
    if (auto* volume = dynamic_cast<VolumeTextureGl*>(texture)) return volume->Target();
    return 0;
}

bool IsGlDevice(Device* device) {
    return dynamic_cast<DeviceGl*>(device) != nullptr;
}

bool IsEsDevice(Device* device) {
    auto* gl = dynamic_cast<DeviceGl*>(device);
    return gl && gl->IsEs();
}

}  // namespace gfx::gl
