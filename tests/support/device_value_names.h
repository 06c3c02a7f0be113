// Direct3D's names for the values the recording device logs, without the family prefix:
// "CULLMODE", "NONE", "X8R8G8B8", "RENDERTARGET|DYNAMIC". A number its family does not know
// prints as the number.
#pragma once

#include <cstdint>
#include <string>

#include "platform/gfx/gfx.h"

namespace vmtest {

std::string RenderStateName(gfx::D3DRENDERSTATETYPE state);
// The value as the state reads it: a cull mode, compare function, blend factor or operation,
// or TRUE/FALSE for the enable states.
std::string RenderStateValueName(gfx::D3DRENDERSTATETYPE state, uint32_t value);
std::string FormatName(gfx::D3DFORMAT format);
std::string UsageName(gfx::D3DUSAGE usage);  // "0" for none
std::string PoolName(gfx::D3DPOOL pool);
std::string MultiSampleName(uint32_t type);  // "NONE", "4_SAMPLES"
std::string PrimitiveTypeName(gfx::D3DPRIMITIVETYPE type);
std::string TextureFilterName(gfx::D3DTEXTUREFILTERTYPE filter);
std::string ClearFlagsName(uint32_t flags);  // "TARGET|ZBUFFER", "0" for none
std::string LockFlagsName(uint32_t flags);   // "DISCARD", "0" for none

}  // namespace vmtest
