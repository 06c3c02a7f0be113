// OpenGL debug output: in debug builds a KHR_debug callback writes errors and warnings to stderr.
#pragma once

#include <cstdint>

namespace gfx::gl {

// Call with the device's context current.
void InstallDebugOutput();

// How many GL error messages the callback has seen in this process (0 in release builds).
uint64_t DebugErrorCount();

}  // namespace gfx::gl
