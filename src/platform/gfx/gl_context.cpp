#include "platform/gfx/gl_context.h"

#include <SDL.h>
#include <epoxy/egl.h>
#include <epoxy/gl.h>

namespace gfx::gl {
namespace {

// ---- Headless: EGL surfaceless -----------------------------------------------------------------

// The display lives for the whole process: terminating it would end every context made on it.
EGLDisplay SurfacelessDisplay(std::string* error) {
    static EGLDisplay display = EGL_NO_DISPLAY;
    static bool tried = false;
    if (tried) {
        if (display == EGL_NO_DISPLAY && error) *error = "no EGL surfaceless display";
        return display;
    }
    tried = true;
    auto getPlatformDisplay = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
        eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (!getPlatformDisplay) {
        if (error) *error = "eglGetPlatformDisplayEXT unavailable";
        return EGL_NO_DISPLAY;
    }
    EGLDisplay dpy =
        getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    EGLint major = 0, minor = 0;
    if (dpy == EGL_NO_DISPLAY || !eglInitialize(dpy, &major, &minor)) {
        if (error) *error = "no EGL surfaceless display";
        return EGL_NO_DISPLAY;
    }
    display = dpy;
    return display;
}

class HeadlessContext final : public Context {
  public:
    HeadlessContext(EGLDisplay dpy, EGLContext ctx, bool es) : dpy_(dpy), ctx_(ctx), es_(es) {}
    ~HeadlessContext() override {
        if (eglGetCurrentContext() == ctx_)
            eglMakeCurrent(dpy_, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
        eglDestroyContext(dpy_, ctx_);
    }
    void MakeCurrent() override { eglMakeCurrent(dpy_, EGL_NO_SURFACE, EGL_NO_SURFACE, ctx_); }
    bool HasWindow() const override { return false; }
    void DrawableSize(int* width, int* height) override { *width = *height = 0; }
    void Swap() override {}
    bool IsEs() const override { return es_; }

  private:
    EGLDisplay dpy_;
    EGLContext ctx_;
    bool es_;
};

// ---- Window: SDL -------------------------------------------------------------------------------

class WindowContext final : public Context {
  public:
    WindowContext(SDL_Window* window, SDL_GLContext ctx) : window_(window), ctx_(ctx) {}
    ~WindowContext() override {
        if (SDL_GL_GetCurrentContext() == ctx_) SDL_GL_MakeCurrent(window_, nullptr);
        SDL_GL_DeleteContext(ctx_);
    }
    void MakeCurrent() override { SDL_GL_MakeCurrent(window_, ctx_); }
    bool HasWindow() const override { return true; }
    void DrawableSize(int* width, int* height) override {
        SDL_GL_GetDrawableSize(window_, width, height);
    }
    void Swap() override { SDL_GL_SwapWindow(window_); }
    bool IsEs() const override { return false; }

  private:
    SDL_Window* window_;
    SDL_GLContext ctx_;
};

void RequestCoreProfile() {
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
}

}  // namespace

std::unique_ptr<Context> CreateHeadlessContext(bool es, std::string* error) {
    EGLDisplay dpy = SurfacelessDisplay(error);
    if (dpy == EGL_NO_DISPLAY) return nullptr;
    if (!eglBindAPI(es ? EGL_OPENGL_ES_API : EGL_OPENGL_API)) {
        if (error)
            *error =
                es ? "eglBindAPI(EGL_OPENGL_ES_API) failed" : "eglBindAPI(EGL_OPENGL_API) failed";
        return nullptr;
    }
    const EGLint desktopAttribs[] = {EGL_CONTEXT_MAJOR_VERSION,
                                     3,
                                     EGL_CONTEXT_MINOR_VERSION,
                                     3,
                                     EGL_CONTEXT_OPENGL_PROFILE_MASK,
                                     EGL_CONTEXT_OPENGL_CORE_PROFILE_BIT,
                                     EGL_NONE};
    const EGLint esAttribs[] = {EGL_CONTEXT_MAJOR_VERSION, 3, EGL_CONTEXT_MINOR_VERSION, 0,
                                EGL_NONE};
    EGLContext ctx =
        eglCreateContext(dpy, EGL_NO_CONFIG_KHR, EGL_NO_CONTEXT, es ? esAttribs : desktopAttribs);
    if (ctx == EGL_NO_CONTEXT) {
        if (error) *error = "eglCreateContext failed";
        return nullptr;
    }
    if (!eglMakeCurrent(dpy, EGL_NO_SURFACE, EGL_NO_SURFACE, ctx)) {
        eglDestroyContext(dpy, ctx);
        if (error) *error = "eglMakeCurrent failed";
        return nullptr;
    }
    return std::make_unique<HeadlessContext>(dpy, ctx, es);
}

std::unique_ptr<Context> CreateCanvasContext(std::string* error) {
    if (error) *error = "the canvas exists only in the browser build";
    return nullptr;
}

std::unique_ptr<Context> CreateWindowContext(SDL_Window* window, bool vsync, std::string* error) {
    if (!window) {
        if (error) *error = "no SDL window";
        return nullptr;
    }
    RequestCoreProfile();
    SDL_GLContext ctx = SDL_GL_CreateContext(window);
    if (!ctx) {
        if (error) *error = std::string("SDL_GL_CreateContext: ") + SDL_GetError();
        return nullptr;
    }
    SDL_GL_MakeCurrent(window, ctx);
    SDL_GL_SetSwapInterval(vsync ? 1 : 0);  // may fail (no vsync there): not an error
    return std::make_unique<WindowContext>(window, ctx);
}

bool ProbeLimits(ContextProvider provider, Limits* limits, std::string* error) {
    if (provider == ContextProvider::Canvas) return !!CreateCanvasContext(error);
    if (provider != ContextProvider::Window) {
        const EGLDisplay prevDpy = eglGetCurrentDisplay();
        const EGLContext prevCtx = eglGetCurrentContext();
        const EGLSurface prevDraw = eglGetCurrentSurface(EGL_DRAW);
        const EGLSurface prevRead = eglGetCurrentSurface(EGL_READ);
        auto ctx = CreateHeadlessContext(provider == ContextProvider::HeadlessEs, error);
        if (!ctx) return false;
        const bool ok = CheckContextFeatures(error);
        ReadLimits(limits);
        ctx.reset();
        if (prevCtx != EGL_NO_CONTEXT) eglMakeCurrent(prevDpy, prevDraw, prevRead, prevCtx);
        return ok;
    }

    if (SDL_GL_GetCurrentContext()) {  // a device exists: ask it
        ReadLimits(limits);
        return true;
    }
    RequestCoreProfile();
    SDL_Window* probe = SDL_CreateWindow("", 0, 0, 16, 16, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (!probe) {
        if (error) *error = std::string("SDL_CreateWindow: ") + SDL_GetError();
        return false;
    }
    SDL_GLContext ctx = SDL_GL_CreateContext(probe);
    bool ok = ctx != nullptr;
    if (!ok) {
        if (error) *error = std::string("SDL_GL_CreateContext: ") + SDL_GetError();
    } else {
        SDL_GL_MakeCurrent(probe, ctx);
        ok = CheckContextFeatures(error);
        ReadLimits(limits);
        SDL_GL_MakeCurrent(probe, nullptr);
        SDL_GL_DeleteContext(ctx);
    }
    SDL_DestroyWindow(probe);
    return ok;
}

}  // namespace gfx::gl
