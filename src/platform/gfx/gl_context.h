// OpenGL contexts for the device: an EGL surfaceless one (headless), an SDL one on a window, or
// the page's WebGL2 canvas in the browser build. Desktop contexts are OpenGL 3.3+ core with
// ARB_clip_control; ES ones (headless ES, canvas) are OpenGL ES 3.0, the browser's flavour.
#pragma once

#include <memory>
#include <string>

#include "platform/gfx/gfx.h"

struct SDL_Window;

namespace gfx::gl {

class Context {
  public:
    virtual ~Context() = default;
    virtual void MakeCurrent() = 0;
    // Window contexts show the default framebuffer; headless ones have none.
    virtual bool HasWindow() const = 0;
    virtual void DrawableSize(int* width, int* height) = 0;
    virtual void Swap() = 0;
    // OpenGL ES 3.0 rules: no clip control, no base vertex, ES shaders.
    virtual bool IsEs() const = 0;
};

// Made current on success; null with a reason otherwise.
std::unique_ptr<Context> CreateHeadlessContext(bool es, std::string* error);
std::unique_ptr<Context> CreateWindowContext(SDL_Window* window, bool vsync, std::string* error);
// The page's canvas ("#canvas"); browser build only.
std::unique_ptr<Context> CreateCanvasContext(std::string* error);

// True for the providers whose contexts follow OpenGL ES 3.0.
inline bool IsEsProvider(ContextProvider provider) {
    return provider == ContextProvider::HeadlessEs || provider == ContextProvider::Canvas;
}

// What the adapter needs before a device exists, read from a short-lived context (or from the
// current one). The previously current context is current again afterwards.
struct Limits {
    int maxSamples = 0;
    int maxTextureSize = 0;
    int maxVertexStride = 0;  // WebGL2 allows 255 bytes
    // Bit n set: surfaces asked for n samples get exactly n. Drivers may round a count up (llvmpipe
    // gives 4 for 2), which would cost memory and time the caller did not choose.
    uint32_t exactSamples = 0;

    // 0 (none) or a sample count the driver honours exactly.
    bool SupportsSamples(uint32_t count) const {
        return count == 0 || (count >= 2 && count <= 16 && ((exactSamples >> count) & 1u) != 0);
    }
};
bool ProbeLimits(ContextProvider provider, Limits* limits, std::string* error);
// Reads the limits of the current context.
void ReadLimits(Limits* limits);

// Checks version and extensions of the current context; false with a reason when unusable.
bool CheckContextFeatures(std::string* error);

}  // namespace gfx::gl
