// MeshProxy: the registry of meshes loaded from mesh files. Every pair gets a Mesh, also when its
// file failed to load (the Mesh reports its own failures and then draws nothing).
#pragma once

#include "resources/mesh.h"
#include "resources/registry.h"

class MeshProxy : public Registry<Mesh> {
  public:
    MeshProxy() = default;
    ~MeshProxy();

    void Load(ParameterList list);
    // Releases and frees every mesh; run at exit by the destructor.
    void Release();
};
