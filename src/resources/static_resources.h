// The rendering resource objects of static storage duration. All are defined in one translation
// unit so that they are constructed in exactly this order before main and destroyed in reverse
// order after it; destroying them is safe whether or not the device was ever created.
#pragma once

#include "resources/dtexture.h"
#include "resources/effect_registry.h"
#include "resources/mesh.h"
#include "resources/mesh_proxy.h"
#include "resources/render_texture.h"
#include "resources/texture_stack.h"

// Render textures, created by the filter set-up.
extern RenderTexture sceneTarget;  // full size; the scenes draw into it
extern RenderTexture workTarget;   // full size
extern RenderTexture spareTarget0;
extern RenderTexture spareTarget1;
extern RenderTexture spareTarget2;
extern RenderTexture spareTarget3;
extern RenderTexture halfTargetB;
extern RenderTexture halfTargetA;
extern RenderTexture quarterTarget;

// Grid meshes of the filter set-up.
extern Mesh renderQuad;
extern Mesh screenQuad;
extern Mesh borderStrip;
extern Mesh unusedQuad;

extern Effect filterEffects;
extern DTexture dtexture;
extern TextureStack textures;
extern MeshProxy meshes;
extern Effect sceneEffects;

// Grid meshes of the scene asset set-up.
extern Mesh floorQuad;
extern Mesh backdropQuad;
