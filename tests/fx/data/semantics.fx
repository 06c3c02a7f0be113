// Array semantics, VFACE and matrix swizzles across rows; the same entry with a compile argument.
float4x4 m = {0, 1, 2, 3,  4, 5, 6, 7,  8, 9, 10, 11,  12, 13, 14, 15};
struct V { float4 p : POSITION; float2 uv[2] : TEXCOORD0; };
V VS(float4 p : POSITION)
{
    V v;
    v.p = p;
    v.uv[0] = float2(0.25, 0.5);
    v.uv[1] = float2(0.75, 1);
    return v;
}
float4 PS(float2 uv[2] : TEXCOORD0, float face : VFACE, uniform float scale) : COLOR0
{
    bool right = all(m._m02_m12_m22 == float3(2, 6, 10)) && all(m._14_24 == float2(3, 7)) &&
                 m._m30 == 12 && uv[0].x == 0.25 && uv[1].y == 1 && face * scale > 0;
    return right ? float4(0, 1, 0, 1) : float4(1, 0, 0, 1);
}
technique T { pass P { VertexShader = compile vs_3_0 VS(); PixelShader = compile ps_3_0 PS(2); CullMode = None; } }
