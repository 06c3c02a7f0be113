// The scene assets: the floor and backdrop quads, the six pig meshes, four textures and the three
// scene effects, loaded once after the filter set-up into the static registries.
#pragma once

void LoadScene();
