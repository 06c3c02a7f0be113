// Test doubles of the graphics device and of effects that record every call as one readable line,
// in one shared log, so tests can compare whole call sequences:
//   "SetRenderState(CULLMODE, NONE)", "SetRenderTarget(0, surf2)",
//   "Effect[pig].SetMatrix(matWorld)", "DrawIndexedPrimitive(TRIANGLELIST, 0, 0, 4, 0, 2)"
//   (Direct3D's value names, without their prefixes).
// Objects are named by kind and creation number (tex1, surf2, vb1, ib1, decl1; the device's own
// targets are backbuffer and autodepth; a null pointer is "null"). Objects are reference counted
// like the real ones; an object whose count reaches 0 stays readable (Alive() false) until the
// device is destroyed, and every Release of a dead object is counted as a fault.
//
// Any call that can fail can be made to fail: FailOn("CreateTexture", result) fails the next such
// call, FailOn("CreateTexture", result, 2) the third one from now.
//
// Use: RecordingDevice device; ScopedDevice use(&device);  (sets g_device for the scope)
//      BoxRecorder boxes;  (records message boxes instead of showing them)
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/fx/fx.h"
#include "platform/gfx/gfx.h"
#include "support/device_value_names.h"

namespace vmtest {

class RecordingDevice;

// Shared by all fakes of one device.
struct CallLog {
    std::vector<std::string> lines;
    void Add(std::string line) { lines.push_back(std::move(line)); }
    void Clear() { lines.clear(); }
};

// Name, reference count and fault counting of every fake object; the device owns them through this.
class FakeObjectBase {
  public:
    FakeObjectBase(std::string label, int* faults) : label_(std::move(label)), faults_(faults) {}
    virtual ~FakeObjectBase() = default;
    uint32_t Refs() const { return refs_; }
    bool Alive() const { return refs_ > 0; }
    const std::string& Label() const { return label_; }

  protected:
    uint32_t refs_ = 1;
    uint32_t Drop() {
        if (refs_ == 0) {
            ++*faults_;
            return 0;
        }
        return --refs_;
    }

