// Varyings meet by semantic, whatever order each stage declares them in.
struct O { float4 p : POSITION; float4 a : TEXCOORD0; float4 b : TEXCOORD1; float4 c : COLOR0; };
O VS(float4 p : POSITION)
{
    O o;
    o.p = p;
    o.a = float4(1, 0, 0, 0);
    o.b = float4(0, 1, 0, 0);
    o.c = float4(0, 0, 1, 0);
    return o;
}
float4 PS(float4 c : COLOR0, float4 b : TEXCOORD1, float4 a : TEXCOORD0) : COLOR0
{
    return a.r == 1 && b.g == 1 && c.b == 1 ? float4(0, 1, 0, 1) : float4(1, 0, 0, 1);
}
technique T { pass P { VertexShader = compile vs_2_0 VS(); PixelShader = compile ps_2_0 PS(); } }
