// gfx: a small Direct3D 9 style graphics device on OpenGL 3.3 core or OpenGL ES 3.0 (WebGL2).
//
// WHAT IT DOES
//   Offers the adapter object, the device and the resources (textures, surfaces, buffers, vertex
//   declarations) with Direct3D 9's names for operations, Direct3D's constant values, HRESULT-style
//   results (negative = failure) and reference counting (AddRef/Release; getting a surface adds a
//   reference; an object dies with its last reference). Surfaces keep Direct3D's orientation (row 0
//   is the top of the picture) and depth range (0..1).
//
// WHAT IT DOES NOT DO
//   No fixed-function pipeline, no lost devices, no mipmaps, no multiple streams. Shaders, samplers
//   and shader constants belong to the effect layer (platform/fx), which draws through this device.
//
// STEP BY STEP
//   1. gfx::Configure(config)            choose the context provider (window or headless) and frame
//   sink
//   2. gfx::Direct3DCreate9(32)          the adapter object: modes, multisample checks, caps
//   3. adapter->CreateDevice(...)        a device on a window (ui::CreateWindowEx) or headless
//   4. device->Create*(...)              resources
//   5. per frame: SetRenderTarget/Clear/BeginScene/draws/EndScene/Present
//   6. Release everything; the device goes with its last reference.
//
// Tests replace the device by implementing these interfaces (a recording device).
//
// Index of this file:
//  [SECTION] Results
//  [SECTION] Value families (Direct3D 9 numbers)
//  [SECTION] Plain records
//  [SECTION] Interfaces
//  [SECTION] Configuration (before Direct3DCreate9)
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace ui {
struct Window;
}