  private:
    std::string label_;
    int* faults_;
};

// A fake of one graphics interface: reference counted like the real objects.
template <class Interface>
class FakeObject : public Interface, public FakeObjectBase {
  public:
    using FakeObjectBase::FakeObjectBase;
    uint32_t AddRef() override { return ++refs_; }
    uint32_t Release() override { return Drop(); }
};

class FakeSurface : public FakeObject<gfx::Surface> {
  public:
    FakeSurface(std::string label, int* faults, gfx::SurfaceDesc description)
        : FakeObject(std::move(label), faults), desc(description) {}
    gfx::HRESULT GetDesc(gfx::SurfaceDesc* out) override {
        *out = desc;
        return gfx::D3D_OK;
    }
    gfx::SurfaceDesc desc;
};

class FakeTexture : public FakeObject<gfx::Texture> {
  public:
    FakeTexture(std::string label, int* faults, RecordingDevice* owner,
                gfx::SurfaceDesc description)
        : FakeObject(std::move(label), faults), desc(description), device(owner) {}
    gfx::HRESULT GetLevelDesc(uint32_t level, gfx::SurfaceDesc* out) override;
    gfx::HRESULT GetSurfaceLevel(uint32_t level, gfx::Surface** surface) override;
    gfx::SurfaceDesc desc;
    std::string sourceFile;         // CreateTextureFromFile only
    FakeSurface* level0 = nullptr;  // made on first GetSurfaceLevel
    RecordingDevice* device;
};

// Vertex and index buffers: their bytes behind Lock; every Lock and Unlock is logged.
template <class Interface>
class FakeBuffer : public FakeObject<Interface> {
  public:
    FakeBuffer(std::string label, int* faults, CallLog* calls, uint32_t length)
        : FakeObject<Interface>(std::move(label), faults), bytes(length), log(calls) {}
    gfx::HRESULT Lock(uint32_t offset, uint32_t size, void** data, uint32_t flags) override {
        log->Add(this->Label() + ".Lock(" + std::to_string(offset) + ", " + std::to_string(size) +
                 ", " + LockFlagsName(flags) + ")");
        if (offset > bytes.size()) return gfx::D3DERR_INVALIDCALL;
        *data = bytes.data() + offset;
        return gfx::D3D_OK;
    }
    gfx::HRESULT Unlock() override {
        log->Add(this->Label() + ".Unlock()");
        return gfx::D3D_OK;
    }
    std::vector<uint8_t> bytes;
    CallLog* log;
};

using FakeVertexBuffer = FakeBuffer<gfx::VertexBuffer>;

class FakeIndexBuffer : public FakeBuffer<gfx::IndexBuffer> {
  public:
    using FakeBuffer::FakeBuffer;
    // The stored indices as 16-bit values.
    std::vector<uint16_t> Indices() const;
};

class FakeVertexDeclaration : public FakeObject<gfx::VertexDeclaration> {
  public:
    FakeVertexDeclaration(std::string label, int* faults, std::vector<gfx::VertexElement> list)
        : FakeObject(std::move(label), faults), elements(std::move(list)) {}
    gfx::HRESULT GetDeclaration(gfx::VertexElement* out, uint32_t* count) override;
    std::vector<gfx::VertexElement> elements;  // end marker included
};

class RecordingDevice : public gfx::Device {
  public:
    // The device starts with a back buffer and an automatic depth surface of this size as render
    // target 0 and depth surface (the device holds one reference on each current surface).
    explicit RecordingDevice(uint32_t width = 1280, uint32_t height = 720);
    ~RecordingDevice() override;
    RecordingDevice(const RecordingDevice&) = delete;
    RecordingDevice& operator=(const RecordingDevice&) = delete;

    uint32_t AddRef() override { return ++refs_; }
    uint32_t Release() override { return refs_ > 0 ? --refs_ : 0; }

