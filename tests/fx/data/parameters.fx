// Initial values until set; int parameters set from floats.
float4 tint = float4(0, 1, 0, 1);
float scale = 0.5;
int n = 3e9;
float4 VS(float4 p : POSITION) : POSITION { return p; }
float4 PS() : COLOR { return float4(tint.rg * scale, n == -2147483647 - 1 ? 1 : n == -7 ? 0.5 : 0, 1); }
technique T { pass P { VertexShader = compile vs_2_0 VS(); PixelShader = compile ps_2_0 PS(); } }