namespace gfx {

// [SECTION] Results
// Negative = failure, as Direct3D's HRESULT.
enum HRESULT : int32_t {
    D3D_OK = 0,
    D3DERR_INVALIDCALL = static_cast<int32_t>(0x8876086Cu),
    D3DERR_OUTOFVIDEOMEMORY = static_cast<int32_t>(0x8876017Cu),
    D3DERR_NOTAVAILABLE = static_cast<int32_t>(0x8876086Au),
    D3DXERR_INVALIDDATA = static_cast<int32_t>(0x88760B59u),
    E_OUTOFMEMORY = static_cast<int32_t>(0x8007000Eu),
    E_FAIL = static_cast<int32_t>(0x80004005u),
};
inline bool Failed(HRESULT hr) {
    return hr < 0;
}

// [SECTION] Value families (Direct3D 9 numbers)
// One enum type per family, so that an argument of the wrong family does not compile. Plain enums:
// the values keep Direct3D's names and still read as numbers where a number is wanted (a render
// state's value, a table index).
constexpr uint32_t D3D_SDK_VERSION = 32;
constexpr uint32_t D3DADAPTER_DEFAULT = 0;

enum D3DDEVTYPE : uint32_t { D3DDEVTYPE_HAL = 1 };

enum D3DFORMAT : uint32_t {
    D3DFMT_UNKNOWN = 0,
    D3DFMT_A8R8G8B8 = 21,
    D3DFMT_X8R8G8B8 = 22,
    D3DFMT_D24S8 = 75,
    D3DFMT_D24X8 = 77,
    D3DFMT_INDEX16 = 101,
};

// Usage bits; combine with |.
enum D3DUSAGE : uint32_t {
    D3DUSAGE_NONE = 0,
    D3DUSAGE_RENDERTARGET = 0x1,
    D3DUSAGE_DEPTHSTENCIL = 0x2,
    D3DUSAGE_WRITEONLY = 0x8,
    D3DUSAGE_DYNAMIC = 0x200,
};
constexpr D3DUSAGE operator|(D3DUSAGE a, D3DUSAGE b) {
    return static_cast<D3DUSAGE>(static_cast<uint32_t>(a) | static_cast<uint32_t>(b));
}

enum D3DPOOL : uint32_t { D3DPOOL_DEFAULT = 0, D3DPOOL_MANAGED = 1 };

// Multisample types: 0 (none) or the sample count 2..16
constexpr uint32_t D3DMULTISAMPLE_NONE = 0;

enum D3DRENDERSTATETYPE : uint32_t {
    D3DRS_ZENABLE = 7,
    D3DRS_FILLMODE = 8,
    D3DRS_ZWRITEENABLE = 14,
    D3DRS_ALPHATESTENABLE = 15,
    D3DRS_SRCBLEND = 19,
    D3DRS_DESTBLEND = 20,
    D3DRS_CULLMODE = 22,
    D3DRS_ZFUNC = 23,
    D3DRS_ALPHAREF = 24,
    D3DRS_ALPHAFUNC = 25,
    D3DRS_ALPHABLENDENABLE = 27,
    D3DRS_STENCILENABLE = 52,
    D3DRS_STENCILFAIL = 53,
    D3DRS_STENCILZFAIL = 54,
    D3DRS_STENCILPASS = 55,
    D3DRS_STENCILFUNC = 56,
    D3DRS_STENCILREF = 57,
    D3DRS_STENCILMASK = 58,
    D3DRS_STENCILWRITEMASK = 59,
    D3DRS_COLORWRITEENABLE = 168,
    D3DRS_BLENDOP = 171,
    D3DRS_TWOSIDEDSTENCILMODE = 185,
    D3DRS_CCW_STENCILFAIL = 186,
    D3DRS_CCW_STENCILZFAIL = 187,
    D3DRS_CCW_STENCILPASS = 188,
    D3DRS_CCW_STENCILFUNC = 189,
};

// Values of D3DRS_FILLMODE, of the stencil operations, and the bits of D3DRS_COLORWRITEENABLE.
// The device applies every state above except the alpha test (OpenGL 3.3 core has none: the effect
// layer applies it in its pixel shaders).
enum D3DFILLMODE : uint32_t { D3DFILL_POINT = 1, D3DFILL_WIREFRAME = 2, D3DFILL_SOLID = 3 };
enum D3DSTENCILOP : uint32_t {
    D3DSTENCILOP_KEEP = 1,
    D3DSTENCILOP_ZERO = 2,
    D3DSTENCILOP_REPLACE = 3,
    D3DSTENCILOP_INCRSAT = 4,
    D3DSTENCILOP_DECRSAT = 5,
    D3DSTENCILOP_INVERT = 6,
    D3DSTENCILOP_INCR = 7,
    D3DSTENCILOP_DECR = 8,
};
constexpr uint32_t D3DCOLORWRITEENABLE_RED = 1, D3DCOLORWRITEENABLE_GREEN = 2,
                   D3DCOLORWRITEENABLE_BLUE = 4, D3DCOLORWRITEENABLE_ALPHA = 8;

// Transforms the fixed-function vertex stage applies (SetTransform): v * world * view * projection.
enum D3DTRANSFORMSTATETYPE : uint32_t {
    D3DTS_VIEW = 2,
    D3DTS_PROJECTION = 3,
    D3DTS_WORLD = 256,
};

// Values of D3DRS_CULLMODE, D3DRS_ZFUNC, D3DRS_SRCBLEND/DESTBLEND and D3DRS_BLENDOP; the enable
// states take 0 or 1.
enum D3DCULL : uint32_t { D3DCULL_NONE = 1, D3DCULL_CW = 2, D3DCULL_CCW = 3 };

enum D3DCMPFUNC : uint32_t {
    D3DCMP_NEVER = 1,
    D3DCMP_LESS = 2,
    D3DCMP_EQUAL = 3,
    D3DCMP_LESSEQUAL = 4,
    D3DCMP_GREATER = 5,
    D3DCMP_NOTEQUAL = 6,
    D3DCMP_GREATEREQUAL = 7,
    D3DCMP_ALWAYS = 8,
};

enum D3DBLEND : uint32_t {
    D3DBLEND_ZERO = 1,
    D3DBLEND_ONE = 2,
    D3DBLEND_SRCCOLOR = 3,
    D3DBLEND_INVSRCCOLOR = 4,
    D3DBLEND_SRCALPHA = 5,
    D3DBLEND_INVSRCALPHA = 6,
    D3DBLEND_DESTALPHA = 7,
    D3DBLEND_INVDESTALPHA = 8,
    D3DBLEND_DESTCOLOR = 9,
    D3DBLEND_INVDESTCOLOR = 10,
};

enum D3DBLENDOP : uint32_t {
    D3DBLENDOP_ADD = 1,
    D3DBLENDOP_SUBTRACT = 2,
    D3DBLENDOP_REVSUBTRACT = 3,
    D3DBLENDOP_MIN = 4,
    D3DBLENDOP_MAX = 5,
};

enum D3DPRIMITIVETYPE : uint32_t { D3DPT_TRIANGLELIST = 4 };

enum D3DTEXTUREFILTERTYPE : uint32_t { D3DTEXF_NONE = 0, D3DTEXF_POINT = 1, D3DTEXF_LINEAR = 2 };

enum D3DSWAPEFFECT : uint32_t { D3DSWAPEFFECT_DISCARD = 1 };

// Bit sets passed as plain numbers, as Direct3D does.
// Lock flags
constexpr uint32_t D3DLOCK_DISCARD = 0x2000;

// Flexible vertex format bits (only recorded)
constexpr uint32_t D3DFVF_XYZ = 0x002;
constexpr uint32_t D3DFVF_NORMAL = 0x010;
constexpr uint32_t D3DFVF_TEX1 = 0x100;

// Clear flags
constexpr uint32_t D3DCLEAR_TARGET = 1;
constexpr uint32_t D3DCLEAR_ZBUFFER = 2;
constexpr uint32_t D3DCLEAR_STENCIL = 4;

// Device caps, creation flags, presentation intervals
constexpr uint32_t D3DDEVCAPS_HWTRANSFORMANDLIGHT = 0x10000;
constexpr uint32_t D3DCREATE_SOFTWARE_VERTEXPROCESSING = 0x20;
constexpr uint32_t D3DCREATE_HARDWARE_VERTEXPROCESSING = 0x40;
constexpr uint32_t D3DPRESENT_INTERVAL_DEFAULT = 0;
constexpr uint32_t D3DPRESENT_INTERVAL_ONE = 1;
constexpr uint32_t D3DPRESENT_INTERVAL_IMMEDIATE = 0x80000000u;

// Vertex declarations
enum D3DDECLTYPE : uint8_t {
    D3DDECLTYPE_FLOAT1 = 0,
    D3DDECLTYPE_FLOAT2 = 1,
    D3DDECLTYPE_FLOAT3 = 2,
    D3DDECLTYPE_FLOAT4 = 3,
    D3DDECLTYPE_UNUSED = 17,
};
constexpr uint8_t D3DDECLMETHOD_DEFAULT = 0;
enum D3DDECLUSAGE : uint8_t {
    D3DDECLUSAGE_POSITION = 0,
    D3DDECLUSAGE_BLENDWEIGHT = 1,
    D3DDECLUSAGE_NORMAL = 3,
    D3DDECLUSAGE_TEXCOORD = 5,
    D3DDECLUSAGE_TANGENT = 6,
    D3DDECLUSAGE_BINORMAL = 7,
    D3DDECLUSAGE_COLOR = 10,
};

// [SECTION] Plain records
struct DisplayMode {
    uint32_t Width = 0;
    uint32_t Height = 0;
    uint32_t RefreshRate = 0;
    D3DFORMAT Format = D3DFMT_UNKNOWN;
};

struct Caps {
    uint32_t DevCaps = 0;
    uint32_t MaxStreamStride = 0;  // bytes per vertex a stream can take
};

struct PresentParameters {
    uint32_t BackBufferWidth = 0;
    uint32_t BackBufferHeight = 0;
    D3DFORMAT BackBufferFormat = D3DFMT_UNKNOWN;
    uint32_t BackBufferCount = 0;
    uint32_t MultiSampleType = D3DMULTISAMPLE_NONE;
    uint32_t MultiSampleQuality = 0;
    D3DSWAPEFFECT SwapEffect{};
    ui::Window* hDeviceWindow = nullptr;
    int32_t Windowed = 0;
    int32_t EnableAutoDepthStencil = 0;
    D3DFORMAT AutoDepthStencilFormat = D3DFMT_UNKNOWN;
    uint32_t Flags = 0;
    uint32_t FullScreen_RefreshRateInHz = 0;
    uint32_t PresentationInterval = 0;
};

struct VertexElement {
    uint16_t Stream;
    uint16_t Offset;
    D3DDECLTYPE Type;
    uint8_t Method;
    D3DDECLUSAGE Usage;
    uint8_t UsageIndex;
};
constexpr VertexElement D3DDECL_END = {
    0xFF, 0, D3DDECLTYPE_UNUSED, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0};

struct Rect {
    int32_t left, top, right, bottom;
};

struct SurfaceDesc {
    D3DFORMAT Format = D3DFMT_UNKNOWN;
    D3DUSAGE Usage = D3DUSAGE_NONE;
    D3DPOOL Pool = D3DPOOL_DEFAULT;
    uint32_t MultiSampleType = D3DMULTISAMPLE_NONE;
    uint32_t Width = 0;
    uint32_t Height = 0;
};

// [SECTION] Interfaces
class Unknown {
  public:
    virtual uint32_t AddRef() = 0;
    virtual uint32_t Release() = 0;

