// Test doubles of the graphics device and of effects that record every call as one readable line,
// in one shared log, so tests can compare whole call sequences:
//   "SetRenderState(CULLMODE, NONE)", "SetRenderTarget(0, surf2)", "vb1.Lock(0, 0, DISCARD)",
//   "Effect[pig].SetMatrix(matWorld)", "DrawIndexedPrimitive(TRIANGLELIST, 0, 0, 4, 0, 2)"
// Values of a Direct3D family print as Direct3D's names without the family prefix, other numbers
// as numbers. Objects are named by kind and creation number (tex1, surf2, depth1, level1, vb1, ib1,
// decl1; the device's own targets are backbuffer and autodepth; a null pointer is "null"); a
// declaration is logged as its elements, "offset TYPE USAGE" each. Objects are reference counted
// like the real ones; one whose count reaches 0 stays readable until the device is destroyed, and
// every Release of a dead object counts as a fault.
//
// Any call that can fail can be made to fail: FailOn("CreateTexture", result) fails the next such
// call, FailOn("CreateTexture", result, 2) the third one from now.
//
// Use: RecordingDevice device; ScopedDevice use(&device);  (sets g_device for the scope)
//      BoxRecorder boxes;  (records message boxes instead of showing them)
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/fx/fx.h"
#include "platform/gfx/gfx.h"

namespace vmtest {

// One argument of a logged call as text.
std::string Text(uint32_t value);
std::string Text(int32_t value);
std::string Text(float value);
inline std::string Text(const std::string& text) {
    return text;
}
std::string Text(const gfx::Unknown* object);  // its label
std::string Text(const gfx::Rect* rect);       // "rect" or "null"
std::string Text(gfx::D3DFORMAT format);
std::string Text(gfx::D3DUSAGE usage);
std::string Text(gfx::D3DPOOL pool);
std::string Text(gfx::D3DPRIMITIVETYPE type);
std::string Text(gfx::D3DTEXTUREFILTERTYPE filter);
std::string Text(gfx::D3DRENDERSTATETYPE state);
std::string LockFlags(uint32_t flags);  // "DISCARD", "0" for none

// "name(a, b, c)".
template <class... Args>
std::string Call(const std::string& name, const Args&... args) {
    std::string text;
    ((text += (text.empty() ? "" : ", ") + Text(args)), ...);
    return name + "(" + text + ")";
}

class RecordingDevice;

// The label and reference count of every fake object; the device owns them through this.
struct FakeBase {
    virtual ~FakeBase() = default;
    std::string label;
    uint32_t refs = 1;
    RecordingDevice* device = nullptr;
};

template <class... Interfaces>
class Fake : public Interfaces..., public FakeBase {
  public:
    uint32_t AddRef() override { return ++refs; }
    uint32_t Release() override;
};

// Any resource: a surface, a texture (with its one level surface, "levelN", made on the first
// GetSurfaceLevel), a vertex or index buffer (its bytes behind Lock) or a declaration.
class FakeObject : public Fake<gfx::Surface, gfx::Texture, gfx::VertexBuffer, gfx::IndexBuffer,
                               gfx::VertexDeclaration> {
  public:
    gfx::HRESULT GetDesc(gfx::SurfaceDesc*) override { return gfx::D3DERR_INVALIDCALL; }
    gfx::HRESULT GetLevelDesc(uint32_t, gfx::SurfaceDesc*) override {
        return gfx::D3DERR_INVALIDCALL;
    }
    gfx::HRESULT GetSurfaceLevel(uint32_t level, gfx::Surface** surface) override;
    gfx::HRESULT Lock(uint32_t offset, uint32_t size, void** data, uint32_t flags) override;
    gfx::HRESULT Unlock() override;
    gfx::HRESULT GetDeclaration(gfx::VertexElement*, uint32_t*) override {
        return gfx::D3DERR_INVALIDCALL;
    }
    FakeObject* level = nullptr;
    std::vector<uint8_t> bytes;
};

class RecordingDevice : public gfx::Device {
  public:
    // Starts with its back buffer and automatic depth surface current (holding one reference on
    // each current surface).
    RecordingDevice();
    RecordingDevice(const RecordingDevice&) = delete;
    RecordingDevice& operator=(const RecordingDevice&) = delete;

