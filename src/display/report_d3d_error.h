// Reports a failed graphics result in words: a box whose caption names the kind of resource and
// whose text names the error and the resource. Returns the box's result.
#pragma once

#include "platform/gfx/gfx.h"

int ReportD3DError(gfx::HRESULT result, const char* caption, const char* name);
