#include "resources/mesh_proxy.h"

MeshProxy::~MeshProxy() {
    Release();
}

void MeshProxy::Release() {
    ReleaseAll([](Mesh* mesh) {
        mesh->Release();
        delete mesh;
    });
}

void MeshProxy::Load(ParameterList list) {
    Walk(list, "Check Your Parameter List", "MeshProxy", [](const char* path, const char*) {
        auto* mesh = new Mesh;
        mesh->LoadFromFile(path);
        return mesh;
    });
}
