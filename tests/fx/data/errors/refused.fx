technique T { pass P {
 PixelShader = compile vs_2_0 PS(); } }
