#include "support/device_value_names.h"

#include <initializer_list>

namespace vmtest {
namespace {

struct Named {
    uint32_t value;
    const char* name;
};

std::string OneOf(uint32_t value, std::initializer_list<Named> names) {
    for (const Named& n : names) {
        if (n.value == value) return n.name;
    }
    return std::to_string(value);
}

// Known bits by name joined with '|'; unknown bits as one number at the end.
std::string Bits(uint32_t value, std::initializer_list<Named> names) {
    if (value == 0) return "0";
    std::string text;
    for (const Named& n : names) {
        if ((value & n.value) == 0) continue;
        text += (text.empty() ? "" : "|") + std::string(n.name);
        value &= ~n.value;
    }
    if (value != 0) text += (text.empty() ? "" : "|") + std::to_string(value);
    return text;
}

}  // namespace

std::string RenderStateName(gfx::D3DRENDERSTATETYPE state) {
    using namespace gfx;
    return OneOf(state, {{D3DRS_ZENABLE, "ZENABLE"},
                         {D3DRS_ZWRITEENABLE, "ZWRITEENABLE"},
                         {D3DRS_SRCBLEND, "SRCBLEND"},
                         {D3DRS_DESTBLEND, "DESTBLEND"},
                         {D3DRS_CULLMODE, "CULLMODE"},
                         {D3DRS_ZFUNC, "ZFUNC"},
                         {D3DRS_ALPHABLENDENABLE, "ALPHABLENDENABLE"},
                         {D3DRS_BLENDOP, "BLENDOP"}});
}

std::string RenderStateValueName(gfx::D3DRENDERSTATETYPE state, uint32_t value) {
    using namespace gfx;
    switch (state) {
        case D3DRS_ZENABLE:
        case D3DRS_ZWRITEENABLE:
        case D3DRS_ALPHABLENDENABLE:
            return OneOf(value, {{0, "FALSE"}, {1, "TRUE"}});
        case D3DRS_CULLMODE:
            return OneOf(value, {{D3DCULL_NONE, "NONE"}, {D3DCULL_CW, "CW"}, {D3DCULL_CCW, "CCW"}});
        case D3DRS_ZFUNC:
            return OneOf(value, {{D3DCMP_NEVER, "NEVER"},
                                 {D3DCMP_LESS, "LESS"},
                                 {D3DCMP_EQUAL, "EQUAL"},
                                 {D3DCMP_LESSEQUAL, "LESSEQUAL"},
                                 {D3DCMP_GREATER, "GREATER"},
                                 {D3DCMP_NOTEQUAL, "NOTEQUAL"},
                                 {D3DCMP_GREATEREQUAL, "GREATEREQUAL"},
                                 {D3DCMP_ALWAYS, "ALWAYS"}});
        case D3DRS_SRCBLEND:
        case D3DRS_DESTBLEND:
            return OneOf(value, {{D3DBLEND_ZERO, "ZERO"},
                                 {D3DBLEND_ONE, "ONE"},
                                 {D3DBLEND_SRCCOLOR, "SRCCOLOR"},
                                 {D3DBLEND_INVSRCCOLOR, "INVSRCCOLOR"},
                                 {D3DBLEND_SRCALPHA, "SRCALPHA"},
                                 {D3DBLEND_INVSRCALPHA, "INVSRCALPHA"},
                                 {D3DBLEND_DESTALPHA, "DESTALPHA"},
                                 {D3DBLEND_INVDESTALPHA, "INVDESTALPHA"},
                                 {D3DBLEND_DESTCOLOR, "DESTCOLOR"},
                                 {D3DBLEND_INVDESTCOLOR, "INVDESTCOLOR"}});
        case D3DRS_BLENDOP:
            return OneOf(value, {{D3DBLENDOP_ADD, "ADD"},
                                 {D3DBLENDOP_SUBTRACT, "SUBTRACT"},
                                 {D3DBLENDOP_REVSUBTRACT, "REVSUBTRACT"},
                                 {D3DBLENDOP_MIN, "MIN"},
                                 {D3DBLENDOP_MAX, "MAX"}});
        default:
            return std::to_string(value);  // states the demo's own code never sets
    }
}

std::string FormatName(gfx::D3DFORMAT format) {
    using namespace gfx;
    return OneOf(format, {{D3DFMT_UNKNOWN, "UNKNOWN"},
                          {D3DFMT_A8R8G8B8, "A8R8G8B8"},
                          {D3DFMT_X8R8G8B8, "X8R8G8B8"},
                          {D3DFMT_D24S8, "D24S8"},
                          {D3DFMT_D24X8, "D24X8"},
                          {D3DFMT_INDEX16, "INDEX16"}});
}

std::string UsageName(gfx::D3DUSAGE usage) {
    using namespace gfx;
    return Bits(usage, {{D3DUSAGE_RENDERTARGET, "RENDERTARGET"},
                        {D3DUSAGE_DEPTHSTENCIL, "DEPTHSTENCIL"},
                        {D3DUSAGE_WRITEONLY, "WRITEONLY"},
                        {D3DUSAGE_DYNAMIC, "DYNAMIC"}});
}

std::string PoolName(gfx::D3DPOOL pool) {
    return OneOf(pool, {{gfx::D3DPOOL_DEFAULT, "DEFAULT"}, {gfx::D3DPOOL_MANAGED, "MANAGED"}});
}

std::string MultiSampleName(uint32_t type) {
    if (type == gfx::D3DMULTISAMPLE_NONE) return "NONE";
    return std::to_string(type) + "_SAMPLES";
}

std::string PrimitiveTypeName(gfx::D3DPRIMITIVETYPE type) {
    return OneOf(type, {{gfx::D3DPT_TRIANGLELIST, "TRIANGLELIST"}});
}

std::string TextureFilterName(gfx::D3DTEXTUREFILTERTYPE filter) {
    using namespace gfx;
    return OneOf(filter,
                 {{D3DTEXF_NONE, "NONE"}, {D3DTEXF_POINT, "POINT"}, {D3DTEXF_LINEAR, "LINEAR"}});
}

std::string ClearFlagsName(uint32_t flags) {
    using namespace gfx;
    return Bits(flags, {{D3DCLEAR_TARGET, "TARGET"},
                        {D3DCLEAR_ZBUFFER, "ZBUFFER"},
                        {D3DCLEAR_STENCIL, "STENCIL"}});
}

std::string LockFlagsName(uint32_t flags) {
    return Bits(flags, {{gfx::D3DLOCK_DISCARD, "DISCARD"}});
}

}  // namespace vmtest
