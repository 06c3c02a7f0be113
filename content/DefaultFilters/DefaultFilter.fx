// DefaultFilter: copies tex0 onto a full-screen quad.
float4x4 matProjection;
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

float4 PS(VS_OUT i) : COLOR0 { return float4(tex2D(s0, i.uv).rgb, 1); }

technique Copy {
    pass p0 { VertexShader = compile vs_3_0 VS(); PixelShader = compile ps_3_0 PS(); }
}
