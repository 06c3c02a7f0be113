#include "platform/fx/fx_state_names.h"

#include <charconv>

#include "platform/fx/fx_source.h"
#include "platform/gfx/gfx.h"

namespace fx::detail {

namespace {

struct NamedValue {
    std::string_view name;
    uint32_t value;
};

std::optional<uint32_t> Lookup(std::string_view text, std::initializer_list<NamedValue> table) {
    for (const NamedValue& entry : table) {
        if (EqualsNoCase(text, entry.name)) return entry.value;
    }
    uint32_t number = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (ec == std::errc() && end == text.data() + text.size()) return number;
    return std::nullopt;
}

std::optional<uint32_t> BoolValue(std::string_view text) {
    auto v = Lookup(text, {{"true", 1}, {"false", 0}});
    if (v && *v > 1) return std::nullopt;
    return v;
}

}  // namespace

std::optional<gfx::D3DRENDERSTATETYPE> RenderStateByName(std::string_view name) {
    struct NamedState {
        std::string_view name;
        gfx::D3DRENDERSTATETYPE state;
    };
    static constexpr NamedState kStates[] = {
        {"AlphaBlendEnable", gfx::D3DRS_ALPHABLENDENABLE},
        {"SrcBlend", gfx::D3DRS_SRCBLEND},
        {"DestBlend", gfx::D3DRS_DESTBLEND},
        {"BlendOp", gfx::D3DRS_BLENDOP},
        {"CullMode", gfx::D3DRS_CULLMODE},
        {"ZEnable", gfx::D3DRS_ZENABLE},
        {"ZWriteEnable", gfx::D3DRS_ZWRITEENABLE},
        {"ZFunc", gfx::D3DRS_ZFUNC},
        {"FillMode", gfx::D3DRS_FILLMODE},
        {"AlphaTestEnable", gfx::D3DRS_ALPHATESTENABLE},
        {"AlphaRef", gfx::D3DRS_ALPHAREF},
        {"AlphaFunc", gfx::D3DRS_ALPHAFUNC},
        {"ColorWriteEnable", gfx::D3DRS_COLORWRITEENABLE},
        {"StencilEnable", gfx::D3DRS_STENCILENABLE},
        {"StencilFail", gfx::D3DRS_STENCILFAIL},
        {"StencilZFail", gfx::D3DRS_STENCILZFAIL},
        {"StencilPass", gfx::D3DRS_STENCILPASS},
        {"StencilFunc", gfx::D3DRS_STENCILFUNC},
        {"StencilRef", gfx::D3DRS_STENCILREF},
        {"StencilMask", gfx::D3DRS_STENCILMASK},
        {"StencilWriteMask", gfx::D3DRS_STENCILWRITEMASK},
        {"TwoSidedStencilMode", gfx::D3DRS_TWOSIDEDSTENCILMODE},
        {"CCW_StencilFail", gfx::D3DRS_CCW_STENCILFAIL},
        {"CCW_StencilZFail", gfx::D3DRS_CCW_STENCILZFAIL},
        {"CCW_StencilPass", gfx::D3DRS_CCW_STENCILPASS},
        {"CCW_StencilFunc", gfx::D3DRS_CCW_STENCILFUNC},
    };
    for (const NamedState& s : kStates) {
        if (EqualsNoCase(name, s.name)) return s.state;
    }
    return std::nullopt;
}

std::optional<uint32_t> RenderStateValue(gfx::D3DRENDERSTATETYPE state, std::string_view text) {
    using namespace gfx;
    switch (state) {
        case D3DRS_ALPHABLENDENABLE:
        case D3DRS_ZWRITEENABLE:
        case D3DRS_ZENABLE:
        case D3DRS_ALPHATESTENABLE:
        case D3DRS_STENCILENABLE:
        case D3DRS_TWOSIDEDSTENCILMODE:
            return BoolValue(text);
        case D3DRS_ALPHAREF:
        case D3DRS_STENCILREF:
        case D3DRS_STENCILMASK:
        case D3DRS_STENCILWRITEMASK:
            return Lookup(text, {});
        case D3DRS_FILLMODE:
            return Lookup(text, {{"Point", D3DFILL_POINT},
                                 {"Wireframe", D3DFILL_WIREFRAME},
                                 {"Solid", D3DFILL_SOLID}});
        case D3DRS_COLORWRITEENABLE:
            return Lookup(text, {{"Red", D3DCOLORWRITEENABLE_RED},
                                 {"Green", D3DCOLORWRITEENABLE_GREEN},
                                 {"Blue", D3DCOLORWRITEENABLE_BLUE},
                                 {"Alpha", D3DCOLORWRITEENABLE_ALPHA}});
        case D3DRS_STENCILFAIL:
        case D3DRS_STENCILZFAIL:
        case D3DRS_STENCILPASS:
        case D3DRS_CCW_STENCILFAIL:
        case D3DRS_CCW_STENCILZFAIL:
        case D3DRS_CCW_STENCILPASS:
            return Lookup(text, {{"Keep", D3DSTENCILOP_KEEP},
                                 {"Zero", D3DSTENCILOP_ZERO},
                                 {"Replace", D3DSTENCILOP_REPLACE},
                                 {"IncrSat", D3DSTENCILOP_INCRSAT},
                                 {"DecrSat", D3DSTENCILOP_DECRSAT},
                                 {"Invert", D3DSTENCILOP_INVERT},
                                 {"Incr", D3DSTENCILOP_INCR},
                                 {"Decr", D3DSTENCILOP_DECR}});
        case D3DRS_SRCBLEND:
        case D3DRS_DESTBLEND:
            return Lookup(text, {{"Zero", D3DBLEND_ZERO},
                                 {"One", D3DBLEND_ONE},
                                 {"SrcColor", D3DBLEND_SRCCOLOR},
                                 {"InvSrcColor", D3DBLEND_INVSRCCOLOR},
                                 {"SrcAlpha", D3DBLEND_SRCALPHA},
                                 {"InvSrcAlpha", D3DBLEND_INVSRCALPHA},
                                 {"DestAlpha", D3DBLEND_DESTALPHA},
                                 {"InvDestAlpha", D3DBLEND_INVDESTALPHA},
                                 {"DestColor", D3DBLEND_DESTCOLOR},
                                 {"InvDestColor", D3DBLEND_INVDESTCOLOR}});
        case D3DRS_BLENDOP:
            return Lookup(text, {{"Add", D3DBLENDOP_ADD},
                                 {"Subtract", D3DBLENDOP_SUBTRACT},
                                 {"RevSubtract", D3DBLENDOP_REVSUBTRACT},
                                 {"Min", D3DBLENDOP_MIN},
                                 {"Max", D3DBLENDOP_MAX}});
        case D3DRS_CULLMODE:
            return Lookup(text, {{"None", D3DCULL_NONE}, {"CW", D3DCULL_CW}, {"CCW", D3DCULL_CCW}});
        case D3DRS_ZFUNC:
        case D3DRS_ALPHAFUNC:
        case D3DRS_STENCILFUNC:
        case D3DRS_CCW_STENCILFUNC:
            return Lookup(text, {{"Never", D3DCMP_NEVER},
                                 {"Less", D3DCMP_LESS},
                                 {"Equal", D3DCMP_EQUAL},
                                 {"LessEqual", D3DCMP_LESSEQUAL},
                                 {"Greater", D3DCMP_GREATER},
                                 {"NotEqual", D3DCMP_NOTEQUAL},
                                 {"GreaterEqual", D3DCMP_GREATEREQUAL},
                                 {"Always", D3DCMP_ALWAYS}});
        default:
            return std::nullopt;
    }
}

bool IsFixedFunctionState(std::string_view name) {
    static constexpr std::string_view kNames[] = {"Lighting",
                                                  "SpecularEnable",
                                                  "ShadeMode",
                                                  "Ambient",
                                                  "AmbientMaterialSource",
                                                  "DiffuseMaterialSource",
                                                  "SpecularMaterialSource",
                                                  "EmissiveMaterialSource",
                                                  "ColorVertex",
                                                  "LocalViewer",
                                                  "NormalizeNormals",
                                                  "VertexBlend",
                                                  "IndexedVertexBlendEnable",
                                                  "TextureFactor",
                                                  "Clipping",
                                                  "DitherEnable",
                                                  "LastPixel",
                                                  "TweenFactor",
                                                  "ColorOp",
                                                  "AlphaOp",
                                                  "ResultArg",
                                                  "TexCoordIndex",
                                                  "TextureTransformFlags",
                                                  "WorldTransform",
                                                  "ViewTransform",
                                                  "ProjectionTransform",
                                                  "TextureTransform",
                                                  "FVF"};
    // Families: FogEnable, FogColor ...; LightEnable[0] ...; MaterialDiffuse ...; Wrap0 ...
    static constexpr std::string_view kPrefixes[] = {"Fog",    "Light",    "Material", "Wrap",
                                                     "PointS", "ColorArg", "AlphaArg", "BumpEnv"};
    for (std::string_view n : kNames)
        if (EqualsNoCase(name, n)) return true;
    for (std::string_view p : kPrefixes)
        if (name.size() > p.size() && EqualsNoCase(name.substr(0, p.size()), p)) return true;
    return false;
}

std::optional<SamplerField> SamplerFieldByName(std::string_view name) {
    struct Entry {
        std::string_view name;
        SamplerField field;
    };
    static constexpr Entry kFields[] = {
        {"MinFilter", SamplerField::MinFilter}, {"MagFilter", SamplerField::MagFilter},
        {"MipFilter", SamplerField::MipFilter}, {"AddressU", SamplerField::AddressU},
        {"AddressV", SamplerField::AddressV},   {"AddressW", SamplerField::AddressW},
        {"Texture", SamplerField::Texture},     {"BorderColor", SamplerField::BorderColor},
    };
    for (const Entry& e : kFields) {
        if (EqualsNoCase(name, e.name)) return e.field;
    }
    return std::nullopt;
}

std::optional<uint32_t> FilterValue(std::string_view text) {
    return Lookup(text, {{"None", 0}, {"Point", 1}, {"Linear", 2}, {"Anisotropic", 3}});
}

std::optional<uint32_t> AddressValue(std::string_view text) {
    auto v = Lookup(text, {{"Wrap", kAddressWrap},
                           {"Mirror", kAddressMirror},
                           {"Clamp", kAddressClamp},
                           {"Border", kAddressBorder},
                           {"MirrorOnce", kAddressMirrorOnce}});
    if (v && (*v < kAddressWrap || *v > kAddressMirrorOnce)) return std::nullopt;
    return v;
}

}  // namespace fx::detail