  protected:
    virtual ~Unknown() = default;
};

class Surface : public Unknown {
  public:
    virtual HRESULT GetDesc(SurfaceDesc* desc) = 0;
};

class Texture : public Unknown {
  public:
    virtual HRESULT GetLevelDesc(uint32_t level, SurfaceDesc* desc) = 0;
    // Level 0 only; adds a reference to the returned surface.
    virtual HRESULT GetSurfaceLevel(uint32_t level, Surface** surface) = 0;
};

// Texels as Direct3D lays out D3DFMT_A8R8G8B8: one 32-bit 0xAARRGGBB per texel, rows Pitch bytes
// apart (slices SlicePitch bytes apart in a volume).
struct LockedRect {
    int32_t Pitch = 0;
    void* pBits = nullptr;
};
struct LockedBox {
    int32_t RowPitch = 0, SlicePitch = 0;
    void* pBits = nullptr;
};

enum D3DCUBEMAP_FACES : uint32_t {
    D3DCUBEMAP_FACE_POSITIVE_X = 0,
    D3DCUBEMAP_FACE_NEGATIVE_X = 1,
    D3DCUBEMAP_FACE_POSITIVE_Y = 2,
    D3DCUBEMAP_FACE_NEGATIVE_Y = 3,
    D3DCUBEMAP_FACE_POSITIVE_Z = 4,
    D3DCUBEMAP_FACE_NEGATIVE_Z = 5,
};

// Cube and volume textures: filled by locking a whole face or the whole volume (level 0, no
// sub-rectangles) and unlocking it; they have no surfaces. SetTexture takes them as textures.
class CubeTexture : public Texture {
  public:
    virtual HRESULT LockRect(D3DCUBEMAP_FACES face, uint32_t level, LockedRect* locked,
                             const Rect* rect, uint32_t flags) = 0;
    virtual HRESULT UnlockRect(D3DCUBEMAP_FACES face, uint32_t level) = 0;
};
class VolumeTexture : public Texture {
  public:
    virtual HRESULT LockBox(uint32_t level, LockedBox* locked, const void* box, uint32_t flags) = 0;
    virtual HRESULT UnlockBox(uint32_t level) = 0;
};

class VertexBuffer : public Unknown {
  public:
    // size 0 locks from offset to the end.
    virtual HRESULT Lock(uint32_t offset, uint32_t size, void** data, uint32_t flags) = 0;
    virtual HRESULT Unlock() = 0;
};

class IndexBuffer : public Unknown {
  public:
    virtual HRESULT Lock(uint32_t offset, uint32_t size, void** data, uint32_t flags) = 0;
    virtual HRESULT Unlock() = 0;
};

class VertexDeclaration : public Unknown {
  public:
    // Copies the elements (end marker included) into elements (may be null); count receives the
    // number of elements including the end marker.
    virtual HRESULT GetDeclaration(VertexElement* elements, uint32_t* count) = 0;
};

// What Present hands to a frame sink: the back buffer, top row first, 4 bytes a pixel (R, G, B, A).
struct Frame {
    const uint8_t* rgba;
    uint32_t width;
    uint32_t height;
};
using FrameSink = std::function<void(const Frame&)>;

class Device : public Unknown {
  public:
    // Resources
    virtual HRESULT CreateTexture(uint32_t width, uint32_t height, uint32_t levels, D3DUSAGE usage,
                                  D3DFORMAT format, D3DPOOL pool, Texture** texture) = 0;
    virtual HRESULT CreateRenderTarget(uint32_t width, uint32_t height, D3DFORMAT format,
                                       uint32_t multiSample, uint32_t quality, int32_t lockable,
                                       Surface** surface) = 0;
    virtual HRESULT CreateDepthStencilSurface(uint32_t width, uint32_t height, D3DFORMAT format,
                                              uint32_t multiSample, uint32_t quality,
                                              int32_t discard, Surface** surface) = 0;
    virtual HRESULT CreateVertexBuffer(uint32_t length, D3DUSAGE usage, uint32_t fvf, D3DPOOL pool,
                                       VertexBuffer** buffer) = 0;
    virtual HRESULT CreateIndexBuffer(uint32_t length, D3DUSAGE usage, D3DFORMAT format,
                                      D3DPOOL pool, IndexBuffer** buffer) = 0;
    virtual HRESULT CreateVertexDeclaration(const VertexElement* elements,
                                            VertexDeclaration** declaration) = 0;
    // Texture from an image file (JPEG, PNG), one level, A8R8G8B8; D3DXERR_INVALIDDATA when the
    // file is missing or not an image.
    virtual HRESULT CreateTextureFromFile(const char* path, Texture** texture) = 0;
    // D3DFMT_A8R8G8B8 or D3DFMT_X8R8G8B8, one level, D3DPOOL_MANAGED, cleared to zero.
    virtual HRESULT CreateCubeTexture(uint32_t edge, uint32_t levels, D3DUSAGE usage,
                                      D3DFORMAT format, D3DPOOL pool, CubeTexture** texture) = 0;
    virtual HRESULT CreateVolumeTexture(uint32_t width, uint32_t height, uint32_t depth,
                                        uint32_t levels, D3DUSAGE usage, D3DFORMAT format,
                                        D3DPOOL pool, VolumeTexture** texture) = 0;

