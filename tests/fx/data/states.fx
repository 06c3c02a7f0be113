// Render states beyond blending and depth, fixed-function states, indexed states, #if in blocks,
// two-sided stencil.
#define MARK 1
texture green;
texture red;
sampler2D slot0 : register(s0);
sampler2D border = sampler_state
{
    Texture = <red>;
#ifdef NO_BORDER
    AddressU = Clamp;
    AddressV = Clamp;
#else
    AddressU = Border;
    AddressV = Border;
#endif
    BorderColor = 0xFF00FF00;
};
float alpha = 0.25;
float4 VS(float4 p : POSITION) : POSITION { return p; }
float4 Green() : COLOR0 { return float4(0, 1, 0, alpha); }
float4 White() : COLOR0 { return 1; }
float4 Slot() : COLOR0 { return tex2D(slot0, float2(0.5, 0.5)); }
float4 Border() : COLOR0 { return tex2D(border, float2(2, 2)); }
technique T
{
    pass Mark
    {
        VertexShader = compile vs_2_0 VS(); PixelShader = compile ps_2_0 Green();
        StencilEnable = true; StencilFunc = Always; StencilPass = Replace; StencilRef = MARK;
        StencilMask = 0xFF; StencilWriteMask = 0xFF; ColorWriteEnable = 0;
        Lighting = false; FogEnable = false; MaterialDiffuse = float4(1, 1, 1, 1);
        LightEnable[0] = true; ColorOp[0] = Modulate; ShadeMode = Gouraud;
    }
    pass OtherMark
    {
        VertexShader = compile vs_2_0 VS(); PixelShader = compile ps_2_0 Green();
        StencilEnable = true; StencilFunc = Equal; StencilRef = 2; StencilPass = Keep;
    }
#if MARK == 2
    pass Skipped { VertexShader = compile vs_2_0 Missing(); PixelShader = compile ps_2_0 Missing(); }
#endif
    pass Marked
    {
        VertexShader = compile vs_2_0 VS(); PixelShader = compile ps_2_0 White();
        StencilEnable = true; StencilFunc = Equal; StencilRef = MARK; ColorWriteEnable = Green | Alpha;
    }
    pass AlphaTested
    {
        VertexShader = compile vs_2_0 VS(); PixelShader = compile ps_2_0 Green();
        AlphaTestEnable = true; AlphaFunc = Greater; AlphaRef = 0x80;
    }
    pass AlphaPassed
    {
        VertexShader = compile vs_2_0 VS(); PixelShader = compile ps_2_0 Green();
        AlphaTestEnable = true; AlphaFunc = GreaterEqual; AlphaRef = 64;
    }
    pass Wireframe { VertexShader = compile vs_2_0 VS(); PixelShader = compile ps_2_0 Green(); FillMode = Wireframe; CullMode = None; }
    pass Slot
    {
        VertexShader = compile vs_2_0 VS(); PixelShader = compile ps_2_0 Slot();
        Texture[0] = <green>; Sampler[0] = (slot0);
    }
    pass Border { VertexShader = compile vs_2_0 VS(); PixelShader = compile ps_2_0 Border(); }
    // Clockwise faces (the quad) pass, counter-clockwise ones would not.
    pass TwoSided
    {
        VertexShader = compile vs_2_0 VS(); PixelShader = compile ps_2_0 Green();
        StencilEnable = true; TwoSidedStencilMode = true; StencilFunc = Always; CCW_StencilFunc = Never;
    }
}
