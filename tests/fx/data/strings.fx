// String globals and annotations, as tools of the time wrote them: read by nothing here. A
// Direct3D 10 technique beside the Direct3D 9 one is skipped.
string Description = "a file with strings";
string XFile < string UIName = "Mesh"; > = "teapot.x";
float Script : STANDARDSGLOBAL < string UIWidget = "none"; string ScriptClass = "object"; > = 0.8;
float4 tint < string UIName = "Tint"; string UIWidget = "Color"; > = {0, 1, 0, 1};
texture diffuse < string ResourceName = "default.dds"; string ResourceType = "2D"; >;
float4 VS(float4 p : POSITION) : POSITION { return p; }
float4 PS() : COLOR0 { return Script == 0.8 ? tint : 0; }
technique T < string Script = "Pass=p0;"; >
{
    pass p0 < string Script = "Draw=geometry;"; >
    {
        VertexShader = compile vs_2_0 VS();
        PixelShader = compile ps_2_0 PS();
    }
}
technique10 T10 { pass p0 { SetVertexShader(CompileShader(vs_4_0, VS())); SetPixelShader(NULL); } }
