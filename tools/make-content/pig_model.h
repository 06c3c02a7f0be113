// pig_model: the generated pig as six meshes (eyes, body, jaw, nostrils, nose ring, tusks).
//
// The pig stands on y = 0 with +y up, about two units long along x, snout towards +x, centred on
// x = z = 0. Each part is stored around its own centre; `placement` is that centre, written as the
// mesh's single position key so that the six meshes assemble into one pig.
#pragma once

#include <string>
#include <vector>

#include "mesh_builder.h"

namespace content {

struct PigPart {
    std::string path;  // relative path in the data folder
    TriMesh mesh;      // vertices relative to placement
    V3 placement;
};

// In the order "g1" (eyes) to "g6" (tusks).
std::vector<PigPart> BuildPig();

}  // namespace content
