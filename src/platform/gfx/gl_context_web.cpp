// The browser build's context: WebGL2 (OpenGL ES 3.0) on the page's canvas. The canvas has one
// context for the whole page, made on first use and kept: the adapter's probe and the device
// share it, as a second getContext would hand back the same one anyway.
#include <emscripten/html5.h>

#include "platform/gfx/gl_api.h"
#include "platform/gfx/gl_context.h"

namespace gfx::gl {
namespace {

constexpr const char* kCanvas = "#canvas";

EMSCRIPTEN_WEBGL_CONTEXT_HANDLE PageContext(std::string* error) {
    static EMSCRIPTEN_WEBGL_CONTEXT_HANDLE handle = 0;
    if (handle > 0) return handle;
    EmscriptenWebGLContextAttributes attributes;
    emscripten_webgl_init_context_attributes(&attributes);
    attributes.majorVersion = 2;
    attributes.minorVersion = 0;
    // The device renders into its own targets and copies the back buffer over: the canvas needs
    // no depth, no alpha and no multisampling (a blit into a multisampled canvas is refused).
    attributes.alpha = false;
    attributes.depth = false;
    attributes.stencil = false;
    attributes.antialias = false;
    // Pixels stay readable after the frame (tests read the canvas back).
    attributes.preserveDrawingBuffer = true;
    handle = emscripten_webgl_create_context(kCanvas, &attributes);
    if (handle <= 0) {
        if (error) *error = "WebGL2 is not available on this page";
        handle = 0;
    }
    return handle;
}

class CanvasContext final : public Context {
  public:
    explicit CanvasContext(EMSCRIPTEN_WEBGL_CONTEXT_HANDLE handle) : handle_(handle) {}
    void MakeCurrent() override { emscripten_webgl_make_context_current(handle_); }
    bool HasWindow() const override { return true; }
    void DrawableSize(int* width, int* height) override {
        emscripten_webgl_get_drawing_buffer_size(handle_, width, height);
    }
    void Swap() override {}  // the browser shows the canvas when control returns to it
    bool IsEs() const override { return true; }

  private:
    EMSCRIPTEN_WEBGL_CONTEXT_HANDLE handle_;
};

}  // namespace

std::unique_ptr<Context> CreateHeadlessContext(bool /*es*/, std::string* error) {
    if (error) *error = "the browser build draws on the canvas only";
    return nullptr;
}

std::unique_ptr<Context> CreateWindowContext(SDL_Window* /*window*/, bool /*vsync*/,
                                             std::string* error) {
    if (error) *error = "the browser build draws on the canvas only";
    return nullptr;
}

std::unique_ptr<Context> CreateCanvasContext(std::string* error) {
    const EMSCRIPTEN_WEBGL_CONTEXT_HANDLE handle = PageContext(error);
    if (!handle) return nullptr;
    if (emscripten_webgl_make_context_current(handle) != EMSCRIPTEN_RESULT_SUCCESS) {
        if (error) *error = "cannot make the canvas's WebGL2 context current";
        return nullptr;
    }
    return std::make_unique<CanvasContext>(handle);
}

bool ProbeLimits(ContextProvider provider, Limits* limits, std::string* error) {
    if (provider != ContextProvider::Canvas) {
        if (error) *error = "the browser build draws on the canvas only";
        return false;
    }
    if (!CreateCanvasContext(error)) return false;
    ReadLimits(limits);
    return true;
}

}  // namespace gfx::gl
