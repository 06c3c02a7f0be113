// The OpenGL API of the device and the effect layer: desktop OpenGL through libepoxy natively
// (which also drives the OpenGL ES 3.0 context the browser flavour is tested on), OpenGL ES 3.0
// alone in the browser build (WebGL2). Calls outside OpenGL ES 3.0 sit behind VM_GL_DESKTOP and a
// run-time check of the context's flavour.
#pragma once

#ifdef __EMSCRIPTEN__
#include <GLES3/gl3.h>
#define VM_GL_DESKTOP 0
#else
#include <epoxy/gl.h>
#define VM_GL_DESKTOP 1
#endif
