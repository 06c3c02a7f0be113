// Two textures through two samplers, each with its own filtering and addressing, and the device's
// texture stage 1 through a sampler with a register and no texture.
texture tex0;
texture tex1;
sampler first = sampler_state { Texture = <tex0>; MinFilter = Point; MagFilter = Linear; AddressU = Mirror; AddressV = Border; AddressW = MirrorOnce; };
sampler2D second = sampler_state { Texture = (tex1); MinFilter = Linear; MagFilter = Point; AddressU = Clamp; AddressV = Wrap; };
sampler2D stage : register(s1);
float4 PS(float2 uv : TEXCOORD0) : COLOR { return float4(tex2D(first, uv).r, tex2D(second, uv).g, tex2D(stage, uv).b, 1); }
technique T { pass P { PixelShader = compile ps_2_0 PS(); } }