    uint32_t AddRef() override { return ++refs; }
    uint32_t Release() override { return refs > 0 ? --refs : 0; }
    gfx::HRESULT CreateTexture(uint32_t width, uint32_t height, uint32_t levels,
                               gfx::D3DUSAGE usage, gfx::D3DFORMAT format, gfx::D3DPOOL pool,
                               gfx::Texture** texture) override {
        return Create(Call("CreateTexture", width, height, levels, usage, format, pool), "tex",
                      texture);
    }
    gfx::HRESULT CreateRenderTarget(uint32_t width, uint32_t height, gfx::D3DFORMAT format,
                                    uint32_t samples, uint32_t quality, int32_t lockable,
                                    gfx::Surface** surface) override {
        return Create(Call("CreateRenderTarget", width, height, format, samples, quality, lockable),
                      "surf", surface);
    }
    gfx::HRESULT CreateDepthStencilSurface(uint32_t width, uint32_t height, gfx::D3DFORMAT format,
                                           uint32_t samples, uint32_t quality, int32_t discard,
                                           gfx::Surface** surface) override {
        return Create(
            Call("CreateDepthStencilSurface", width, height, format, samples, quality, discard),
            "depth", surface);
    }
    gfx::HRESULT CreateVertexBuffer(uint32_t length, gfx::D3DUSAGE usage, uint32_t fvf,
                                    gfx::D3DPOOL pool, gfx::VertexBuffer** buffer) override {
        return Create(Call("CreateVertexBuffer", length, usage, fvf, pool), "vb", buffer, length);
    }
    gfx::HRESULT CreateIndexBuffer(uint32_t length, gfx::D3DUSAGE usage, gfx::D3DFORMAT format,
                                   gfx::D3DPOOL pool, gfx::IndexBuffer** buffer) override {
        return Create(Call("CreateIndexBuffer", length, usage, format, pool), "ib", buffer, length);
    }
    gfx::HRESULT CreateVertexDeclaration(const gfx::VertexElement* elements,
                                         gfx::VertexDeclaration** declaration) override;
    gfx::HRESULT CreateTextureFromFile(const char* path, gfx::Texture** texture) override {
        return Create(Call("CreateTextureFromFile", std::string(path)), "tex", texture);
    }
    // The demo makes no cube or volume textures: recorded, and refused.
    gfx::HRESULT CreateCubeTexture(uint32_t edge, uint32_t, gfx::D3DUSAGE, gfx::D3DFORMAT,
                                   gfx::D3DPOOL, gfx::CubeTexture**) override {
        Record(Call("CreateCubeTexture", edge));
        return gfx::D3DERR_NOTAVAILABLE;
    }
    gfx::HRESULT CreateVolumeTexture(uint32_t width, uint32_t, uint32_t, uint32_t, gfx::D3DUSAGE,
                                     gfx::D3DFORMAT, gfx::D3DPOOL, gfx::VolumeTexture**) override {
        Record(Call("CreateVolumeTexture", width));
        return gfx::D3DERR_NOTAVAILABLE;
    }
    gfx::HRESULT GetRenderTarget(uint32_t index, gfx::Surface** surface) override {
        return Get(Call("GetRenderTarget", index), index == 0 ? target : nullptr, surface);
    }
    gfx::HRESULT SetRenderTarget(uint32_t index, gfx::Surface* surface) override {
        if (surface == nullptr || index != 0) {
            Record(Call("SetRenderTarget", index, surface));
            return gfx::D3DERR_INVALIDCALL;
        }
        return Set(Call("SetRenderTarget", index, surface), surface, &target);
    }
    gfx::HRESULT GetDepthStencilSurface(gfx::Surface** surface) override {
        return Get(Call("GetDepthStencilSurface"), depth, surface);
    }
    gfx::HRESULT SetDepthStencilSurface(gfx::Surface* surface) override {
        return Set(Call("SetDepthStencilSurface", surface), surface, &depth);
    }
    gfx::HRESULT StretchRect(gfx::Surface* source, const gfx::Rect* sourceRect, gfx::Surface* dest,
                             const gfx::Rect* destRect, gfx::D3DTEXTUREFILTERTYPE filter) override {
        return Record(Call("StretchRect", source, sourceRect, dest, destRect, filter));
    }
    gfx::HRESULT BeginScene() override {
        const gfx::HRESULT result = Record(Call("BeginScene"));
        sceneDepth += gfx::Failed(result) ? 0 : 1;
        return result;
    }
    gfx::HRESULT EndScene() override {
        const gfx::HRESULT result = Record(Call("EndScene"));
        if (gfx::Failed(result) || sceneDepth == 0) return gfx::D3DERR_INVALIDCALL;
        --sceneDepth;
        return result;
    }
    gfx::HRESULT Clear(uint32_t count, const gfx::Rect* rects, uint32_t flags, uint32_t color,
                       float z, uint32_t stencil) override;
    gfx::HRESULT Present(const gfx::Rect*, const gfx::Rect*, ui::Window*, const void*) override {
        return Record(Call("Present"));
    }
    gfx::HRESULT SetRenderState(gfx::D3DRENDERSTATETYPE state, uint32_t value) override;
    gfx::HRESULT GetRenderState(gfx::D3DRENDERSTATETYPE, uint32_t* value) override {
        *value = 0;
        return gfx::D3DERR_INVALIDCALL;
    }
    gfx::HRESULT SetTransform(gfx::D3DTRANSFORMSTATETYPE state, const float*) override {
        return Record(Call("SetTransform", state));
    }
    gfx::HRESULT GetTransform(gfx::D3DTRANSFORMSTATETYPE, float*) override {
        return gfx::D3DERR_INVALIDCALL;
    }
    gfx::HRESULT SetTexture(uint32_t stage, gfx::Texture* texture) override {
        return Record(Call("SetTexture", stage, texture));
    }
    gfx::HRESULT GetTexture(uint32_t, gfx::Texture**) override { return gfx::D3DERR_INVALIDCALL; }
    gfx::HRESULT SetStreamSource(uint32_t stream, gfx::VertexBuffer* buffer, uint32_t offset,
                                 uint32_t stride) override {
        return Record(Call("SetStreamSource", stream, buffer, offset, stride));
    }
    gfx::HRESULT SetVertexDeclaration(gfx::VertexDeclaration* declaration) override {
        return Record(Call("SetVertexDeclaration", declaration));
    }
    gfx::HRESULT SetIndices(gfx::IndexBuffer* buffer) override {
        return Record(Call("SetIndices", buffer));
    }
    gfx::HRESULT DrawIndexedPrimitive(gfx::D3DPRIMITIVETYPE type, int32_t baseVertex,
                                      uint32_t minIndex, uint32_t numVertices, uint32_t startIndex,
                                      uint32_t primitiveCount) override {
        return Record(Call("DrawIndexedPrimitive", type, baseVertex, minIndex, numVertices,
                           startIndex, primitiveCount));
    }

