// Two textures through two samplers, each with its own filtering and addressing.
texture tex0;
texture tex1;
sampler first = sampler_state { Texture = <tex0>; MinFilter = Point; MagFilter = Linear; AddressU = Mirror; AddressV = Border; AddressW = MirrorOnce; };
sampler2D second = sampler_state { Texture = (tex1); MinFilter = Linear; MagFilter = Point; AddressU = Clamp; AddressV = Wrap; };
float4 PS(float2 uv : TEXCOORD0) : COLOR { return float4(tex2D(first, uv).r, tex2D(second, uv).g, 0, 1); }
technique T { pass P { PixelShader = compile ps_2_0 PS(); } }
