#include "scenes/assets.h"

#include "resources/grid.h"
#include "resources/static_resources.h"

namespace {

// The live mode reloads single entries of these lists (SceneFileLists).
const char* const kMeshFiles[] = {"vessmark/gris/h.SCENEauge2_3.mesh",
                                  "g1",  //
                                  "vessmark/gris/gris.SCENEgrismesh_1.mesh",
                                  "g2",  //
                                  "vessmark/gris/gris.SCENEkjeft_0.mesh",
                                  "g3",  //
                                  "vessmark/gris/gris.SCENEnasabor_7.mesh",
                                  "g4",  //
                                  "vessmark/gris/gris.SCENEring_2.mesh",
                                  "g5",  //
                                  "vessmark/gris/gris.SCENEtann_8.mesh",
                                  "g6",  //
                                  nullptr};

const char* const kTextureFiles[] = {"vessmark/gris/augetext.JPG",
                                     "eyes",  //
                                     "vessmark/data/dama.png",
                                     "dama",  //
                                     "vessmark/data/bg.png",
                                     "bg",  //
                                     "vessmark/data/demo.png",
                                     "demo",  //
                                     nullptr};

const char* const kEffectFiles[] = {"vessmark/shaders/pig.fx",
                                    "pig",  //
                                    "vessmark/shaders/floor.fx",
                                    "floor",  //
                                    "vessmark/shaders/texture.fx",
                                    "texture",  //
                                    nullptr};

}  // namespace

ParameterList SceneMeshFiles() {
    return kMeshFiles;
}
ParameterList SceneTextureFiles() {
    return kTextureFiles;
}
ParameterList SceneEffectFiles() {
    return kEffectFiles;
}

void LoadScene() {
    GenerateGrid(floorQuad, 2, 2, 800.0f, 600.0f, -400.0f, -300.0f);
    GenerateGrid(backdropQuad, 2, 2, 800.0f, 450.0f, -400.0f, -225.0f);
    meshes.Load(kMeshFiles);
    textures.Load(kTextureFiles);
    sceneEffects.Load(kEffectFiles);
}
