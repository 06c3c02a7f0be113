// Test-only GLSL 330 programs that read vertex inputs at the device's fixed attribute locations
// (position 0, colour 3, texcoord0 6). They stand in for the effect layer in pixel tests.
#pragma once

#include <string>

namespace gfx_test {

// Compiles and links; aborts the test binary with the log on failure.
unsigned BuildProgram(const std::string& vertexSource, const std::string& fragmentSource);

// Position used as clip coordinates, one colour from the uniform "u_color".
unsigned SolidColorProgram();
// Position as clip coordinates, colour = texture(u_tex, texcoord0).
unsigned TexturedProgram();
// Position as clip coordinates, colour = the COLOR0 attribute.
unsigned VertexColorProgram();

void SetColor(unsigned program, float r, float g, float b, float a);

}  // namespace gfx_test
