// NearestEgde: Sobel edges of the picture's brightness, added as warm lines; "power" sets their
// strength (0 leaves the picture as it is) and darkens the rest a little.
float4x4 matProjection;
float2 offset = {0.00078125, 0.00138889};
float power = 1.0;
texture tex0;
sampler2D s0 = sampler_state { Texture = <tex0>; MinFilter = Point; MagFilter = Point; AddressU = Clamp; AddressV = Clamp; };

struct VS_IN { float3 pos : POSITION; float3 normal : NORMAL; float2 uv : TEXCOORD0; };
struct VS_OUT { float4 pos : POSITION; float2 uv : TEXCOORD0; };

VS_OUT VS(VS_IN i) {
    VS_OUT o;
    o.pos = mul(float4(i.pos, 1), matProjection);
    o.uv = i.uv;
    return o;
}

float Luma(float2 uv) { return dot(tex2D(s0, uv).rgb, float3(0.299, 0.587, 0.114)); }

float4 PS(VS_OUT i) : COLOR0 {
    float2 o = offset;
    float tl = Luma(i.uv + float2(-o.x, -o.y)), t = Luma(i.uv + float2(0, -o.y)), tr = Luma(i.uv + float2(o.x, -o.y));
    float l = Luma(i.uv + float2(-o.x, 0)), r = Luma(i.uv + float2(o.x, 0));
    float bl = Luma(i.uv + float2(-o.x, o.y)), b = Luma(i.uv + float2(0, o.y)), br = Luma(i.uv + float2(o.x, o.y));
    float gx = (tr + 2 * r + br) - (tl + 2 * l + bl);
    float gy = (bl + 2 * b + br) - (tl + 2 * t + tr);
    float edge = saturate(sqrt(gx * gx + gy * gy) * power);
    float3 c = tex2D(s0, i.uv).rgb * (1.0 - 0.35 * saturate(power * 0.5));
    return float4(c + edge * float3(1.0, 0.75, 0.85), 1);
}

technique Edge {
    pass p0 { VertexShader = compile vs_3_0 VS(); PixelShader = compile ps_3_0 PS(); }
}
