#include "platform/gfx/gl_debug.h"

#include <cstdio>

#include "platform/gfx/gl_api.h"

namespace gfx::gl {
namespace {

#if VM_GL_DESKTOP
[[maybe_unused]] void GLAPIENTRY OnDebugMessage(GLenum /*source*/, GLenum type, GLuint id,
                                                GLenum severity, GLsizei /*length*/,
                                                const GLchar* message, const void* /*user*/) {
    if (severity == GL_DEBUG_SEVERITY_NOTIFICATION) return;
    const char* kind = "message";
    switch (type) {
        case GL_DEBUG_TYPE_ERROR:
            kind = "error";
            break;
        case GL_DEBUG_TYPE_UNDEFINED_BEHAVIOR:
            kind = "undefined behaviour";
            break;
        case GL_DEBUG_TYPE_DEPRECATED_BEHAVIOR:
            kind = "deprecated";
            break;
        case GL_DEBUG_TYPE_PERFORMANCE:
            kind = "performance";
            break;
        default:
            break;
    }
    std::fprintf(stderr, "gfx: GL %s %u: %s\n", kind, id, message);
}
#endif

}  // namespace

// The browser reports GL errors in its console by itself.
void InstallDebugOutput() {
#if VM_GL_DESKTOP && !defined(NDEBUG)
    if (epoxy_gl_version() >= 43 || epoxy_has_gl_extension("GL_KHR_debug")) {
        glEnable(GL_DEBUG_OUTPUT);
        glEnable(GL_DEBUG_OUTPUT_SYNCHRONOUS);
        glDebugMessageCallback(OnDebugMessage, nullptr);
    }
#endif
}

}  // namespace gfx::gl
