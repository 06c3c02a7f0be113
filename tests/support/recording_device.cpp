// Index of this file:
//  [SECTION] Value names
//  [SECTION] Objects and device
//  [SECTION] Effects
//  [SECTION] Scopes
#include "support/recording_device.h"

#include <cstdio>
#include <sstream>

#include "display/device_globals.h"
#include "platform/ui/ui.h"

namespace vmtest {

// [SECTION] Value names

namespace {

struct Named {
    uint32_t value;
    const char* name;  // with the family prefix, which is left out
};
#define VM_NAMED(value)    \
    Named {                \
        gfx::value, #value \
    }

std::string Short(const char* name) {
    return std::string(name).substr(std::string(name).find('_') + 1);
}

std::string OneOf(uint32_t value, std::initializer_list<Named> names) {
    for (const Named& n : names)
        if (n.value == value) return Short(n.name);
    return std::to_string(value);
}

// Known bits by name joined with '|', unknown bits as one number at the end.
std::string Bits(uint32_t value, std::initializer_list<Named> names) {
    std::string text;
    for (const Named& n : names) {
        if ((value & n.value) == 0) continue;
        text += (text.empty() ? "" : "|") + Short(n.name);
        value &= ~n.value;
    }
    if (value != 0 || text.empty()) text += (text.empty() ? "" : "|") + std::to_string(value);
    return text;
}

// A render state's value as the state reads it.
std::string StateValue(gfx::D3DRENDERSTATETYPE state, uint32_t value) {
    using namespace gfx;
    switch (state) {
        case D3DRS_CULLMODE:
            return OneOf(value,
                         {VM_NAMED(D3DCULL_NONE), VM_NAMED(D3DCULL_CW), VM_NAMED(D3DCULL_CCW)});
        case D3DRS_SRCBLEND:
        case D3DRS_DESTBLEND:
            return OneOf(value, {VM_NAMED(D3DBLEND_ZERO), VM_NAMED(D3DBLEND_ONE),
                                 VM_NAMED(D3DBLEND_SRCALPHA), VM_NAMED(D3DBLEND_INVSRCALPHA)});
        case D3DRS_BLENDOP:
            return OneOf(value, {VM_NAMED(D3DBLENDOP_ADD), VM_NAMED(D3DBLENDOP_SUBTRACT)});
        case D3DRS_ZENABLE:
        case D3DRS_ZWRITEENABLE:
        case D3DRS_ALPHABLENDENABLE:
            return value == 0 ? "FALSE" : value == 1 ? "TRUE" : std::to_string(value);
        default:
            return std::to_string(value);
    }
}

}  // namespace

std::string Text(uint32_t value) {
    return std::to_string(value);
}
std::string Text(int32_t value) {
    return std::to_string(value);
}
std::string Text(float value) {
    std::ostringstream out;
    out << value;
    return out.str();
}
std::string Text(const gfx::Unknown* object) {
    if (object == nullptr) return "null";
    const auto* fake = dynamic_cast<const FakeBase*>(object);
    return fake != nullptr ? fake->label : "foreign";
}
std::string Text(const gfx::Rect* rect) {
    return rect != nullptr ? "rect" : "null";
}
std::string Text(gfx::D3DFORMAT format) {
    return OneOf(format,
                 {VM_NAMED(D3DFMT_UNKNOWN), VM_NAMED(D3DFMT_A8R8G8B8), VM_NAMED(D3DFMT_X8R8G8B8),
                  VM_NAMED(D3DFMT_D24S8), VM_NAMED(D3DFMT_D24X8), VM_NAMED(D3DFMT_INDEX16)});
}
std::string Text(gfx::D3DUSAGE usage) {
    return Bits(usage, {VM_NAMED(D3DUSAGE_RENDERTARGET), VM_NAMED(D3DUSAGE_DEPTHSTENCIL),
                        VM_NAMED(D3DUSAGE_WRITEONLY), VM_NAMED(D3DUSAGE_DYNAMIC)});
}
std::string Text(gfx::D3DPOOL pool) {
    return OneOf(pool, {VM_NAMED(D3DPOOL_DEFAULT), VM_NAMED(D3DPOOL_MANAGED)});
}
std::string Text(gfx::D3DPRIMITIVETYPE type) {
    return OneOf(type, {VM_NAMED(D3DPT_TRIANGLELIST)});
}
std::string Text(gfx::D3DTEXTUREFILTERTYPE filter) {
    return OneOf(filter,
                 {VM_NAMED(D3DTEXF_NONE), VM_NAMED(D3DTEXF_POINT), VM_NAMED(D3DTEXF_LINEAR)});
}
std::string Text(gfx::D3DRENDERSTATETYPE state) {
    return OneOf(state,
                 {VM_NAMED(D3DRS_ZENABLE), VM_NAMED(D3DRS_ZWRITEENABLE), VM_NAMED(D3DRS_SRCBLEND),
                  VM_NAMED(D3DRS_DESTBLEND), VM_NAMED(D3DRS_CULLMODE), VM_NAMED(D3DRS_ZFUNC),
                  VM_NAMED(D3DRS_ALPHABLENDENABLE), VM_NAMED(D3DRS_BLENDOP)});
}
std::string LockFlags(uint32_t flags) {
    return Bits(flags, {{gfx::D3DLOCK_DISCARD, "D3DLOCK_DISCARD"}});
}

// [SECTION] Objects and device

gfx::HRESULT FakeObject::GetSurfaceLevel(uint32_t, gfx::Surface** surface) {
    *surface = nullptr;
    if (const gfx::HRESULT failed = device->Check("GetSurfaceLevel"); gfx::Failed(failed))
        return failed;
    if (level == nullptr) {
        level = device->Make<FakeObject>("level");
    } else {
        level->AddRef();
    }
    *surface = level;
    return gfx::D3D_OK;
}

gfx::HRESULT FakeObject::Lock(uint32_t offset, uint32_t size, void** data, uint32_t flags) {
    *data = bytes.data() + std::min<size_t>(offset, bytes.size());
    return device->Record(Call(label + ".Lock", offset, size, LockFlags(flags)));
}

gfx::HRESULT FakeObject::Unlock() {
    return device->Record(Call(label + ".Unlock"));
}

RecordingDevice::RecordingDevice() {
    backBuffer = Make<FakeObject>("backbuffer");
    autoDepth = Make<FakeObject>("autodepth");
    target = backBuffer;  // the device's own references
    depth = autoDepth;
    backBuffer->label = "backbuffer";
    autoDepth->label = "autodepth";
}

gfx::HRESULT RecordingDevice::Check(const std::string& call) {
    for (auto it = failures_.begin(); it != failures_.end(); ++it) {
        if (it->call != call || it->skip-- > 0) continue;
        const gfx::HRESULT result = it->result;
        failures_.erase(it);
        return result;
    }
    return gfx::D3D_OK;
}

std::vector<std::string> RecordingDevice::LiveObjects() const {
    std::vector<std::string> live;
    for (const auto& object : objects_) {
        if (object->refs > 0 && object.get() != backBuffer && object.get() != autoDepth)
            live.push_back(object->label);
    }
    return live;
}

gfx::HRESULT RecordingDevice::CreateVertexDeclaration(const gfx::VertexElement* elements,
                                                      gfx::VertexDeclaration** declaration) {
    static const char* const kTypes[] = {"FLOAT1", "FLOAT2", "FLOAT3", "FLOAT4"};
    static const char* const kUsages[] = {"POSITION", "BLENDWEIGHT", "BLENDINDICES", "NORMAL",
                                          "PSIZE",    "TEXCOORD",    "TANGENT",      "BINORMAL"};
    std::string text;
    for (const gfx::VertexElement* e = elements; e->Stream != 0xFF; ++e) {
        text += (text.empty() ? "" : ", ") + std::to_string(e->Offset) + " " +
                (e->Type < 4 ? kTypes[e->Type] : "?") + " " +
                (e->Usage < 8 ? kUsages[e->Usage] : "?") + std::to_string(e->UsageIndex);
    }
    return Create(Call("CreateVertexDeclaration", text), "decl", declaration);
}

gfx::HRESULT RecordingDevice::Clear(uint32_t count, const gfx::Rect* rects, uint32_t flags,
                                    uint32_t color, float z, uint32_t stencil) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%08X", color);
    const std::string names = Bits(
        flags, {VM_NAMED(D3DCLEAR_TARGET), VM_NAMED(D3DCLEAR_ZBUFFER), VM_NAMED(D3DCLEAR_STENCIL)});
    return Record(Call("Clear", count, rects, names, std::string(hex), z, stencil));
}

