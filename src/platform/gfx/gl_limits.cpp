// What the current context can do, asked the same way on every flavour of it.
#include "platform/gfx/gl_api.h"
#include "platform/gfx/gl_context.h"

namespace gfx::gl {
namespace {

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

}  // namespace

bool CheckContextFeatures(std::string* error) {
#if VM_GL_DESKTOP
    if (!epoxy_is_desktop_gl()) {
        if (epoxy_gl_version() >= 30) return true;
        if (error) *error = "OpenGL ES 3.0 or later is needed";
        return false;
    }
    if (epoxy_gl_version() < 33) {
        if (error) *error = "OpenGL 3.3 or later is needed";
        return false;
    }
    if (epoxy_gl_version() < 45 && !epoxy_has_gl_extension("GL_ARB_clip_control")) {
        if (error) *error = "GL_ARB_clip_control is needed";
        return false;
    }
#else
    (void)error;  // a WebGL2 context is OpenGL ES 3.0
#endif
    return true;
}

void ReadLimits(Limits* limits) {
    glGetIntegerv(GL_MAX_SAMPLES, &limits->maxSamples);
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &limits->maxTextureSize);
    // WebGL2 fixes the stride limit at 255 bytes; the ES flavour keeps to it natively too.
    limits->maxVertexStride = 255;
#if VM_GL_DESKTOP
    // Queryable from 4.4 on; 2048 is the least any implementation gives.
    if (epoxy_is_desktop_gl()) {
        limits->maxVertexStride = 2048;
        if (epoxy_gl_version() >= 44)
            glGetIntegerv(GL_MAX_VERTEX_ATTRIB_STRIDE, &limits->maxVertexStride);
    }
#endif
    limits->exactSamples = 0;
    for (int count = 2; count <= 16 && count <= limits->maxSamples; ++count)
        if (HonoursSampleCount(count)) limits->exactSamples |= 1u << count;
}

}  // namespace gfx::gl
