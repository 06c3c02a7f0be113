// The error is in the included file, on its line 3.
#include "../include/broken.fxh"
float4 PS() : COLOR { return Broken(); }
