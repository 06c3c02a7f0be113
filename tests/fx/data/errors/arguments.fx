float4 PS(uniform float4 c) : COLOR { return c; }
technique T { pass P {
 PixelShader = compile ps_2_0 PS(undefinedName); } }