    // The next call named call (the method name) fails with result, after skip successful ones.
    void FailOn(const std::string& call, gfx::HRESULT result, int skip = 0) {
        failures_.push_back({call, skip, result});
    }
    // The failure FailOn asked for on this call, or D3D_OK.
    gfx::HRESULT Check(const std::string& call);
    // Logs the line, then Check (the call's name starts the line).
    gfx::HRESULT Record(const std::string& line) {
        calls.push_back(line);
        return Check(line.substr(0, line.find('(')));
    }
    // A new fake object named prefix and its creation number.
    template <class T>
    T* Make(const std::string& prefix) {
        auto* made = new T;
        objects_.emplace_back(made);
        made->label = prefix + std::to_string(++counters_[prefix]);
        made->device = this;
        return made;
    }
    const std::vector<std::string>& Calls() const { return calls; }
    void ClearCalls() { calls.clear(); }
    // Objects still referenced, apart from the device's own back buffer and depth surface.
    std::vector<std::string> LiveObjects() const;

    std::vector<std::string> calls;  // the effects of a FakeEffectCompiler on this device log here
    FakeObject* backBuffer = nullptr;
    FakeObject* autoDepth = nullptr;
    gfx::Surface* target = nullptr;  // current render target 0 and depth surface
    gfx::Surface* depth = nullptr;
    int sceneDepth = 0;
    int faults = 0;  // Releases of objects whose count was already 0
    uint32_t refs = 1;

  private:
    struct Failure {
        std::string call;
        int skip;
        gfx::HRESULT result;
    };
    // Records line; unless it fails, *out is a new object (with bytes bytes).
    template <class Out>
    gfx::HRESULT Create(const std::string& line, const char* prefix, Out** out,
                        uint32_t bytes = 0) {
        *out = nullptr;
        const gfx::HRESULT result = Record(line);
        if (gfx::Failed(result)) return result;
        FakeObject* made = Make<FakeObject>(prefix);
        made->bytes.resize(bytes);
        *out = made;
        return result;
    }
    // Records line; unless it fails, a new reference to current in *out.
    gfx::HRESULT Get(const std::string& line, gfx::Surface* current, gfx::Surface** out) {
        *out = nullptr;
        const gfx::HRESULT result = Record(line);
        if (gfx::Failed(result)) return result;
        if (current == nullptr) return gfx::D3DERR_NOTAVAILABLE;
        current->AddRef();
        *out = current;
        return result;
    }
    // Records line; unless it fails, surface replaces *current, holding a reference.
    gfx::HRESULT Set(const std::string& line, gfx::Surface* surface, gfx::Surface** current) {
        const gfx::HRESULT result = Record(line);
        if (gfx::Failed(result)) return result;
        if (surface != nullptr) surface->AddRef();
        if (*current != nullptr) (*current)->Release();
        *current = surface;
        return result;
    }

