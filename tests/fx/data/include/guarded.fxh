#ifndef GUARDED_FXH
#define GUARDED_FXH
#include "guarded.fxh"
float4 Half() { return 0.5; }
#endif
