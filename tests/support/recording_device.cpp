// Index of this file:
//  [SECTION] Buffers, textures, declarations
//  [SECTION] Device
//  [SECTION] Effects
//  [SECTION] Scopes

#include "support/recording_device.h"

#include <cstdio>
#include <cstring>
#include <sstream>

#include "display/device_globals.h"
#include "platform/ui/ui.h"

namespace vmtest {
namespace {

std::string Number(float value) {
    std::ostringstream out;
    out << value;
    return out.str();
}

std::string Join(std::initializer_list<std::string> parts) {
    std::string text;
    for (const std::string& part : parts) {
        if (!text.empty()) text += ", ";
        text += part;
    }
    return text;
}

std::string U(uint32_t value) {
    return std::to_string(value);
}

}  // namespace

// [SECTION] Buffers, textures, declarations

gfx::HRESULT FakeTexture::GetLevelDesc(uint32_t level, gfx::SurfaceDesc* out) {
    if (level != 0) return gfx::D3DERR_INVALIDCALL;
    *out = desc;
    return gfx::D3D_OK;
}

gfx::HRESULT FakeTexture::GetSurfaceLevel(uint32_t level, gfx::Surface** surface) {
    *surface = nullptr;
    if (gfx::HRESULT failed = device->Check("GetSurfaceLevel"); gfx::Failed(failed)) return failed;
    if (level != 0) return gfx::D3DERR_INVALIDCALL;
    if (level0 == nullptr) {
        level0 = device->MakeSurface("level", desc);
        level0->Release();  // counted only through the references handed out
    }
    level0->AddRef();
    *surface = level0;
    return gfx::D3D_OK;
}

std::vector<uint16_t> FakeIndexBuffer::Indices() const {
    std::vector<uint16_t> indices(bytes.size() / 2);
    if (!indices.empty()) std::memcpy(indices.data(), bytes.data(), indices.size() * 2);
    return indices;
}

gfx::HRESULT FakeVertexDeclaration::GetDeclaration(gfx::VertexElement* out, uint32_t* count) {
    if (out != nullptr)
        std::memcpy(out, elements.data(), elements.size() * sizeof(gfx::VertexElement));
    *count = static_cast<uint32_t>(elements.size());
    return gfx::D3D_OK;
}

// [SECTION] Device

RecordingDevice::RecordingDevice(uint32_t width, uint32_t height) {
    gfx::SurfaceDesc color{gfx::D3DFMT_X8R8G8B8,
                           gfx::D3DUSAGE_RENDERTARGET,
                           gfx::D3DPOOL_DEFAULT,
                           gfx::D3DMULTISAMPLE_NONE,
                           width,
                           height};
    gfx::SurfaceDesc depth{gfx::D3DFMT_D24S8,
                           gfx::D3DUSAGE_DEPTHSTENCIL,
                           gfx::D3DPOOL_DEFAULT,
                           gfx::D3DMULTISAMPLE_NONE,
                           width,
                           height};
    backBuffer_ = Keep(new FakeSurface("backbuffer", &faults_, color));
    autoDepth_ = Keep(new FakeSurface("autodepth", &faults_, depth));
    target_ = backBuffer_;  // the device's own reference
    depth_ = autoDepth_;
}

RecordingDevice::~RecordingDevice() = default;

std::string RecordingDevice::NextLabel(const char* prefix) {
    return prefix + std::to_string(++counters_[prefix]);
}

FakeSurface* RecordingDevice::MakeSurface(const char* prefix, const gfx::SurfaceDesc& desc) {
    return Keep(new FakeSurface(NextLabel(prefix), &faults_, desc));
}

void RecordingDevice::FailOn(const std::string& call, gfx::HRESULT result, int skip) {
    failures_.push_back({call, skip, result});
}

gfx::HRESULT RecordingDevice::Check(const char* call) {
    for (auto it = failures_.begin(); it != failures_.end(); ++it) {
        if (it->call != call) continue;
        if (it->skip > 0) {
            --it->skip;
            continue;
        }
        const gfx::HRESULT result = it->result;
        failures_.erase(it);
        return result;
    }
    return gfx::D3D_OK;
}

gfx::HRESULT RecordingDevice::Record(const char* call, const std::string& arguments) {
    log_.Add(std::string(call) + "(" + arguments + ")");
    return Check(call);
}

std::string RecordingDevice::Name(const gfx::Unknown* object) {
    if (object == nullptr) return "null";
    if (auto* fake = dynamic_cast<const FakeObjectBase*>(object)) return fake->Label();
    if (auto* e = dynamic_cast<const FakeEffect*>(object)) return "Effect[" + e->label + "]";
    return "foreign";
}

std::vector<std::string> RecordingDevice::LiveObjects() const {
    std::vector<std::string> live;
    for (const auto& object : objects_) {
        if (object.get() == backBuffer_ || object.get() == autoDepth_) continue;
        if (object->Alive()) live.push_back(object->Label());
    }
    return live;
}

uint32_t RecordingDevice::RenderState(gfx::D3DRENDERSTATETYPE state) const {
    auto it = renderStates_.find(state);
    return it == renderStates_.end() ? 0 : it->second;
}

gfx::HRESULT RecordingDevice::CreateTexture(uint32_t width, uint32_t height, uint32_t levels,
                                            gfx::D3DUSAGE usage, gfx::D3DFORMAT format,
                                            gfx::D3DPOOL pool, gfx::Texture** texture) {
    *texture = nullptr;
    const gfx::HRESULT result =
        Record("CreateTexture", Join({U(width), U(height), U(levels), UsageName(usage),
                                      FormatName(format), PoolName(pool)}));
    if (gfx::Failed(result)) return result;
    *texture =
        Keep(new FakeTexture(NextLabel("tex"), &faults_, this,
                             {format, usage, pool, gfx::D3DMULTISAMPLE_NONE, width, height}));
    return gfx::D3D_OK;
}

gfx::HRESULT RecordingDevice::CreateRenderTarget(uint32_t width, uint32_t height,
                                                 gfx::D3DFORMAT format, uint32_t multiSample,
                                                 uint32_t quality, int32_t lockable,
                                                 gfx::Surface** surface) {
    *surface = nullptr;
    const gfx::HRESULT result =
        Record("CreateRenderTarget",
               Join({U(width), U(height), FormatName(format), MultiSampleName(multiSample),
                     U(quality), std::to_string(lockable)}));
    if (gfx::Failed(result)) return result;
    *surface = MakeSurface("surf", {format, gfx::D3DUSAGE_RENDERTARGET, gfx::D3DPOOL_DEFAULT,
                                    multiSample, width, height});
    return gfx::D3D_OK;
}

gfx::HRESULT RecordingDevice::CreateDepthStencilSurface(uint32_t width, uint32_t height,
                                                        gfx::D3DFORMAT format, uint32_t multiSample,
                                                        uint32_t quality, int32_t discard,
                                                        gfx::Surface** surface) {
    *surface = nullptr;
    const gfx::HRESULT result =
        Record("CreateDepthStencilSurface",
               Join({U(width), U(height), FormatName(format), MultiSampleName(multiSample),
                     U(quality), std::to_string(discard)}));
    if (gfx::Failed(result)) return result;
    *surface = MakeSurface("depth", {format, gfx::D3DUSAGE_DEPTHSTENCIL, gfx::D3DPOOL_DEFAULT,
                                     multiSample, width, height});
    return gfx::D3D_OK;
}

gfx::HRESULT RecordingDevice::CreateVertexBuffer(uint32_t length, gfx::D3DUSAGE usage, uint32_t fvf,
                                                 gfx::D3DPOOL pool, gfx::VertexBuffer** buffer) {
    *buffer = nullptr;
    const gfx::HRESULT result =
        Record("CreateVertexBuffer", Join({U(length), UsageName(usage), U(fvf), PoolName(pool)}));
    if (gfx::Failed(result)) return result;
    *buffer = Keep(new FakeVertexBuffer(NextLabel("vb"), &faults_, &log_, length));
    return gfx::D3D_OK;
}

gfx::HRESULT RecordingDevice::CreateIndexBuffer(uint32_t length, gfx::D3DUSAGE usage,
                                                gfx::D3DFORMAT format, gfx::D3DPOOL pool,
                                                gfx::IndexBuffer** buffer) {
    *buffer = nullptr;
    const gfx::HRESULT result =
        Record("CreateIndexBuffer",
               Join({U(length), UsageName(usage), FormatName(format), PoolName(pool)}));
    if (gfx::Failed(result)) return result;
    *buffer = Keep(new FakeIndexBuffer(NextLabel("ib"), &faults_, &log_, length));
    return gfx::D3D_OK;
}

gfx::HRESULT RecordingDevice::CreateVertexDeclaration(const gfx::VertexElement* elements,
                                                      gfx::VertexDeclaration** declaration) {
    std::vector<gfx::VertexElement> list;
    for (const gfx::VertexElement* e = elements;; ++e) {
        list.push_back(*e);
        if (e->Stream == 0xFF) break;
    }
    *declaration = nullptr;
    const gfx::HRESULT result =
        Record("CreateVertexDeclaration", U(static_cast<uint32_t>(list.size())) + " elements");
    if (gfx::Failed(result)) return result;
    *declaration = Keep(new FakeVertexDeclaration(NextLabel("decl"), &faults_, std::move(list)));
    return gfx::D3D_OK;
}

gfx::HRESULT RecordingDevice::CreateTextureFromFile(const char* path, gfx::Texture** texture) {
    *texture = nullptr;
    if (gfx::HRESULT failed = Record("CreateTextureFromFile", path); gfx::Failed(failed))
        return failed;
    auto* made = Keep(new FakeTexture(NextLabel("tex"), &faults_, this,
                                      {gfx::D3DFMT_A8R8G8B8, gfx::D3DUSAGE_NONE,
                                       gfx::D3DPOOL_MANAGED, gfx::D3DMULTISAMPLE_NONE, 64, 64}));
    made->sourceFile = path;
    *texture = made;
    return gfx::D3D_OK;
}

gfx::HRESULT RecordingDevice::GetRenderTarget(uint32_t index, gfx::Surface** surface) {
    *surface = nullptr;
    if (gfx::HRESULT failed = Record("GetRenderTarget", U(index)); gfx::Failed(failed))
        return failed;
    if (index != 0 || target_ == nullptr) return gfx::D3DERR_INVALIDCALL;
    target_->AddRef();
    *surface = target_;
    return gfx::D3D_OK;
}

gfx::HRESULT RecordingDevice::SetRenderTarget(uint32_t index, gfx::Surface* surface) {
    if (gfx::HRESULT failed = Record("SetRenderTarget", U(index) + ", " + Name(surface));
        gfx::Failed(failed))
        return failed;
    if (index != 0 || surface == nullptr) return gfx::D3DERR_INVALIDCALL;
    surface->AddRef();
    target_->Release();
    target_ = surface;
    return gfx::D3D_OK;
}

gfx::HRESULT RecordingDevice::GetDepthStencilSurface(gfx::Surface** surface) {
    *surface = nullptr;
    if (gfx::HRESULT failed = Record("GetDepthStencilSurface", ""); gfx::Failed(failed))
        return failed;
    if (depth_ == nullptr) return gfx::D3DERR_NOTAVAILABLE;
    depth_->AddRef();
    *surface = depth_;
    return gfx::D3D_OK;
}

gfx::HRESULT RecordingDevice::SetDepthStencilSurface(gfx::Surface* surface) {
    if (gfx::HRESULT failed = Record("SetDepthStencilSurface", Name(surface)); gfx::Failed(failed))
        return failed;
    if (surface != nullptr) surface->AddRef();
    if (depth_ != nullptr) depth_->Release();
    depth_ = surface;
    return gfx::D3D_OK;
}

gfx::HRESULT RecordingDevice::StretchRect(gfx::Surface* source, const gfx::Rect* sourceRect,
                                          gfx::Surface* dest, const gfx::Rect* destRect,
                                          gfx::D3DTEXTUREFILTERTYPE filter) {
    const gfx::HRESULT result =
        Record("StretchRect", Join({Name(source), sourceRect ? "rect" : "null", Name(dest),
                                    destRect ? "rect" : "null", TextureFilterName(filter)}));
    if (gfx::Failed(result)) return result;
    return source != nullptr && dest != nullptr ? gfx::D3D_OK : gfx::D3DERR_INVALIDCALL;
}

gfx::HRESULT RecordingDevice::BeginScene() {
    if (gfx::HRESULT failed = Record("BeginScene", ""); gfx::Failed(failed)) return failed;
    ++sceneDepth_;
    return gfx::D3D_OK;
}

gfx::HRESULT RecordingDevice::EndScene() {
    if (gfx::HRESULT failed = Record("EndScene", ""); gfx::Failed(failed)) return failed;
    if (sceneDepth_ == 0) return gfx::D3DERR_INVALIDCALL;
    --sceneDepth_;
    return gfx::D3D_OK;
}

gfx::HRESULT RecordingDevice::Clear(uint32_t count, const gfx::Rect* rects, uint32_t flags,
                                    uint32_t color, float z, uint32_t stencil) {
    char text[96];
    std::snprintf(text, sizeof text, "%u, %s, %s, 0x%08X, %s, %u", count, rects ? "rects" : "null",
                  ClearFlagsName(flags).c_str(), color, Number(z).c_str(), stencil);
    return Record("Clear", text);
}

gfx::HRESULT RecordingDevice::Present(const gfx::Rect*, const gfx::Rect*, ui::Window*,
                                      const void*) {
    return Record("Present", "");
}

gfx::HRESULT RecordingDevice::SetRenderState(gfx::D3DRENDERSTATETYPE state, uint32_t value) {
    renderStates_[state] = value;
    return Record("SetRenderState",
                  Join({RenderStateName(state), RenderStateValueName(state, value)}));
}

gfx::HRESULT RecordingDevice::GetRenderState(gfx::D3DRENDERSTATETYPE state, uint32_t* value) {
    *value = RenderState(state);
    return gfx::D3D_OK;
}

gfx::HRESULT RecordingDevice::SetStreamSource(uint32_t stream, gfx::VertexBuffer* buffer,
                                              uint32_t offset, uint32_t stride) {
    return Record("SetStreamSource", Join({U(stream), Name(buffer), U(offset), U(stride)}));
}

gfx::HRESULT RecordingDevice::SetVertexDeclaration(gfx::VertexDeclaration* declaration) {
    return Record("SetVertexDeclaration", Name(declaration));
}

gfx::HRESULT RecordingDevice::SetIndices(gfx::IndexBuffer* buffer) {
    return Record("SetIndices", Name(buffer));
}

gfx::HRESULT RecordingDevice::DrawIndexedPrimitive(gfx::D3DPRIMITIVETYPE type, int32_t baseVertex,
                                                   uint32_t minIndex, uint32_t numVertices,
                                                   uint32_t startIndex, uint32_t primitiveCount) {
    return Record("DrawIndexedPrimitive",
                  Join({PrimitiveTypeName(type), std::to_string(baseVertex), U(minIndex),
                        U(numVertices), U(startIndex), U(primitiveCount)}));
}

// [SECTION] Effects

FakeEffect::FakeEffect(std::string name, CallLog* calls, uint32_t passes, bool technique)
    : label(std::move(name)), log(calls), passCount(passes), hasTechnique(technique) {}

uint32_t FakeEffect::Release() {
    if (refs == 0) {
        ++releasedTooOften;
        return 0;
    }
    return --refs;
}

gfx::HRESULT FakeEffect::SetFloat(const char* name, float value) {
    log->Add("Effect[" + label + "].SetFloat(" + name + ", " + Number(value) + ")");
    values[name] = {value};
    return gfx::D3D_OK;
}

gfx::HRESULT FakeEffect::SetFloatArray(const char* name, const float* array, uint32_t count) {
    std::string text = "Effect[" + label + "].SetFloatArray(" + name;
    for (uint32_t i = 0; i < count; ++i) text += ", " + Number(array[i]);
    log->Add(text + ")");
    values[name].assign(array, array + count);
    return gfx::D3D_OK;
}

gfx::HRESULT FakeEffect::SetMatrix(const char* name, const float* matrix16) {
    log->Add("Effect[" + label + "].SetMatrix(" + name + ")");
    values[name].assign(matrix16, matrix16 + 16);
    matrixHistory[name].emplace_back(matrix16, matrix16 + 16);
    return gfx::D3D_OK;
}

gfx::HRESULT FakeEffect::SetTexture(const char* name, gfx::Texture* texture) {
    log->Add("Effect[" + label + "].SetTexture(" + name + ", " + RecordingDevice::Name(texture) +
             ")");
    textures[name] = texture;
    return gfx::D3D_OK;
}

fx::TechniqueHandle FakeEffect::GetCurrentTechnique() {
    return hasTechnique ? static_cast<fx::TechniqueHandle>(this) : nullptr;
}

gfx::HRESULT FakeEffect::Begin(uint32_t* passes, uint32_t flags) {
    log->Add("Effect[" + label + "].Begin(" + U(flags) + ")");
    if (passes != nullptr) *passes = passCount;
    return gfx::D3D_OK;
}

gfx::HRESULT FakeEffect::BeginPass(uint32_t pass) {
    log->Add("Effect[" + label + "].BeginPass(" + U(pass) + ")");
    return pass < passCount ? gfx::D3D_OK : gfx::D3DERR_INVALIDCALL;
}

gfx::HRESULT FakeEffect::CommitChanges() {
    log->Add("Effect[" + label + "].CommitChanges()");
    return gfx::D3D_OK;
}

gfx::HRESULT FakeEffect::EndPass() {
    log->Add("Effect[" + label + "].EndPass()");
    return gfx::D3D_OK;
}

gfx::HRESULT FakeEffect::End() {
    log->Add("Effect[" + label + "].End()");
    return gfx::D3D_OK;
}

FakeEffectCompiler::~FakeEffectCompiler() = default;

void FakeEffectCompiler::Add(const std::string& path, const std::string& label, uint32_t passCount,
                             bool hasTechnique, const std::string& warnings) {
    entries_[path] = {label, passCount, hasTechnique, warnings, gfx::D3D_OK};
}

void FakeEffectCompiler::AddFailure(const std::string& path, gfx::HRESULT result,
                                    const std::string& messages) {
    entries_[path] = {"", 0, false, messages, result};
}

gfx::HRESULT FakeEffectCompiler::Compile(gfx::Device*, const char* path, uint32_t flags,
                                         fx::Effect** effect, std::string* messages) {
    compiled_.push_back(path);
    flags_.push_back(flags);
    *effect = nullptr;
    auto it = entries_.find(path);
    if (it == entries_.end()) {
        *messages = std::string(path) + ": error: cannot open file";
        return gfx::E_FAIL;
    }
    *messages = it->second.messages;
    if (gfx::Failed(it->second.result)) return it->second.result;
    made_.push_back(std::make_unique<FakeEffect>(it->second.label, log_, it->second.passCount,
                                                 it->second.hasTechnique));
    *effect = made_.back().get();
    return gfx::D3D_OK;
}

std::function<gfx::HRESULT(gfx::Device*, const char*, uint32_t, fx::Effect**, std::string*)>
FakeEffectCompiler::AsFunction() {
    return [this](gfx::Device* device, const char* path, uint32_t flags, fx::Effect** effect,
                  std::string* messages) { return Compile(device, path, flags, effect, messages); };
}

FakeEffect* FakeEffectCompiler::Made(const std::string& label) const {
    for (const auto& effect : made_) {
        if (effect->label == label) return effect.get();
    }
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
    ui::Config config;
    config.headless = true;
    ui::Configure(std::move(config));
}

}  // namespace vmtest
