#include "mesh_file.h"

#include <cstring>
#include <fstream>
#include <iterator>

namespace meshfile {
namespace {

constexpr FormatElement kElements[10] = {
    {0, "position", 12},  {1, "normal", 12},    {2, "texcoord2", 8},   {3, "tangent", 12},
    {4, "binormal", 12},  {5, "color", 12},     {6, "blendweight", 4}, {7, "texcoord3", 12},
    {8, "texcoord3", 12}, {9, "texcoord3", 12},
};
constexpr size_t kHeaderSize = 86;        // up to and including the format bits
constexpr size_t kGapAfterVertices = 13;  // 1 byte + three 32-bit values

// Bounds-checked little-endian reader over a byte image.
class Cursor {
  public:
    explicit Cursor(const std::vector<uint8_t>& bytes) : bytes_(bytes) {}
    size_t left() const { return bytes_.size() - pos_; }
    bool skip(size_t n) {
        if (left() < n) return false;
        pos_ += n;
        return true;
    }
    template <typename T>
    bool read(T* out) {
        if (left() < sizeof(T)) return false;
        std::memcpy(out, bytes_.data() + pos_, sizeof(T));
        pos_ += sizeof(T);
        return true;
    }
    bool readBytes(void* out, size_t n) {
        if (left() < n) return false;
        if (n) std::memcpy(out, bytes_.data() + pos_, n);
        pos_ += n;
        return true;
    }

  private:
    const std::vector<uint8_t>& bytes_;
    size_t pos_ = 0;
};

template <typename Key>
bool ReadKeyBlock(Cursor& in, uint32_t shared, std::vector<Key>* keys, const char* what,
                  std::string* error) {
    uint32_t count = shared;
    if (count == 0 && !in.read(&count)) {
        *error = std::string("file ends before the ") + what + " key count";
        return false;
    }
    if (uint64_t(count) * sizeof(Key) > in.left()) {
        *error = std::string("file too short for ") + std::to_string(count) + " " + what + " keys";
        return false;
    }
    keys->resize(count);
    return in.readBytes(keys->data(), size_t(count) * sizeof(Key));
}

template <typename T>
void Append(std::vector<uint8_t>& out, const T& value) {
    const auto* p = reinterpret_cast<const uint8_t*>(&value);
    out.insert(out.end(), p, p + sizeof(T));
}

}  // namespace

std::vector<FormatElement> ElementsOf(uint16_t formatBits) {
    std::vector<FormatElement> out;
    for (int bit = 0; bit < 16; ++bit) {
        if (!(formatBits & (1u << bit))) continue;
        if (bit < 10)
            out.push_back(kElements[bit]);
        else
            out.push_back({bit, "unknown", 0});
    }
    return out;
}

uint32_t PackedStride(uint16_t formatBits) {
    uint32_t sum = 0;
    for (const auto& e : ElementsOf(formatBits)) sum += e.size;
    return sum;
}

bool ReadMeshFile(const std::vector<uint8_t>& bytes, MeshFile* mesh, std::string* error) {
    *mesh = MeshFile{};
    Cursor in(bytes);
    if (bytes.size() < kHeaderSize) {
        *error =
            "file is " + std::to_string(bytes.size()) + " bytes, shorter than the 86-byte header";
        return false;
    }
    in.skip(72);
    in.read(&mesh->triangleCount);
    in.read(&mesh->vertexCount);
    in.read(&mesh->stride);
    in.read(&mesh->formatBits);
    if (mesh->stride % 4 != 0) {
        *error = "stride " + std::to_string(mesh->stride) + " is not a multiple of 4";
        return false;
    }
    const uint64_t indexBytes = uint64_t(mesh->triangleCount) * 6;
    const uint64_t vertexBytes = uint64_t(mesh->vertexCount) * mesh->stride;
    if (indexBytes + vertexBytes + kGapAfterVertices + 4 > in.left()) {
        *error = "file too short for " + std::to_string(mesh->triangleCount) + " triangles and " +
                 std::to_string(mesh->vertexCount) + " vertices of " +
                 std::to_string(mesh->stride) + " bytes";
        return false;
    }
    mesh->indices.resize(size_t(mesh->triangleCount) * 3);
    in.readBytes(mesh->indices.data(), size_t(indexBytes));
    mesh->vertexBytes.resize(size_t(vertexBytes));
    in.readBytes(mesh->vertexBytes.data(), size_t(vertexBytes));
    in.skip(kGapAfterVertices);
    uint32_t keyCount = 0;
    in.read(&keyCount);
    return ReadKeyBlock(in, keyCount, &mesh->positionKeys, "position", error) &&
           ReadKeyBlock(in, keyCount, &mesh->rotationKeys, "rotation", error) &&
           ReadKeyBlock(in, keyCount, &mesh->scaleKeys, "scale", error);
}

bool ReadMeshFileFromPath(const std::string& path, MeshFile* mesh, std::string* error) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        *error = "cannot open " + path;
        return false;
    }
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)),
                               std::istreambuf_iterator<char>());
    if (!ReadMeshFile(bytes, mesh, error)) {
        *error = path + ": " + *error;
        return false;
    }
    return true;
}

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

float VertexFloat(const MeshFile& mesh, uint32_t vertex, uint32_t offset) {
    float value;
    std::memcpy(&value, mesh.vertexBytes.data() + size_t(vertex) * mesh.stride + offset, 4);
    return value;
}

}  // namespace meshfile