    // Targets. Get* add a reference. Setting render target 0 makes the viewport cover it.
    virtual HRESULT GetRenderTarget(uint32_t index, Surface** surface) = 0;
    virtual HRESULT SetRenderTarget(uint32_t index, Surface* surface) = 0;
    virtual HRESULT GetDepthStencilSurface(Surface** surface) = 0;
    virtual HRESULT SetDepthStencilSurface(Surface* surface) = 0;
    virtual HRESULT StretchRect(Surface* source, const Rect* sourceRect, Surface* dest,
                                const Rect* destRect, D3DTEXTUREFILTERTYPE filter) = 0;

    // Frame
    virtual HRESULT BeginScene() = 0;
    virtual HRESULT EndScene() = 0;
    virtual HRESULT Clear(uint32_t count, const Rect* rects, uint32_t flags, uint32_t color,
                          float z, uint32_t stencil) = 0;
    // All arguments null in this system: the whole back buffer to the device's window (or sink).
    virtual HRESULT Present(const Rect* sourceRect, const Rect* destRect, ui::Window* window,
                            const void* dirtyRegion) = 0;
    virtual HRESULT SetRenderState(D3DRENDERSTATETYPE state, uint32_t value) = 0;
    virtual HRESULT GetRenderState(D3DRENDERSTATETYPE state, uint32_t* value) = 0;
    // A Direct3D layout 4x4 (translation in elements 12..14); identity until set.
    virtual HRESULT SetTransform(D3DTRANSFORMSTATETYPE state, const float* matrix16) = 0;
    virtual HRESULT GetTransform(D3DTRANSFORMSTATETYPE state, float* matrix16) = 0;
    // The texture of a stage (0..kTextureStages-1): what an effect's sampler declared with
    // register(sN) and no texture of its own reads. One reference held; null clears.
    static constexpr uint32_t kTextureStages = 16;
    virtual HRESULT SetTexture(uint32_t stage, Texture* texture) = 0;
    // The stage's texture with a reference added, or null.
    virtual HRESULT GetTexture(uint32_t stage, Texture** texture) = 0;
    virtual HRESULT SetStreamSource(uint32_t stream, VertexBuffer* buffer, uint32_t offset,
                                    uint32_t stride) = 0;
    virtual HRESULT SetVertexDeclaration(VertexDeclaration* declaration) = 0;
    virtual HRESULT SetIndices(IndexBuffer* buffer) = 0;
    virtual HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE type, int32_t baseVertex,
                                         uint32_t minIndex, uint32_t numVertices,
                                         uint32_t startIndex, uint32_t primitiveCount) = 0;
};

