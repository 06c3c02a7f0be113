#include "mesh_writer.h"

#include <fstream>

namespace meshfile {
namespace {

constexpr size_t kGapAfterVertices = 13;  // 1 byte + three 32-bit values

template <typename T>
void Append(std::vector<uint8_t>& out, const T& value) {
    const auto* p = reinterpret_cast<const uint8_t*>(&value);
    out.insert(out.end(), p, p + sizeof(T));
}

}  // namespace

std::vector<uint8_t> SerializeMeshFile(const MeshFile& mesh) {
    std::vector<uint8_t> out;
    Append(out, uint32_t(0));
    for (int i = 0; i < 16; ++i) Append(out, float(i % 5 == 0 ? 1.0f : 0.0f));  // identity, unused
    Append(out, uint32_t(0));
    Append(out, mesh.triangleCount);
    Append(out, mesh.vertexCount);
    Append(out, mesh.stride);
    Append(out, mesh.formatBits);
    for (uint16_t index : mesh.indices) Append(out, index);
    out.insert(out.end(), mesh.vertexBytes.begin(), mesh.vertexBytes.end());
    out.insert(out.end(), kGapAfterVertices, uint8_t(0));
    const size_t n = mesh.positionKeys.size();
    const bool shared = n != 0 && mesh.rotationKeys.size() == n && mesh.scaleKeys.size() == n;
    Append(out, uint32_t(shared ? n : 0));
    auto block = [&](const auto& keys) {
        if (!shared) Append(out, uint32_t(keys.size()));
        for (const auto& k : keys) Append(out, k);
    };
    block(mesh.positionKeys);
    block(mesh.rotationKeys);
    block(mesh.scaleKeys);
    return out;
}

bool WriteMeshFile(const MeshFile& mesh, const std::string& path, std::string* error) {
    const std::vector<uint8_t> bytes = SerializeMeshFile(mesh);
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (!file ||
        !file.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()))) {
        *error = "cannot write " + path;
        return false;
    }
    return true;
}

}  // namespace meshfile
