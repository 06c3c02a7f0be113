// Any bytes read as a mesh file are either refused with a reason or give a mesh whose indices stay
// inside its vertices; loading them through Mesh::LoadFromFile on a recording device never crashes,
// and the loaded mesh samples its local transform at any time.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>

#include "resources/mesh.h"
#include "resources/mesh_file.h"
#include "scratch_file.h"
#include "support/recording_device.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MeshFileContents file;
    std::string reason;
    if (!ParseMeshFile(data, size, file, reason)) {
        if (reason.empty()) __builtin_trap();
    } else {
        if (file.indices.size() != size_t{file.triangleCount} * 3) __builtin_trap();
        if (file.vertices.size() != size_t{file.vertexCount} * file.stride) __builtin_trap();
        for (uint16_t index : file.indices)
            if (index >= file.vertexCount) __builtin_trap();
    }

    vmtest::RecordingDevice device;
    vmtest::ScopedDevice use(&device);
    vmtest::BoxRecorder boxes;
    Mesh mesh;
    mesh.LoadFromFile(ScratchFileWith(data, size));
    mesh.Draw();
    for (uint32_t i = 0; !mesh.IsEmpty() && mesh.indexData && i < mesh.triangleCount * 3; ++i)
        if (mesh.indexData[i] >= mesh.vertexCount) __builtin_trap();
    for (float t : {-1.0f, 0.0f, 0.05f, 1.0f, 1e9f, INFINITY, NAN}) (void)mesh.LocalTransform(t);
    return 0;
}
