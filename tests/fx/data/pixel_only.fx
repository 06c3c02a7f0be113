// Passes with a pixel shader only: the fixed-function vertex stage transforms by the device's
// world, view and projection and passes texture coordinates and colours through.
float4 PS(float2 uv : TEXCOORD0, float4 diffuse : COLOR0) : COLOR0
{
    bool inside = uv.x >= 0 && uv.x <= 1 && uv.y >= 0 && uv.y <= 1;
    return inside ? float4(0, diffuse.g, 0, 1) : float4(1, 0, 0, 1);
}
technique T
{
    pass Implicit { PixelShader = compile ps_2_0 PS(); }
    pass Null { VertexShader = NULL; PixelShader = compile ps_2_0 PS(); }
}
