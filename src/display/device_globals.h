// The one adapter object and the one device of the run. Every rendering subsystem draws through
// g_device; both are null until the display creates them.
#pragma once

#include "platform/gfx/gfx.h"

extern gfx::Adapter* g_d3d;
extern gfx::Device* g_device;