    gfx::HRESULT CreateTexture(uint32_t width, uint32_t height, uint32_t levels,
                               gfx::D3DUSAGE usage, gfx::D3DFORMAT format, gfx::D3DPOOL pool,
                               gfx::Texture** texture) override;
    gfx::HRESULT CreateRenderTarget(uint32_t width, uint32_t height, gfx::D3DFORMAT format,
                                    uint32_t multiSample, uint32_t quality, int32_t lockable,
                                    gfx::Surface** surface) override;
    gfx::HRESULT CreateDepthStencilSurface(uint32_t width, uint32_t height, gfx::D3DFORMAT format,
                                           uint32_t multiSample, uint32_t quality, int32_t discard,
                                           gfx::Surface** surface) override;
    gfx::HRESULT CreateVertexBuffer(uint32_t length, gfx::D3DUSAGE usage, uint32_t fvf,
                                    gfx::D3DPOOL pool, gfx::VertexBuffer** buffer) override;
    gfx::HRESULT CreateIndexBuffer(uint32_t length, gfx::D3DUSAGE usage, gfx::D3DFORMAT format,
                                   gfx::D3DPOOL pool, gfx::IndexBuffer** buffer) override;
    gfx::HRESULT CreateVertexDeclaration(const gfx::VertexElement* elements,
                                         gfx::VertexDeclaration** declaration) override;
    gfx::HRESULT CreateTextureFromFile(const char* path, gfx::Texture** texture) override;
    // The demo makes no cube or volume textures: recorded, and refused.
    gfx::HRESULT CreateCubeTexture(uint32_t edge, uint32_t, gfx::D3DUSAGE, gfx::D3DFORMAT,
                                   gfx::D3DPOOL, gfx::CubeTexture**) override {
        Record("CreateCubeTexture", std::to_string(edge));
        return gfx::D3DERR_NOTAVAILABLE;
    }
    gfx::HRESULT CreateVolumeTexture(uint32_t width, uint32_t, uint32_t, uint32_t, gfx::D3DUSAGE,
                                     gfx::D3DFORMAT, gfx::D3DPOOL, gfx::VolumeTexture**) override {
        Record("CreateVolumeTexture", std::to_string(width));
        return gfx::D3DERR_NOTAVAILABLE;
    }
    gfx::HRESULT GetRenderTarget(uint32_t index, gfx::Surface** surface) override;
    gfx::HRESULT SetRenderTarget(uint32_t index, gfx::Surface* surface) override;
    gfx::HRESULT GetDepthStencilSurface(gfx::Surface** surface) override;
    gfx::HRESULT SetDepthStencilSurface(gfx::Surface* surface) override;
    gfx::HRESULT StretchRect(gfx::Surface* source, const gfx::Rect* sourceRect, gfx::Surface* dest,
                             const gfx::Rect* destRect, gfx::D3DTEXTUREFILTERTYPE filter) override;
    gfx::HRESULT BeginScene() override;
    gfx::HRESULT EndScene() override;
    gfx::HRESULT Clear(uint32_t count, const gfx::Rect* rects, uint32_t flags, uint32_t color,
                       float z, uint32_t stencil) override;
    gfx::HRESULT Present(const gfx::Rect* sourceRect, const gfx::Rect* destRect, ui::Window* window,
                         const void* dirtyRegion) override;
    gfx::HRESULT SetRenderState(gfx::D3DRENDERSTATETYPE state, uint32_t value) override;
    gfx::HRESULT GetRenderState(gfx::D3DRENDERSTATETYPE state, uint32_t* value) override;
    gfx::HRESULT SetTransform(gfx::D3DTRANSFORMSTATETYPE state, const float*) override {
        return Record("SetTransform", std::to_string(state));
    }
    gfx::HRESULT GetTransform(gfx::D3DTRANSFORMSTATETYPE, float*) override {
        return gfx::D3DERR_INVALIDCALL;
    }
    gfx::HRESULT SetStreamSource(uint32_t stream, gfx::VertexBuffer* buffer, uint32_t offset,
                                 uint32_t stride) override;
    gfx::HRESULT SetVertexDeclaration(gfx::VertexDeclaration* declaration) override;
    gfx::HRESULT SetIndices(gfx::IndexBuffer* buffer) override;
    gfx::HRESULT DrawIndexedPrimitive(gfx::D3DPRIMITIVETYPE type, int32_t baseVertex,
                                      uint32_t minIndex, uint32_t numVertices, uint32_t startIndex,
                                      uint32_t primitiveCount) override;

    // The next call named call (the method name) fails with result, after skip successful ones.
    void FailOn(const std::string& call, gfx::HRESULT result, int skip = 0);

    // The recorded lines; the effects made by a FakeEffectCompiler over this device log here too.
    CallLog& Log() { return log_; }
    const std::vector<std::string>& Calls() const { return log_.lines; }
    void ClearCalls() { log_.Clear(); }

    // "null", the label of a fake object, or "foreign".
    static std::string Name(const gfx::Unknown* object);

    FakeSurface* BackBuffer() const { return backBuffer_; }
    FakeSurface* AutoDepth() const { return autoDepth_; }
    gfx::Surface* CurrentTarget() const { return target_; }
    gfx::Surface* CurrentDepth() const { return depth_; }
    int SceneDepth() const { return sceneDepth_; }
    // Releases of objects whose count was already 0.
    int Faults() const { return faults_; }
    // Objects still referenced, apart from the device's own back buffer and depth surface.
    std::vector<std::string> LiveObjects() const;
    uint32_t RenderState(gfx::D3DRENDERSTATETYPE state) const;

    // Used by the fakes.
    gfx::HRESULT Check(const char* call);
    FakeSurface* MakeSurface(const char* prefix, const gfx::SurfaceDesc& desc);

