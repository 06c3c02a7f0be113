// texture: an image on a quad, faded by "alpha" (the scene blends it over what is there).
float4x4 matWorldViewProjection;
float alpha = 1.0;
texture tex0;
sampler2D s0 = sampler_state { Texture = <tex0>; MinFilter = Linear; MagFilter = Linear; AddressU = Clamp; AddressV = Clamp; };

struct VS_IN { float3 pos : POSITION; float3 normal : NORMAL; float2 uv : TEXCOORD0; };
struct VS_OUT { float4 pos : POSITION; float2 uv : TEXCOORD0; };

VS_OUT VS(VS_IN i) {
    VS_OUT o;
    o.pos = mul(float4(i.pos, 1), matWorldViewProjection);
    o.uv = i.uv;
    return o;
}

float4 PS(VS_OUT i) : COLOR0 {
    float4 c = tex2D(s0, i.uv);
    return float4(c.rgb, c.a * alpha);
}

technique Texture {
    pass p0 { VertexShader = compile vs_3_0 VS(); PixelShader = compile ps_3_0 PS(); }
}
