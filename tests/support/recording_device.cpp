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

// ---- Buffers, textures, declarations
// -------------------------------------------------------------

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

// ---- Device
// ---------------------------------------------------------------------------------------

RecordingDevice::RecordingDevice(uint32_t width, uint32_t height) {
    gfx::SurfaceDesc color{
        gfx::D3DFMT_X8R8G8B8, gfx::D3DUSAGE_RENDERTARGET, gfx::D3DPOOL_DEFAULT, 0, width, height};
    gfx::SurfaceDesc depth{
        gfx::D3DFMT_D24S8, gfx::D3DUSAGE_DEPTHSTENCIL, gfx::D3DPOOL_DEFAULT, 0, width, height};
    backBuffer_ = Keep(new FakeSurface("backbuffer", &faults_, color));
    autoDepth_ = Keep(new FakeSurface("autodepth", &faults_, depth));
    target_ = backBuffer_;  // the device's own reference
    depth_ = autoDepth_;
}

RecordingDevice::~RecordingDevice() {
    for (Owned& object : objects_) object.destroy();
}

template <class T>
T* RecordingDevice::Keep(T* object) {
    objects_.push_back({object->Label(), object, [object] { delete object; },
                        [object] { return object->Alive(); }});
    return object;
}

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

std::string RecordingDevice::Name(const gfx::Unknown* object) {
    if (object == nullptr) return "null";
    if (auto* s = dynamic_cast<const FakeSurface*>(object)) return s->Label();
    if (auto* t = dynamic_cast<const FakeTexture*>(object)) return t->Label();
    if (auto* v = dynamic_cast<const FakeVertexBuffer*>(object)) return v->Label();
    if (auto* i = dynamic_cast<const FakeIndexBuffer*>(object)) return i->Label();
    if (auto* d = dynamic_cast<const FakeVertexDeclaration*>(object)) return d->Label();
    if (auto* e = dynamic_cast<const FakeEffect*>(object)) return "Effect[" + e->label + "]";
    return "foreign";
}

std::vector<std::string> RecordingDevice::LiveObjects() const {
    std::vector<std::string> live;
    for (const Owned& object : objects_) {
        if (object.pointer == backBuffer_ || object.pointer == autoDepth_) continue;
        if (object.alive()) live.push_back(object.label);
    }
    return live;
}

uint32_t RecordingDevice::RenderState(uint32_t state) const {
    auto it = renderStates_.find(state);
    return it == renderStates_.end() ? 0 : it->second;
}

gfx::HRESULT RecordingDevice::CreateTexture(uint32_t width, uint32_t height, uint32_t levels,
                                            uint32_t usage, uint32_t format, uint32_t pool,
                                            gfx::Texture** texture) {
    log_.Add("CreateTexture(" +
             Join({U(width), U(height), U(levels), U(usage), U(format), U(pool)}) + ")");
    *texture = nullptr;
    if (gfx::HRESULT failed = Check("CreateTexture"); gfx::Failed(failed)) return failed;
    *texture = Keep(
        new FakeTexture(NextLabel("tex"), &faults_, this, {format, usage, pool, 0, width, height}));
    return gfx::D3D_OK;
}

gfx::HRESULT RecordingDevice::CreateRenderTarget(uint32_t width, uint32_t height, uint32_t format,
                                                 uint32_t multiSample, uint32_t quality,
                                                 int32_t lockable, gfx::Surface** surface) {
    log_.Add("CreateRenderTarget(" +
             Join({U(width), U(height), U(format), U(multiSample), U(quality),
                   std::to_string(lockable)}) +
             ")");
    *surface = nullptr;
    if (gfx::HRESULT failed = Check("CreateRenderTarget"); gfx::Failed(failed)) return failed;
    *surface = MakeSurface("surf", {format, gfx::D3DUSAGE_RENDERTARGET, gfx::D3DPOOL_DEFAULT,
                                    multiSample, width, height});
    return gfx::D3D_OK;
}

