// Included by include.fx; includes its neighbour by its own folder.
#include "guarded.fxh"
float4 Green() { return float4(0, 1, 0, 1); }