    std::vector<Failure> failures_;
    std::vector<std::unique_ptr<FakeBase>> objects_;
    std::map<std::string, int> counters_;
};

template <class... Interfaces>
uint32_t Fake<Interfaces...>::Release() {
    if (refs > 0) return --refs;
    ++device->faults;
    return 0;
}

// An effect that records its calls as "Effect[label]...." lines and keeps every value set.
class FakeEffect : public Fake<fx::Effect> {
  public:
    gfx::HRESULT SetFloat(const char* name, float value) override {
        values[name].push_back({value});
        return Log(Call(label + ".SetFloat", std::string(name), value));
    }
    gfx::HRESULT SetFloatArray(const char* name, const float* array, uint32_t count) override;
    gfx::HRESULT SetMatrix(const char* name, const float* matrix16) override {
        values[name].emplace_back(matrix16, matrix16 + 16);
        return Log(Call(label + ".SetMatrix", std::string(name)));
    }
    gfx::HRESULT SetTexture(const char* name, gfx::Texture* texture) override {
        return Log(Call(label + ".SetTexture", std::string(name), texture));
    }
    fx::TechniqueHandle GetCurrentTechnique() override { return technique ? this : nullptr; }
    gfx::HRESULT Begin(uint32_t* passes, uint32_t flags) override {
        if (passes != nullptr) *passes = passCount;
        return Log(Call(label + ".Begin", flags));
    }
    gfx::HRESULT BeginPass(uint32_t pass) override {
        Log(Call(label + ".BeginPass", pass));
        return pass < passCount ? gfx::D3D_OK : gfx::D3DERR_INVALIDCALL;
    }
    gfx::HRESULT CommitChanges() override { return Log(Call(label + ".CommitChanges")); }
    gfx::HRESULT EndPass() override { return Log(Call(label + ".EndPass")); }
    gfx::HRESULT End() override { return Log(Call(label + ".End")); }

    uint32_t passCount = 1;
    bool technique = true;
    std::map<std::string, std::vector<std::vector<float>>> values;  // by parameter, in order

  private:
    gfx::HRESULT Log(const std::string& line) {
        device->calls.push_back(line);
        return gfx::D3D_OK;
    }
};

// Stands in for the effect compiler: known paths give FakeEffects, others fail like a missing file.
// Each compilation logs "Compile(path, flags)" on the device.
class FakeEffectCompiler {
  public:
    explicit FakeEffectCompiler(RecordingDevice* device) : device_(device) {}
    // path compiles into an effect "Effect[label]", or fails with result and these messages.
    void Add(const std::string& path, const std::string& label, uint32_t passCount = 1,
             bool technique = true, const std::string& messages = "",
             gfx::HRESULT result = gfx::D3D_OK) {
        entries_[path] = {label, passCount, technique, messages, result};
    }
    gfx::HRESULT Compile(gfx::Device* device, const char* path, uint32_t flags, fx::Effect** effect,
                         std::string* messages);
    // Compile as Effect::Compiler.
    std::function<gfx::HRESULT(gfx::Device*, const char*, uint32_t, fx::Effect**, std::string*)>
    AsFunction() {
        return [this](auto... arguments) { return Compile(arguments...); };
    }
    FakeEffect* Made(const std::string& label) const {
        for (FakeEffect* effect : made_)
            if (effect->label == "Effect[" + label + "]") return effect;
        return nullptr;
    }

  private:
    struct Entry {
        std::string label;
        uint32_t passCount;
        bool technique;
        std::string messages;
        gfx::HRESULT result;
    };
    RecordingDevice* device_;
    std::map<std::string, Entry> entries_;
    std::vector<FakeEffect*> made_;
};

// Sets g_device for its scope.
class ScopedDevice {
  public:
    explicit ScopedDevice(gfx::Device* device);
    ~ScopedDevice();

  private:
    gfx::Device* previous_;
};

// Records message boxes (text, caption) instead of showing them, for its scope.
class BoxRecorder {
  public:
    struct Box {
        std::string text;
        std::string caption;
        bool operator==(const Box&) const = default;
    };
    BoxRecorder();
    ~BoxRecorder();
    std::vector<Box> boxes;
};

}  // namespace vmtest
