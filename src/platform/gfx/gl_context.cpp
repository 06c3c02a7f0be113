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
    HeadlessContext(EGLDisplay dpy, EGLContext ctx) : dpy_(dpy), ctx_(ctx) {}
    ~HeadlessContext() override {
        if (eglGetCurrentContext() == ctx_)
            eglMakeCurrent(dpy_, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
        eglDestroyContext(dpy_, ctx_);
    }
    void MakeCurrent() override { eglMakeCurrent(dpy_, EGL_NO_SURFACE, EGL_NO_SURFACE, ctx_); }
    bool HasWindow() const override { return false; }
    void DrawableSize(int* width, int* height) override { *width = *height = 0; }
    void Swap() override {}

  private:
    EGLDisplay dpy_;
    EGLContext ctx_;
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

  private:
    SDL_Window* window_;
    SDL_GLContext ctx_;
};

void RequestCoreProfile() {
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
}

// True when colour and depth renderbuffers asked for `count` samples get exactly that many.
bool HonoursSampleCount(int count) {
    GLuint name = 0;
    glGenRenderbuffers(1, &name);
    glBindRenderbuffer(GL_RENDERBUFFER, name);
    bool exact = true;
    for (GLenum format : {GLenum(GL_RGBA8), GLenum(GL_DEPTH24_STENCIL8)}) {
        glRenderbufferStorageMultisample(GL_RENDERBUFFER, count, format, 4, 4);
        GLint got = 0;
        glGetRenderbufferParameteriv(GL_RENDERBUFFER, GL_RENDERBUFFER_SAMPLES, &got);
        exact = exact && got == count;
    }
    glBindRenderbuffer(GL_RENDERBUFFER, 0);
    glDeleteRenderbuffers(1, &name);
    while (glGetError() != GL_NO_ERROR) {
    }
    return exact;
}

void ReadLimits(Limits* limits) {
    glGetIntegerv(GL_MAX_SAMPLES, &limits->maxSamples);
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &limits->maxTextureSize);
    // Queryable from 4.4 on; 2048 is the least any implementation gives.
    limits->maxVertexStride = 2048;
    if (epoxy_gl_version() >= 44)
        glGetIntegerv(GL_MAX_VERTEX_ATTRIB_STRIDE, &limits->maxVertexStride);
    limits->exactSamples = 0;
    for (int count = 2; count <= 16 && count <= limits->maxSamples; ++count)
        if (HonoursSampleCount(count)) limits->exactSamples |= 1u << count;
}

}  // namespace

bool CheckContextFeatures(std::string* error) {
    if (epoxy_gl_version() < 33) {
        if (error) *error = "OpenGL 3.3 or later is needed";
        return false;
    }
    if (epoxy_gl_version() < 45 && !epoxy_has_gl_extension("GL_ARB_clip_control")) {
        if (error) *error = "GL_ARB_clip_control is needed";
        return false;
    }
    return true;
}

std::unique_ptr<Context> CreateHeadlessContext(std::string* error) {
    EGLDisplay dpy = SurfacelessDisplay(error);
    if (dpy == EGL_NO_DISPLAY) return nullptr;
    if (!eglBindAPI(EGL_OPENGL_API)) {
        if (error) *error = "eglBindAPI(EGL_OPENGL_API) failed";
        return nullptr;
    }
    const EGLint attribs[] = {EGL_CONTEXT_MAJOR_VERSION,
                              3,
                              EGL_CONTEXT_MINOR_VERSION,
                              3,
                              EGL_CONTEXT_OPENGL_PROFILE_MASK,
                              EGL_CONTEXT_OPENGL_CORE_PROFILE_BIT,
                              EGL_NONE};
    EGLContext ctx = eglCreateContext(dpy, EGL_NO_CONFIG_KHR, EGL_NO_CONTEXT, attribs);
    if (ctx == EGL_NO_CONTEXT) {
        if (error) *error = "eglCreateContext failed";
        return nullptr;
    }
    if (!eglMakeCurrent(dpy, EGL_NO_SURFACE, EGL_NO_SURFACE, ctx)) {
        eglDestroyContext(dpy, ctx);
        if (error) *error = "eglMakeCurrent failed";
        return nullptr;
    }
    return std::make_unique<HeadlessContext>(dpy, ctx);
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
    if (provider == ContextProvider::Headless) {
        const EGLDisplay prevDpy = eglGetCurrentDisplay();
        const EGLContext prevCtx = eglGetCurrentContext();
        const EGLSurface prevDraw = eglGetCurrentSurface(EGL_DRAW);
        const EGLSurface prevRead = eglGetCurrentSurface(EGL_READ);
        auto ctx = CreateHeadlessContext(error);
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
