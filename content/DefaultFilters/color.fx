// color: a solid colour, for the border line under the picture.
float4x4 matProjection;
float4 BorderColor = {1.0, 0.55, 0.75, 1.0};

struct VS_IN { float3 pos : POSITION; float3 normal : NORMAL; float2 uv : TEXCOORD0; };
struct VS_OUT { float4 pos : POSITION; };

VS_OUT VS(VS_IN i) {
    VS_OUT o;
    o.pos = mul(float4(i.pos, 1), matProjection);
    return o;
}

float4 PS() : COLOR0 { return BorderColor; }

technique Solid {
    pass p0 { VertexShader = compile vs_3_0 VS(); PixelShader = compile ps_3_0 PS(); }
}
