// pig: the pig's meshes. Pass 0 lit body, 1 textured eyes, 2 body fading to black beyond FogEnd,
// 3 eyes fading beyond FadeEnd. Render states are left to the scene.
float4x4 matWorldViewProjection;
float4x4 matWorldView;
float4x4 matWorld;
float3 CameraPosition = {0, 2, -5};
float4 DiffuseColor = {1, 1, 1, 0};
float FogEnd = 50.0;
float FadeEnd = 200.0;
texture tex0;
sampler2D s0 = sampler_state { Texture = <tex0>; MinFilter = Linear; MagFilter = Linear; AddressU = Clamp; AddressV = Clamp; };

struct VS_IN { float3 pos : POSITION; float3 normal : NORMAL; float2 uv : TEXCOORD0; };
struct VS_OUT {
    float4 pos : POSITION;
    float2 uv : TEXCOORD0;
    float3 normal : TEXCOORD1;
    float3 world : TEXCOORD2;
    float dist : TEXCOORD3;
};

VS_OUT VS(VS_IN i) {
    VS_OUT o;
    o.pos = mul(float4(i.pos, 1), matWorldViewProjection);
    o.uv = i.uv;
    o.normal = mul(float4(i.normal, 0), matWorld).xyz;
    o.world = mul(float4(i.pos, 1), matWorld).xyz;
    o.dist = length(mul(float4(i.pos, 1), matWorldView).xyz);
    return o;
}

// Soft key light from above and in front, a warm fill, rim light and a small highlight.
float3 Shade(float3 albedo, float3 normal, float3 world) {
    float3 n = normalize(normal);
    float3 l = normalize(float3(0.35, 0.85, -0.4));
    float3 v = normalize(CameraPosition - world);
    float wrapped = saturate(dot(n, l) * 0.6 + 0.4);
    float fill = saturate(-n.y * 0.5 + 0.5) * 0.15;
    // Powers by multiplication: the software rasteriser turns pow() into exp2(log2()).
    float facing = 1.0 - saturate(dot(n, v));
    float rim = facing * facing * facing * 0.35;
    float h = saturate(dot(n, normalize(l + v)));
    float h2 = h * h;
    float h8 = h2 * h2 * h2 * h2;
    float shine = h8 * h8 * h8 * 0.3;
    return albedo * (0.25 + 0.85 * wrapped + fill) + (rim + shine) * float3(1.0, 0.92, 0.88);
}

float4 PS_Body(VS_OUT i) : COLOR0 { return float4(Shade(DiffuseColor.rgb, i.normal, i.world), 1); }
float4 PS_Eyes(VS_OUT i) : COLOR0 { return float4(Shade(tex2D(s0, i.uv).rgb * 0.8, i.normal, i.world), 1); }
float4 PS_BodyFog(VS_OUT i) : COLOR0 {
    float keep = saturate((FogEnd - i.dist) / (FogEnd * 0.5 + 0.001));
    return float4(Shade(DiffuseColor.rgb, i.normal, i.world) * keep, 1);
}
float4 PS_EyesFade(VS_OUT i) : COLOR0 {
    float keep = saturate((FadeEnd - i.dist) / (FadeEnd * 0.5 + 0.001));
    return float4(Shade(tex2D(s0, i.uv).rgb * 0.8, i.normal, i.world) * keep, 1);
}

technique Pig {
    pass p0 { VertexShader = compile vs_3_0 VS(); PixelShader = compile ps_3_0 PS_Body(); }
    pass p1 { VertexShader = compile vs_3_0 VS(); PixelShader = compile ps_3_0 PS_Eyes(); }
    pass p2 { VertexShader = compile vs_3_0 VS(); PixelShader = compile ps_3_0 PS_BodyFog(); }
    pass p3 { VertexShader = compile vs_3_0 VS(); PixelShader = compile ps_3_0 PS_EyesFade(); }
}