  private:
    struct Failure {
        std::string call;
        int skip;
        gfx::HRESULT result;
    };
    template <class T>
    T* Keep(T* object) {
        objects_.emplace_back(object);
        return object;
    }
    // Logs "call(arguments)", then fails where FailOn asked for it.
    gfx::HRESULT Record(const char* call, const std::string& arguments);
    std::string NextLabel(const char* prefix);

    CallLog log_;
    std::vector<Failure> failures_;
    std::vector<std::unique_ptr<FakeObjectBase>> objects_;
    std::map<std::string, int> counters_;
    std::map<gfx::D3DRENDERSTATETYPE, uint32_t> renderStates_;
    FakeSurface* backBuffer_ = nullptr;
    FakeSurface* autoDepth_ = nullptr;
    gfx::Surface* target_ = nullptr;
    gfx::Surface* depth_ = nullptr;
    int sceneDepth_ = 0;
    int faults_ = 0;
    uint32_t refs_ = 1;
};

// An effect that records its calls as "Effect[label]...." lines and keeps its parameter values.
class FakeEffect : public fx::Effect {
  public:
    FakeEffect(std::string label, CallLog* calls, uint32_t passCount, bool hasTechnique);

    uint32_t AddRef() override { return ++refs; }
    uint32_t Release() override;
    gfx::HRESULT SetFloat(const char* name, float value) override;
    gfx::HRESULT SetFloatArray(const char* name, const float* values, uint32_t count) override;
    gfx::HRESULT SetMatrix(const char* name, const float* matrix16) override;
    gfx::HRESULT SetTexture(const char* name, gfx::Texture* texture) override;
    fx::TechniqueHandle GetCurrentTechnique() override;
    gfx::HRESULT Begin(uint32_t* passes, uint32_t flags) override;
    gfx::HRESULT BeginPass(uint32_t pass) override;
    gfx::HRESULT CommitChanges() override;
    gfx::HRESULT EndPass() override;
    gfx::HRESULT End() override;

    std::string label;
    CallLog* log;
    uint32_t passCount;
    bool hasTechnique;
    uint32_t refs = 1;
    int releasedTooOften = 0;
    std::map<std::string, std::vector<float>> values;  // floats, arrays and matrices by name
    std::map<std::string, std::vector<std::vector<float>>> matrixHistory;  // every matrix set
    std::map<std::string, gfx::Texture*> textures;
};

// Stands in for the effect compiler: known paths give FakeEffects, others fail like a missing file.
class FakeEffectCompiler {
  public:
    explicit FakeEffectCompiler(CallLog* calls) : log_(calls) {}
    ~FakeEffectCompiler();

    // path compiles into an effect labelled label with passCount passes.
    void Add(const std::string& path, const std::string& label, uint32_t passCount = 1,
             bool hasTechnique = true, const std::string& warnings = "");
    // path fails with result and these compiler messages.
    void AddFailure(const std::string& path, gfx::HRESULT result, const std::string& messages);

    // The signature of Effect::Compiler.
    gfx::HRESULT Compile(gfx::Device* device, const char* path, uint32_t flags, fx::Effect** effect,
                         std::string* messages);
    std::function<gfx::HRESULT(gfx::Device*, const char*, uint32_t, fx::Effect**, std::string*)>
    AsFunction();

    const std::vector<std::string>& Compiled() const { return compiled_; }  // paths asked for
    const std::vector<uint32_t>& LastFlags() const { return flags_; }
    FakeEffect* Made(const std::string& label) const;

  private:
    struct Entry {
        std::string label;
        uint32_t passCount;
        bool hasTechnique;
        std::string messages;
        gfx::HRESULT result;
    };
    CallLog* log_;
    std::map<std::string, Entry> entries_;
    std::vector<std::string> compiled_;
    std::vector<uint32_t> flags_;
    std::vector<std::unique_ptr<FakeEffect>> made_;
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
