// Includes beside this file and beside the including one, nested, guarded (even against
// itself), read once.
#include "include/colors.fxh"
#include "include/guarded.fxh"
float4 VS(float4 p : POSITION) : POSITION { return p; }
float4 PS() : COLOR0 { return Green() * Half() * 2; }
technique T { pass P { VertexShader = compile vs_2_0 VS(); PixelShader = compile ps_2_0 PS(); } }
