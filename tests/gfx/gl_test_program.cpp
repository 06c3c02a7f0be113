#include "gfx/gl_test_program.h"

#include <cstdio>
#include <cstdlib>

#include <epoxy/gl.h>

namespace gfx_test {
namespace {

GLuint Compile(GLenum stage, const std::string& source) {
    GLuint shader = glCreateShader(stage);
    const char* text = source.c_str();
    glShaderSource(shader, 1, &text, nullptr);
    glCompileShader(shader);
    GLint ok = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (!ok) {
        char log[2048];
        glGetShaderInfoLog(shader, sizeof log, nullptr, log);
        std::fprintf(stderr, "test shader: %s\n", log);
        std::abort();
    }
    return shader;
}

const char* kClipPositionVs = R"(#version 330 core
layout(location = 0) in vec3 a_position;
layout(location = 3) in vec4 a_color;
layout(location = 6) in vec2 a_texcoord0;
out vec2 v_texcoord0;
out vec4 v_color;
void main() {
    v_texcoord0 = a_texcoord0;
    v_color = a_color;
    gl_Position = vec4(a_position, 1.0);
}
)";

}  // namespace

unsigned BuildProgram(const std::string& vertexSource, const std::string& fragmentSource) {
    GLuint vs = Compile(GL_VERTEX_SHADER, vertexSource);
    GLuint fs = Compile(GL_FRAGMENT_SHADER, fragmentSource);
    GLuint program = glCreateProgram();
    glAttachShader(program, vs);
    glAttachShader(program, fs);
    glLinkProgram(program);
    glDeleteShader(vs);
    glDeleteShader(fs);
    GLint ok = 0;
    glGetProgramiv(program, GL_LINK_STATUS, &ok);
    if (!ok) {
        char log[2048];
        glGetProgramInfoLog(program, sizeof log, nullptr, log);
        std::fprintf(stderr, "test program: %s\n", log);
        std::abort();
    }
    return program;
}

unsigned SolidColorProgram() {
    return BuildProgram(kClipPositionVs, R"(#version 330 core
uniform vec4 u_color;
out vec4 o_color;
void main() { o_color = u_color; }
)");
}

unsigned TexturedProgram() {
    return BuildProgram(kClipPositionVs, R"(#version 330 core
uniform sampler2D u_tex;
in vec2 v_texcoord0;
out vec4 o_color;
void main() { o_color = texture(u_tex, v_texcoord0); }
)");
}

unsigned VertexColorProgram() {
    return BuildProgram(kClipPositionVs, R"(#version 330 core
in vec4 v_color;
out vec4 o_color;
void main() { o_color = v_color; }
)");
}

void SetColor(unsigned program, float r, float g, float b, float a) {
    glUseProgram(program);
    glUniform4f(glGetUniformLocation(program, "u_color"), r, g, b, a);
}

}  // namespace gfx_test
