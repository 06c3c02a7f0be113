// Initial values and sizes that are constant expressions.
#define SIZE 512
static const int COUNT = 3;
static const float2 kOffsets[2] = {0.5, 1, 1.5, 2};
static const float kKernel[2][2] = {1, 2, 3, 4};
float texel = 1.0f / SIZE;
float weights[COUNT] = {1, 2.5 * 2, COUNT};
float3 light = normalize(float3(1, 1, 1));
float4 halved = float4(2, 4, 6, 8) * 0.5;
float mixed = lerp(2, 4, 0.25) + sqrt(16) - max(1, 2) * 2 + (7 / 2);
float4 VS(float4 p : POSITION) : POSITION { return p; }
bool Near(float4 a, float4 b) { return all(abs(a - b) < 0.0001); }
float4 PS() : COLOR0
{
    bool right = Near(texel, 1.0 / 512) && Near(float4(weights[0], weights[1], weights[2], 0), float4(1, 5, 3, 0)) &&
                 Near(float4(light, 0), float4(0.57735, 0.57735, 0.57735, 0)) && Near(halved, float4(1, 2, 3, 4)) &&
                 Near(mixed, 5.5) && Near(float4(kOffsets[1], kKernel[1][0], kKernel[0][1]), float4(1.5, 2, 3, 2));
    return right ? float4(0, 1, 0, 1) : float4(1, 0, 0, 1);
}
technique T { pass P { VertexShader = compile vs_2_0 VS(); PixelShader = compile ps_2_0 PS(); } }
