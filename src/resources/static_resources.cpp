// Definition order is construction order (reverse for destruction): keep it.
#include "resources/static_resources.h"

RenderTexture sceneTarget;
RenderTexture workTarget;
RenderTexture spareTarget0;
RenderTexture spareTarget1;
RenderTexture spareTarget2;
RenderTexture spareTarget3;
RenderTexture halfTargetB;
RenderTexture halfTargetA;
RenderTexture quarterTarget;

Mesh renderQuad;
Mesh screenQuad;
Mesh borderStrip;
Mesh unusedQuad;

Effect filterEffects;
DTexture dtexture;
TextureStack textures;
MeshProxy meshes;
Effect sceneEffects;

Mesh floorQuad;
Mesh backdropQuad;
