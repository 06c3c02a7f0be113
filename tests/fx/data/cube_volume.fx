// Cube and volume textures; a plain sampler takes the kind of its texture.
textureCUBE sky;
texture3D fog;
sampler skySampler = sampler_state { Texture = <sky>; };
sampler3D fogSampler = sampler_state { Texture = <fog>; MinFilter = Point; MagFilter = Point; };
float4 VS(float4 p : POSITION) : POSITION { return p; }
float4 Cube() : COLOR0 { return texCUBE(skySampler, float3(0, 0, -1)); }
float4 Volume() : COLOR0 { return tex3D(fogSampler, float3(0.5, 0.5, 0.8)); }
technique T
{
    pass Cube { VertexShader = compile vs_2_0 VS(); PixelShader = compile ps_2_0 Cube(); }
    pass Volume { VertexShader = compile vs_2_0 VS(); PixelShader = compile ps_2_0 Volume(); }
}
