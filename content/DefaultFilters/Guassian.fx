// Guassian: a Gaussian-like blur in one pass of five taps: the centre and four bilinear taps on a
// pinwheel about 1.3 texels out (each tap averages a 2 x 2 patch, so few taps cover a 5 x 5 area);
// "radius" scales the distance in texels of "offset" (the texel size of the full picture).
float4x4 matProjection;
float2 offset = {0.00078125, 0.00138889};
float radius = 1.0;
texture tex0;
sampler2D s0 = sampler_state { Texture = <tex0>; MinFilter = Linear; MagFilter = Linear; AddressU = Clamp; AddressV = Clamp; };

struct VS_IN { float3 pos : POSITION; float3 normal : NORMAL; float2 uv : TEXCOORD0; };
struct VS_OUT { float4 pos : POSITION; float2 uv : TEXCOORD0; };

VS_OUT VS(VS_IN i) {
    VS_OUT o;
    o.pos = mul(float4(i.pos, 1), matProjection);
    o.uv = i.uv;
    return o;
}

float4 PS(VS_OUT i) : COLOR0 {
    float2 d = offset * radius;
    float3 c = tex2D(s0, i.uv).rgb * 0.28;
    c += tex2D(s0, i.uv + d * float2(1.25, 0.45)).rgb * 0.18;
    c += tex2D(s0, i.uv + d * float2(-0.45, 1.25)).rgb * 0.18;
    c += tex2D(s0, i.uv + d * float2(-1.25, -0.45)).rgb * 0.18;
    c += tex2D(s0, i.uv + d * float2(0.45, -1.25)).rgb * 0.18;
    return float4(c, 1);
}

technique Blur {
    pass p0 { VertexShader = compile vs_3_0 VS(); PixelShader = compile ps_3_0 PS(); }
}
