// Blending, and a matrix set by name placing geometry where Direct3D would.
float4x4 matWVP;
float4 VS(float4 p : POSITION) : POSITION { return mul(p, matWVP); }
float4 Red() : COLOR0 { return float4(1, 0, 0, 0.5); }
float4 Green() : COLOR0 { return float4(0, 1, 0, 1); }
technique T
{
    pass Blend
    {
        VertexShader = compile vs_2_0 VS(); PixelShader = compile ps_2_0 Red();
        AlphaBlendEnable = True; SrcBlend = SrcAlpha; DestBlend = InvSrcAlpha; BlendOp = Add; CullMode = None;
    }
    pass Placed { VertexShader = compile vs_2_0 VS(); PixelShader = compile ps_2_0 Green(); }
}
