// floor: a translucent, tiled floor (blending is set by the scene); tiles fade out with distance.
float4x4 matWorldViewProjection;
float4 FloorColor = {0.10, 0.12, 0.22, 0.55};
float4 TileColor = {0.30, 0.22, 0.40, 0.65};
float Tiles = 300.0;

struct VS_IN { float3 pos : POSITION; float3 normal : NORMAL; float2 uv : TEXCOORD0; };
struct VS_OUT { float4 pos : POSITION; float2 uv : TEXCOORD0; float depth : TEXCOORD1; };

VS_OUT VS(VS_IN i) {
    VS_OUT o;
    o.pos = mul(float4(i.pos, 1), matWorldViewProjection);
    o.uv = i.uv;
    o.depth = o.pos.w;
    return o;
}

float4 PS(VS_OUT i) : COLOR0 {
    float2 cell = frac(i.uv * Tiles);
    float2 edge = min(cell, 1.0 - cell);
    float grid = 1.0 - saturate(min(edge.x, edge.y) * 25.0);
    float closeness = saturate(1.0 - i.depth / 60.0);
    return lerp(FloorColor, TileColor, grid * closeness);
}

technique Floor {
    pass p0 { VertexShader = compile vs_3_0 VS(); PixelShader = compile ps_3_0 PS(); }
}
