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

gfx::HRESULT FakeTexture::GetSurfaceLevel(uint32_t, gfx::Surface** surface) {
    *surface = nullptr;
    if (const gfx::HRESULT failed = device->Check("GetSurfaceLevel"); gfx::Failed(failed))
        return failed;
    if (level == nullptr) {
        level = device->Make<FakeSurface>("level");
    } else {
        level->AddRef();
    }
    *surface = level;
    return gfx::D3D_OK;
}

RecordingDevice::RecordingDevice() {
    backBuffer = Make<FakeSurface>("");
    autoDepth = Make<FakeSurface>("");
    backBuffer->label = "backbuffer";
    autoDepth->label = "autodepth";
    target = backBuffer;  // the device's own references
    depth = autoDepth;
}

void RecordingDevice::FailOn(const std::string& call, gfx::HRESULT result, int skip) {
    failures_.push_back({call, skip, result});
}

gfx::HRESULT RecordingDevice::Record(const std::string& line) {
    calls.push_back(line);
    return Check(line.substr(0, line.find('(')));
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

gfx::HRESULT RecordingDevice::CreateTexture(uint32_t width, uint32_t height, uint32_t levels,
                                            gfx::D3DUSAGE usage, gfx::D3DFORMAT format,
                                            gfx::D3DPOOL pool, gfx::Texture** texture) {
    *texture = nullptr;
    const gfx::HRESULT result =
        Record(Call("CreateTexture", width, height, levels, usage, format, pool));
    if (!gfx::Failed(result)) *texture = Make<FakeTexture>("tex");
    return result;
}

gfx::HRESULT RecordingDevice::CreateRenderTarget(uint32_t width, uint32_t height,
                                                 gfx::D3DFORMAT format, uint32_t multiSample,
                                                 uint32_t quality, int32_t lockable,
                                                 gfx::Surface** surface) {
    *surface = nullptr;
    const gfx::HRESULT result =
        Record(Call("CreateRenderTarget", width, height, format, multiSample, quality, lockable));
    if (!gfx::Failed(result)) *surface = Make<FakeSurface>("surf");
    return result;
}

gfx::HRESULT RecordingDevice::CreateDepthStencilSurface(uint32_t width, uint32_t height,
                                                        gfx::D3DFORMAT format, uint32_t multiSample,
                                                        uint32_t quality, int32_t discard,
                                                        gfx::Surface** surface) {
    *surface = nullptr;
    const gfx::HRESULT result = Record(
        Call("CreateDepthStencilSurface", width, height, format, multiSample, quality, discard));
    if (!gfx::Failed(result)) *surface = Make<FakeSurface>("depth");
    return result;
}

gfx::HRESULT RecordingDevice::CreateVertexBuffer(uint32_t length, gfx::D3DUSAGE usage, uint32_t fvf,
                                                 gfx::D3DPOOL pool, gfx::VertexBuffer** buffer) {
    *buffer = nullptr;
    const gfx::HRESULT result = Record(Call("CreateVertexBuffer", length, usage, fvf, pool));
    if (gfx::Failed(result)) return result;
    auto* made = Make<FakeBuffer<gfx::VertexBuffer>>("vb");
    made->bytes.resize(length);
    *buffer = made;
    return result;
}

gfx::HRESULT RecordingDevice::CreateIndexBuffer(uint32_t length, gfx::D3DUSAGE usage,
                                                gfx::D3DFORMAT format, gfx::D3DPOOL pool,
                                                gfx::IndexBuffer** buffer) {
    *buffer = nullptr;
    const gfx::HRESULT result = Record(Call("CreateIndexBuffer", length, usage, format, pool));
    if (gfx::Failed(result)) return result;
    auto* made = Make<FakeBuffer<gfx::IndexBuffer>>("ib");
    made->bytes.resize(length);
    *buffer = made;
    return result;
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
    *declaration = nullptr;
    const gfx::HRESULT result = Record(Call("CreateVertexDeclaration", text));
    if (!gfx::Failed(result)) *declaration = Make<FakeDeclaration>("decl");
    return result;
}

gfx::HRESULT RecordingDevice::CreateTextureFromFile(const char* path, gfx::Texture** texture) {
    *texture = nullptr;
    const gfx::HRESULT result = Record(Call("CreateTextureFromFile", std::string(path)));
    if (!gfx::Failed(result)) *texture = Make<FakeTexture>("tex");
    return result;
}

gfx::HRESULT RecordingDevice::GetRenderTarget(uint32_t index, gfx::Surface** surface) {
    *surface = nullptr;
    const gfx::HRESULT result = Record(Call("GetRenderTarget", index));
    if (gfx::Failed(result)) return result;
    target->AddRef();
    *surface = target;
    return index == 0 ? result : gfx::D3DERR_INVALIDCALL;
}

gfx::HRESULT RecordingDevice::SetRenderTarget(uint32_t index, gfx::Surface* surface) {
    const gfx::HRESULT result = Record(Call("SetRenderTarget", index, surface));
    if (gfx::Failed(result)) return result;
    if (index != 0 || surface == nullptr) return gfx::D3DERR_INVALIDCALL;
    surface->AddRef();
    target->Release();
    target = surface;
    return result;
}

gfx::HRESULT RecordingDevice::GetDepthStencilSurface(gfx::Surface** surface) {
    *surface = nullptr;
    const gfx::HRESULT result = Record(Call("GetDepthStencilSurface"));
    if (gfx::Failed(result)) return result;
    if (depth == nullptr) return gfx::D3DERR_NOTAVAILABLE;
    depth->AddRef();
    *surface = depth;
    return result;
}

gfx::HRESULT RecordingDevice::SetDepthStencilSurface(gfx::Surface* surface) {
    const gfx::HRESULT result = Record(Call("SetDepthStencilSurface", surface));
    if (gfx::Failed(result)) return result;
    if (surface != nullptr) surface->AddRef();
    if (depth != nullptr) depth->Release();
    depth = surface;
    return result;
}

gfx::HRESULT RecordingDevice::StretchRect(gfx::Surface* source, const gfx::Rect* sourceRect,
                                          gfx::Surface* dest, const gfx::Rect* destRect,
                                          gfx::D3DTEXTUREFILTERTYPE filter) {
    return Record(Call("StretchRect", source, sourceRect, dest, destRect, filter));
}

gfx::HRESULT RecordingDevice::BeginScene() {
    const gfx::HRESULT result = Record(Call("BeginScene"));
    if (!gfx::Failed(result)) ++sceneDepth;
    return result;
}

gfx::HRESULT RecordingDevice::EndScene() {
    const gfx::HRESULT result = Record(Call("EndScene"));
    if (gfx::Failed(result) || sceneDepth == 0) return gfx::D3DERR_INVALIDCALL;
    --sceneDepth;
    return result;
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

gfx::HRESULT FakeEffect::Log(const std::string& line) {
    device->calls.push_back(line);
    return gfx::D3D_OK;
}

gfx::HRESULT FakeEffect::SetFloat(const char* name, float value) {
    values[name].push_back({value});
    return Log(Call(label + ".SetFloat", std::string(name), value));
}

gfx::HRESULT FakeEffect::SetFloatArray(const char* name, const float* array, uint32_t count) {
    std::string line = label + ".SetFloatArray(" + name;
    for (uint32_t i = 0; i < count; ++i) line += ", " + Text(array[i]);
    values[name].emplace_back(array, array + count);
    return Log(line + ")");
}

gfx::HRESULT FakeEffect::SetMatrix(const char* name, const float* matrix16) {
    values[name].emplace_back(matrix16, matrix16 + 16);
    return Log(Call(label + ".SetMatrix", std::string(name)));
}

gfx::HRESULT FakeEffect::SetTexture(const char* name, gfx::Texture* texture) {
    return Log(Call(label + ".SetTexture", std::string(name), texture));
}

gfx::HRESULT FakeEffect::Begin(uint32_t* passes, uint32_t flags) {
    if (passes != nullptr) *passes = passCount;
    return Log(Call(label + ".Begin", flags));
}

gfx::HRESULT FakeEffect::BeginPass(uint32_t pass) {
    Log(Call(label + ".BeginPass", pass));
    return pass < passCount ? gfx::D3D_OK : gfx::D3DERR_INVALIDCALL;
}

FakeEffectCompiler::~FakeEffectCompiler() = default;

void FakeEffectCompiler::Add(const std::string& path, const std::string& label, uint32_t passCount,
                             bool technique, const std::string& messages, gfx::HRESULT result) {
    entries_[path] = {label, passCount, technique, messages, result};
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

FakeEffect* FakeEffectCompiler::Made(const std::string& label) const {
    for (FakeEffect* effect : made_)
        if (effect->label == "Effect[" + label + "]") return effect;
    return nullptr;
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