gfx::HRESULT RecordingDevice::CreateDepthStencilSurface(uint32_t width, uint32_t height,
                                                        uint32_t format, uint32_t multiSample,
                                                        uint32_t quality, int32_t discard,
                                                        gfx::Surface** surface) {
    log_.Add("CreateDepthStencilSurface(" +
             Join({U(width), U(height), U(format), U(multiSample), U(quality),
                   std::to_string(discard)}) +
             ")");
    *surface = nullptr;
    if (gfx::HRESULT failed = Check("CreateDepthStencilSurface"); gfx::Failed(failed))
        return failed;
    *surface = MakeSurface("depth", {format, gfx::D3DUSAGE_DEPTHSTENCIL, gfx::D3DPOOL_DEFAULT,
                                     multiSample, width, height});
    return gfx::D3D_OK;
}

gfx::HRESULT RecordingDevice::CreateVertexBuffer(uint32_t length, uint32_t usage, uint32_t fvf,
                                                 uint32_t pool, gfx::VertexBuffer** buffer) {
    log_.Add("CreateVertexBuffer(" + Join({U(length), U(usage), U(fvf), U(pool)}) + ")");
    *buffer = nullptr;
    if (gfx::HRESULT failed = Check("CreateVertexBuffer"); gfx::Failed(failed)) return failed;
    *buffer = Keep(new FakeVertexBuffer(NextLabel("vb"), &faults_, &log_, length));
    return gfx::D3D_OK;
}

gfx::HRESULT RecordingDevice::CreateIndexBuffer(uint32_t length, uint32_t usage, uint32_t format,
                                                uint32_t pool, gfx::IndexBuffer** buffer) {
    log_.Add("CreateIndexBuffer(" + Join({U(length), U(usage), U(format), U(pool)}) + ")");
    *buffer = nullptr;
    if (gfx::HRESULT failed = Check("CreateIndexBuffer"); gfx::Failed(failed)) return failed;
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
    log_.Add("CreateVertexDeclaration(" + U(static_cast<uint32_t>(list.size())) + " elements)");
    *declaration = nullptr;
    if (gfx::HRESULT failed = Check("CreateVertexDeclaration"); gfx::Failed(failed)) return failed;
    *declaration = Keep(new FakeVertexDeclaration(NextLabel("decl"), &faults_, std::move(list)));
    return gfx::D3D_OK;
}

gfx::HRESULT RecordingDevice::CreateTextureFromFile(const char* path, gfx::Texture** texture) {
    log_.Add(std::string("CreateTextureFromFile(") + path + ")");
    *texture = nullptr;
    if (gfx::HRESULT failed = Check("CreateTextureFromFile"); gfx::Failed(failed)) return failed;
    auto* made = Keep(new FakeTexture(NextLabel("tex"), &faults_, this,
                                      {gfx::D3DFMT_A8R8G8B8, 0, gfx::D3DPOOL_MANAGED, 0, 64, 64}));
    made->sourceFile = path;
    *texture = made;
    return gfx::D3D_OK;
}

gfx::HRESULT RecordingDevice::GetRenderTarget(uint32_t index, gfx::Surface** surface) {
    log_.Add("GetRenderTarget(" + U(index) + ")");
    *surface = nullptr;
    if (gfx::HRESULT failed = Check("GetRenderTarget"); gfx::Failed(failed)) return failed;
    if (index != 0 || target_ == nullptr) return gfx::D3DERR_INVALIDCALL;
    target_->AddRef();
    *surface = target_;
    return gfx::D3D_OK;
}

gfx::HRESULT RecordingDevice::SetRenderTarget(uint32_t index, gfx::Surface* surface) {
    log_.Add("SetRenderTarget(" + U(index) + ", " + Name(surface) + ")");
    if (gfx::HRESULT failed = Check("SetRenderTarget"); gfx::Failed(failed)) return failed;
    if (index != 0 || surface == nullptr) return gfx::D3DERR_INVALIDCALL;
    surface->AddRef();
    target_->Release();
    target_ = surface;
    return gfx::D3D_OK;
}

gfx::HRESULT RecordingDevice::GetDepthStencilSurface(gfx::Surface** surface) {
    log_.Add("GetDepthStencilSurface()");
    *surface = nullptr;
    if (gfx::HRESULT failed = Check("GetDepthStencilSurface"); gfx::Failed(failed)) return failed;
    if (depth_ == nullptr) return gfx::D3DERR_NOTAVAILABLE;
    depth_->AddRef();
    *surface = depth_;
    return gfx::D3D_OK;
}

