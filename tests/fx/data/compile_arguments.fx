// compile statements with uniform arguments: literals, constants and samplers.
texture green;
sampler2D greenSampler = sampler_state { Texture = <green>; };
// A plain sampler is rewritten to its kind: the generated entry point must still read right.
sampler plainSampler = sampler_state { Texture = <green>; };
static const float4 kGreen = {0, 1, 0, 1};
void VS(float4 p : POSITION, float2 uv : TEXCOORD0, out float4 position : POSITION,
        out float2 uvOut : TEXCOORD0, uniform float scale)
{
    position = float4(p.xy * scale, p.zw);
    uvOut = uv;
}
float4 Tinted(uniform float4 color, uniform bool swap) : COLOR0 { return swap ? color.grba : color; }
float4 Sampled(float2 uv : TEXCOORD0, uniform sampler2D s) : COLOR0 { return tex2D(s, uv); }
technique T
{
    pass Literal { VertexShader = compile vs_2_0 VS(1.0); PixelShader = compile ps_2_0 Tinted(float4(0, 1, 0, 1), false); }
    pass Swapped { VertexShader = compile vs_2_0 VS(1); PixelShader = compile ps_2_0 Tinted(float4(1, 0, 0, 1), true); }
    pass Constant { VertexShader = compile vs_2_0 VS(2); PixelShader = compile ps_2_0 Tinted(kGreen, false); }
    pass Sampler { VertexShader = compile vs_2_0 VS(1); PixelShader = compile ps_2_0 Sampled(greenSampler); }
    pass Plain { VertexShader = compile vs_2_0 VS(1); PixelShader = compile ps_2_0 Sampled(plainSampler); }
}
