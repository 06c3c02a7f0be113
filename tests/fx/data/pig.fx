// Pig shading: lit body, fogged body, eyes, faded eyes.
float4x4 matWorldViewProjection;
float4x4 matWorldView;
float4x4 matWorld;
float3 CameraPosition = {0.0, 0.0, -10.0};
float4 DiffuseColor = float4(1.0, 0.8, 0.8, 1.0);
float FogEnd = 400.0;
float FadeEnd = 200.0;

texture tex0;
sampler2D skin = sampler_state
{
    Texture = <tex0>;
    MinFilter = Linear;
    MagFilter = Linear;
    MipFilter = Linear;
    AddressU = Wrap;
    AddressV = Wrap;
};

struct VS_INPUT
{
    float4 position : POSITION;
    float3 normal : NORMAL;
    float2 uv : TEXCOORD0;
};

struct VS_OUTPUT
{
    float4 position : POSITION;
    float2 uv : TEXCOORD0;
    float3 normal : TEXCOORD1;
    float3 toEye : TEXCOORD2;
    float depth : TEXCOORD3;
};

VS_OUTPUT BodyVS(VS_INPUT input)
{
    VS_OUTPUT o;
    o.position = mul(input.position, matWorldViewProjection);
    float3 worldPosition = mul(input.position, matWorld).xyz;
    o.normal = normalize(mul(input.normal, (float3x3)matWorld));
    o.toEye = CameraPosition - worldPosition;
    o.depth = mul(input.position, matWorldView).z;
    o.uv = input.uv;
    return o;
}

float4 Lit(VS_OUTPUT input)
{
    float3 n = normalize(input.normal);
    float3 e = normalize(input.toEye);
    float diffuse = saturate(dot(n, e)) * 0.8 + 0.2;
    return tex2D(skin, input.uv) * DiffuseColor * diffuse;
}

float4 BodyPS(VS_OUTPUT input) : COLOR0
{
    return Lit(input);
}

float4 FogPS(VS_OUTPUT input) : COLOR0
{
    float fog = saturate(input.depth / FogEnd);
    float4 c = Lit(input);
    return float4(lerp(c.rgb, float3(0.0, 0.0, 0.0), fog), c.a);
}

float4 EyePS(VS_OUTPUT input) : COLOR0
{
    return DiffuseColor;
}

float4 FadeEyePS(VS_OUTPUT input) : COLOR0
{
    float fade = 1.0 - saturate(input.depth / FadeEnd);
    return float4(DiffuseColor.rgb * fade, DiffuseColor.a);
}

technique Pig
{
    pass Body
    {
        VertexShader = compile vs_2_0 BodyVS();
        PixelShader = compile ps_2_0 BodyPS();
        CullMode = CCW;
        ZEnable = True;
        ZWriteEnable = True;
        ZFunc = LessEqual;
    }
    pass Eyes
    {
        VertexShader = compile vs_2_0 BodyVS();
        PixelShader = compile ps_2_0 EyePS();
        CullMode = CCW;
        ZEnable = True;
    }
    pass FogBody
    {
        VertexShader = compile vs_2_0 BodyVS();
        PixelShader = compile ps_2_0 FogPS();
        CullMode = CCW;
        ZEnable = True;
    }
    pass FadeEyes
    {
        VertexShader = compile vs_2_0 BodyVS();
        PixelShader = compile ps_2_0 FadeEyePS();
        AlphaBlendEnable = True;
        SrcBlend = SrcAlpha;
        DestBlend = InvSrcAlpha;
        BlendOp = Add;
    }
}
