#include "display/device_globals.h"

gfx::Adapter* g_d3d = nullptr;
gfx::Device* g_device = nullptr;
