// bool parameters: glslang lays them out as 32-bit integers.
bool enabled = true;
bool disabled;
bool2 pair = {false, true};
float4 VS(float4 p : POSITION) : POSITION { return p; }
float4 PS() : COLOR0
{
    bool right = enabled && !disabled && !pair.x && pair.y;
    return right ? float4(0, 1, 0, 1) : float4(1, 0, 0, 1);
}
technique T { pass P { VertexShader = compile vs_2_0 VS(); PixelShader = compile ps_2_0 PS(); } }
