// Guassian: a Gaussian blur in one pass, 13 taps on two rings; "radius" scales the ring distance in
// texels of "offset" (the texel size of the full picture).
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
    float3 c = tex2D(s0, i.uv).rgb * 0.20;
    // Inner ring (distance 1), weight 0.12 each.
    c += tex2D(s0, i.uv + d * float2(1, 0)).rgb * 0.12;
    c += tex2D(s0, i.uv + d * float2(-1, 0)).rgb * 0.12;
    c += tex2D(s0, i.uv + d * float2(0, 1)).rgb * 0.12;
    c += tex2D(s0, i.uv + d * float2(0, -1)).rgb * 0.12;
    // Outer ring (distance 2, diagonals), weight 0.04 each.
    c += tex2D(s0, i.uv + d * float2(2, 0)).rgb * 0.04;
    c += tex2D(s0, i.uv + d * float2(-2, 0)).rgb * 0.04;
    c += tex2D(s0, i.uv + d * float2(0, 2)).rgb * 0.04;
    c += tex2D(s0, i.uv + d * float2(0, -2)).rgb * 0.04;
    c += tex2D(s0, i.uv + d * float2(1.4, 1.4)).rgb * 0.04;
    c += tex2D(s0, i.uv + d * float2(-1.4, 1.4)).rgb * 0.04;
    c += tex2D(s0, i.uv + d * float2(1.4, -1.4)).rgb * 0.04;
    c += tex2D(s0, i.uv + d * float2(-1.4, -1.4)).rgb * 0.04;
    return float4(c, 1);
}

technique Blur {
    pass p0 { VertexShader = compile vs_3_0 VS(); PixelShader = compile ps_3_0 PS(); }
}
