// OpenGL debug output: in debug builds a KHR_debug callback writes errors and warnings to stderr.
#pragma once

namespace gfx::gl {

// Call with the device's context current.
void InstallDebugOutput();

}  // namespace gfx::gl
