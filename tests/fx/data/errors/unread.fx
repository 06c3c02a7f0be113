float4 VS(float4 p : POSITION) : POSITION { return p; }
float4 PS(float2 t : TEXCOORD3) : COLOR { return t.xyxy; }
technique T { pass P { VertexShader = compile vs_2_0 VS(); PixelShader = compile ps_2_0 PS(); } }