gfx::HRESULT RecordingDevice::SetDepthStencilSurface(gfx::Surface* surface) {
    log_.Add("SetDepthStencilSurface(" + Name(surface) + ")");
    if (gfx::HRESULT failed = Check("SetDepthStencilSurface"); gfx::Failed(failed)) return failed;
    if (surface != nullptr) surface->AddRef();
    if (depth_ != nullptr) depth_->Release();
    depth_ = surface;
    return gfx::D3D_OK;
}

gfx::HRESULT RecordingDevice::StretchRect(gfx::Surface* source, const gfx::Rect* sourceRect,
                                          gfx::Surface* dest, const gfx::Rect* destRect,
                                          uint32_t filter) {
    log_.Add("StretchRect(" +
             Join({Name(source), sourceRect ? "rect" : "null", Name(dest),
                   destRect ? "rect" : "null", U(filter)}) +
             ")");
    if (gfx::HRESULT failed = Check("StretchRect"); gfx::Failed(failed)) return failed;
    return source != nullptr && dest != nullptr ? gfx::D3D_OK : gfx::D3DERR_INVALIDCALL;
}

gfx::HRESULT RecordingDevice::BeginScene() {
    log_.Add("BeginScene()");
    if (gfx::HRESULT failed = Check("BeginScene"); gfx::Failed(failed)) return failed;
    ++sceneDepth_;
    return gfx::D3D_OK;
}

gfx::HRESULT RecordingDevice::EndScene() {
    log_.Add("EndScene()");
    if (gfx::HRESULT failed = Check("EndScene"); gfx::Failed(failed)) return failed;
    if (sceneDepth_ == 0) return gfx::D3DERR_INVALIDCALL;
    --sceneDepth_;
    return gfx::D3D_OK;
}

gfx::HRESULT RecordingDevice::Clear(uint32_t count, const gfx::Rect* rects, uint32_t flags,
                                    uint32_t color, float z, uint32_t stencil) {
    char text[96];
    std::snprintf(text, sizeof text, "Clear(%u, %s, %u, 0x%08X, %s, %u)", count,
                  rects ? "rects" : "null", flags, color, Number(z).c_str(), stencil);
    log_.Add(text);
    return Check("Clear");
}

gfx::HRESULT RecordingDevice::Present(const gfx::Rect*, const gfx::Rect*, ui::Window*,
                                      const void*) {
    log_.Add("Present()");
    return Check("Present");
}

gfx::HRESULT RecordingDevice::SetRenderState(uint32_t state, uint32_t value) {
    log_.Add("SetRenderState(" + Join({U(state), U(value)}) + ")");
    renderStates_[state] = value;
    return Check("SetRenderState");
}

gfx::HRESULT RecordingDevice::GetRenderState(uint32_t state, uint32_t* value) {
    *value = RenderState(state);
    return gfx::D3D_OK;
}

gfx::HRESULT RecordingDevice::SetStreamSource(uint32_t stream, gfx::VertexBuffer* buffer,
                                              uint32_t offset, uint32_t stride) {
    log_.Add("SetStreamSource(" + Join({U(stream), Name(buffer), U(offset), U(stride)}) + ")");
    return Check("SetStreamSource");
}

gfx::HRESULT RecordingDevice::SetVertexDeclaration(gfx::VertexDeclaration* declaration) {
    log_.Add("SetVertexDeclaration(" + Name(declaration) + ")");
    return Check("SetVertexDeclaration");
}

gfx::HRESULT RecordingDevice::SetIndices(gfx::IndexBuffer* buffer) {
    log_.Add("SetIndices(" + Name(buffer) + ")");
    return Check("SetIndices");
}

gfx::HRESULT RecordingDevice::DrawIndexedPrimitive(uint32_t type, int32_t baseVertex,
                                                   uint32_t minIndex, uint32_t numVertices,
                                                   uint32_t startIndex, uint32_t primitiveCount) {
    log_.Add("DrawIndexedPrimitive(" +
             Join({U(type), std::to_string(baseVertex), U(minIndex), U(numVertices), U(startIndex),
                   U(primitiveCount)}) +
             ")");
    return Check("DrawIndexedPrimitive");
}

// ---- Effects
// --------------------------------------------------------------------------------------

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

// ---- Scopes
// ---------------------------------------------------------------------------------------

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