// The Direct3D object: the default adapter's modes and capabilities, and device creation.
class Adapter : public Unknown {
  public:
    virtual uint32_t GetAdapterModeCount(uint32_t adapter, D3DFORMAT format) = 0;
    virtual HRESULT EnumAdapterModes(uint32_t adapter, D3DFORMAT format, uint32_t mode,
                                     DisplayMode* out) = 0;
    virtual HRESULT GetAdapterDisplayMode(uint32_t adapter, DisplayMode* out) = 0;
    // D3D_OK when render targets of this multisample type can be created.
    virtual HRESULT CheckDeviceMultiSampleType(uint32_t adapter, D3DDEVTYPE deviceType,
                                               D3DFORMAT format, int32_t windowed,
                                               uint32_t multiSample, uint32_t* qualityLevels) = 0;
    virtual HRESULT GetDeviceCaps(uint32_t adapter, D3DDEVTYPE deviceType, Caps* caps) = 0;
    virtual HRESULT CreateDevice(uint32_t adapter, D3DDEVTYPE deviceType, ui::Window* focusWindow,
                                 uint32_t behaviorFlags, PresentParameters* params,
                                 Device** device) = 0;
};

// [SECTION] Configuration (before Direct3DCreate9)
enum class ContextProvider {
    Window,      // SDL2 window made by ui::CreateWindowEx; Present copies to it
    Headless,    // EGL surfaceless (Mesa); Present only feeds the sink
    HeadlessEs,  // EGL surfaceless OpenGL ES 3.0: the browser's flavour, run natively
    Canvas,      // WebGL2 on the page's canvas (browser build only); Present copies to it
};

struct Config {
    ContextProvider provider = ContextProvider::Window;
    FrameSink frameSink;  // called by Present with the back buffer, when set
    // When set, the sink is fed only on the Presents where this answers true (a screenshot key).
    std::function<bool()> frameWanted;
    // Live mode: called by Present after the frame sink had its copy, with OpenGL's usual clip
    // conventions, drawing over the window's picture (headless: over the back buffer).
    std::function<void()> overlay;
    // All but the window provider: the display modes the adapter reports, in this order, and the
    // desktop mode (the window provider asks SDL). Empty means one mode, the desktop's.
    std::vector<DisplayMode> headlessModes;
    DisplayMode headlessDesktop{1280, 720, 60, D3DFMT_X8R8G8B8};
};

void Configure(Config config);
const Config& CurrentConfig();

// Null when no graphics context can be had (reported on stderr).
Adapter* Direct3DCreate9(uint32_t sdkVersion);

}  // namespace gfx
