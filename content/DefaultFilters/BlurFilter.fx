// Blur: combines the picture (tex0) with a reduced, softened copy (tex1) by "radius".
// Pass 0 adds the soft copy as a glow, pass 1 mixes towards it, pass 2 screen-blends it.
float4x4 matProjection;
float radius = 1.0;
texture tex0;
texture tex1;
sampler2D s0 = sampler_state { Texture = <tex0>; MinFilter = Linear; MagFilter = Linear; AddressU = Clamp; AddressV = Clamp; };
sampler2D s1 = sampler_state { Texture = <tex1>; MinFilter = Linear; MagFilter = Linear; AddressU = Clamp; AddressV = Clamp; };

struct VS_IN { float3 pos : POSITION; float3 normal : NORMAL; float2 uv : TEXCOORD0; };
struct VS_OUT { float4 pos : POSITION; float2 uv : TEXCOORD0; };

VS_OUT VS(VS_IN i) {
    VS_OUT o;
    o.pos = mul(float4(i.pos, 1), matProjection);
    o.uv = i.uv;
    return o;
}

float4 PS_Glow(VS_OUT i) : COLOR0 {
    float3 soft = tex2D(s1, i.uv).rgb;
    return float4(tex2D(s0, i.uv).rgb + soft * soft * saturate(radius * 0.25), 1);
}

float4 PS_Mix(VS_OUT i) : COLOR0 {
    return float4(lerp(tex2D(s0, i.uv).rgb, tex2D(s1, i.uv).rgb, saturate(radius * 0.2)), 1);
}

float4 PS_Screen(VS_OUT i) : COLOR0 {
    float3 a = tex2D(s0, i.uv).rgb;
    float3 b = tex2D(s1, i.uv).rgb * saturate(radius * 0.3);
    return float4(1.0 - (1.0 - a) * (1.0 - b), 1);
}

technique Combine {
    pass p0 { VertexShader = compile vs_3_0 VS(); PixelShader = compile ps_3_0 PS_Glow(); }
    pass p1 { VertexShader = compile vs_3_0 VS(); PixelShader = compile ps_3_0 PS_Mix(); }
    pass p2 { VertexShader = compile vs_3_0 VS(); PixelShader = compile ps_3_0 PS_Screen(); }
}
