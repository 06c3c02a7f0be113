// Full-screen Gaussian blur along "offset", scaled by "radius".
float4x4 matProjection;
float2 offset = {0.0015625, 0.0027778};
float radius = 1.5;

texture tex0;
sampler source = sampler_state
{
    Texture = (tex0);
    MinFilter = Linear;
    MagFilter = Linear;
    AddressU = Clamp;
    AddressV = Clamp;
};

struct VS_OUTPUT
{
    float4 position : POSITION;
    float2 uv : TEXCOORD0;
};

VS_OUTPUT QuadVS(float4 position : POSITION, float2 uv : TEXCOORD0)
{
    VS_OUTPUT o;
    o.position = mul(position, matProjection);
    o.uv = float2(uv.x, 1.0 - uv.y);
    return o;
}

static const float weights[5] = {0.227027, 0.1945946, 0.1216216, 0.054054, 0.016216};

float4 GaussianPS(float2 uv : TEXCOORD0) : COLOR0
{
    float4 sum = tex2D(source, uv) * weights[0];
    for (int i = 1; i < 5; ++i)
    {
        float2 step = offset * radius * i;
        sum += tex2D(source, uv + step) * weights[i];
        sum += tex2D(source, uv - step) * weights[i];
    }
    return sum;
}

technique Gaussian
{
    pass P0
    {
        VertexShader = compile vs_2_0 QuadVS();
        PixelShader = compile ps_2_0 GaussianPS();
        AlphaBlendEnable = False;
        CullMode = None;
        ZEnable = False;
    }
}