gfx::HRESULT RecordingDevice::SetRenderState(gfx::D3DRENDERSTATETYPE state, uint32_t value) {
    return Record(Call("SetRenderState", state, StateValue(state, value)));
}

// [SECTION] Effects

gfx::HRESULT FakeEffect::SetFloatArray(const char* name, const float* array, uint32_t count) {
    std::string line = label + ".SetFloatArray(" + name;
    for (uint32_t i = 0; i < count; ++i) line += ", " + Text(array[i]);
    values[name].emplace_back(array, array + count);
    return Log(line + ")");
}

gfx::HRESULT FakeEffectCompiler::Compile(gfx::Device*, const char* path, uint32_t flags,
                                         fx::Effect** effect, std::string* messages) {
    device_->calls.push_back(Call("Compile", std::string(path), flags));
    *effect = nullptr;
    auto it = entries_.find(path);
    if (it == entries_.end()) {
        *messages = std::string(path) + ": error: cannot open file";
        return gfx::E_FAIL;
    }
    const Entry& entry = it->second;
    *messages = entry.messages;
    if (gfx::Failed(entry.result)) return entry.result;
    FakeEffect* made = device_->Make<FakeEffect>("effect");
    made->label = "Effect[" + entry.label + "]";
    made->passCount = entry.passCount;
    made->technique = entry.technique;
    made_.push_back(made);
    *effect = made;
    return gfx::D3D_OK;
}

// [SECTION] Scopes

ScopedDevice::ScopedDevice(gfx::Device* device) : previous_(g_device) {
    g_device = device;
}
ScopedDevice::~ScopedDevice() {
    g_device = previous_;
}

BoxRecorder::BoxRecorder() {
    ui::Config config;
    config.headless = true;
    config.messageBox = [this](const char* text, const char* caption, uint32_t) {
        boxes.push_back({text, caption});
        return ui::IDOK;
    };
    ui::Configure(std::move(config));
}

BoxRecorder::~BoxRecorder() {
    ui::Configure({.headless = true});
}

}  // namespace vmtest
