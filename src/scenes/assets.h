// The scene assets: the floor and backdrop quads, the six pig meshes, four textures and the three
// scene effects, loaded once after the filter set-up into the static registries.
#pragma once

#include "resources/registry.h"

void LoadScene();

// The file/name lists LoadScene loads into meshes, textures and sceneEffects.
ParameterList SceneMeshFiles();
ParameterList SceneTextureFiles();
ParameterList SceneEffectFiles();
