#include "resources/mesh.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "display/device_globals.h"
#include "display/report_d3d_error.h"
#include "platform/ui/ui.h"
#include "resources/mesh_file.h"
#include "resources/release_interface.h"
#include "scene_core/matrix.h"

namespace {

template <class T>
void TakeKeys(KeyTrack<T>& to, KeyTrack<T>& from) {
    to.keys = std::move(from.keys);
    to.count = from.count;
    from.count = 0;
}

void RefuseMeshFile(const char* path, const std::string& reason) {
    const std::string text = std::string(path) + ": " + reason;
    ui::MessageBox(text.c_str(), "MeshFile");
}

}  // namespace

Mesh::~Mesh() {
    Release();
    rotationKeys.Clear();
    scaleKeys.Clear();
    positionKeys.Clear();
}

void Mesh::Release() {
    ReleaseInterface(vertexBuffer);
    ReleaseInterface(indexBuffer);
    ReleaseInterface(declaration);
    indexData.reset();
    vertexData.reset();
    vertexData2.reset();
}

bool BuildVertexDeclaration(uint16_t formatBits, gfx::VertexDeclaration** declaration) {
    std::vector<gfx::VertexElement> elements = VertexElementsOf(formatBits);
    // Bits 10..15 describe no element: say so once per bit, counting the elements of lower bits.
    for (int bit = 10; bit < 16; ++bit) {
        if (!(formatBits & (1u << bit))) continue;
        int before = 0;
        for (int lower = 0; lower < 10; ++lower) before += (formatBits >> lower) & 1;
        ui::MessageBox("There's something very wrong", "VertexDecl");
        std::printf("vertexdecl bit[%d]\n", before);
    }
    elements.push_back(gfx::D3DDECL_END);
    const gfx::HRESULT result =
        g_device != nullptr ? g_device->CreateVertexDeclaration(elements.data(), declaration)
                            : gfx::D3DERR_INVALIDCALL;
    if (gfx::Failed(result)) {
        ReportD3DError(result, "VertexDecl", "Pellic");
        return false;
    }
    return true;
}

void Mesh::LoadFromFile(const char* path) {
    std::vector<uint8_t> bytes;
    std::string reason;
    bool opened = false;
    if (!ReadWholeFile(path, kMaxMeshFileBytes, bytes, reason, opened)) {
        if (!opened) {
            ui::MessageBox(path, "Failed To Open The MeshFile");
        } else {
            RefuseMeshFile(path, reason);
        }
        return;
    }
    MeshFileContents file;
    if (!ParseMeshFile(bytes.data(), bytes.size(), file, reason)) {
        RefuseMeshFile(path, reason);
        return;
    }
    bytes = {};
    // A stride the vertex stream cannot take would draw with another mesh's layout.
    gfx::Caps caps;
    if (g_d3d != nullptr &&
        !gfx::Failed(g_d3d->GetDeviceCaps(gfx::D3DADAPTER_DEFAULT, gfx::D3DDEVTYPE_HAL, &caps)) &&
        file.stride > caps.MaxStreamStride) {
        RefuseMeshFile(path, "stride " + std::to_string(file.stride) +
                                 " is more than the device's vertex stream takes (" +
                                 std::to_string(caps.MaxStreamStride) + " bytes)");
        return;
    }

    BuildVertexDeclaration(file.formatBits, &declaration);  // loading goes on without it
    triangleCount = file.triangleCount;
    vertexCount = file.vertexCount;
    stride = file.stride;
    if (g_device == nullptr) {
        ReportD3DError(gfx::D3DERR_INVALIDCALL, "IndexBuffer", path);
        return;
    }

    const uint32_t indexBytes = triangleCount * 6;
    gfx::HRESULT result =
        g_device->CreateIndexBuffer(indexBytes, gfx::D3DUSAGE_WRITEONLY, gfx::D3DFMT_INDEX16,
                                    gfx::D3DPOOL_MANAGED, &indexBuffer);
    if (gfx::Failed(result)) {
        ReportD3DError(result, "IndexBuffer", path);
        return;
    }
    const uint32_t vertexBytes = vertexCount * stride;
    result =
        g_device->CreateVertexBuffer(vertexBytes, gfx::D3DUSAGE_DYNAMIC | gfx::D3DUSAGE_WRITEONLY,
                                     0, gfx::D3DPOOL_DEFAULT, &vertexBuffer);
    if (gfx::Failed(result)) {
        ReportD3DError(result, "VertexBuffer", path);
        return;
    }

    indexData = std::make_unique<uint16_t[]>(file.indices.size());
    if (indexBytes != 0) std::memcpy(indexData.get(), file.indices.data(), indexBytes);
    void* locked = nullptr;
    if (!gfx::Failed(indexBuffer->Lock(0, 0, &locked, 0)) && locked != nullptr) {
        if (indexBytes != 0) std::memcpy(locked, indexData.get(), indexBytes);
        indexBuffer->Unlock();
    }
    locked = nullptr;
    if (!gfx::Failed(vertexBuffer->Lock(0, 0, &locked, gfx::D3DLOCK_DISCARD)) &&
        locked != nullptr) {
        if (vertexBytes != 0) std::memcpy(locked, file.vertices.data(), vertexBytes);
        vertexBuffer->Unlock();
    }
    if (stride == sizeof(MeshVertex)) {
        vertexData = std::make_unique<MeshVertex[]>(vertexCount);
        vertexData2 = std::make_unique<MeshVertex[]>(vertexCount);
        if (vertexBytes != 0) {
            std::memcpy(vertexData.get(), file.vertices.data(), vertexBytes);
            std::memcpy(vertexData2.get(), file.vertices.data(), vertexBytes);
        }
    }
    TakeKeys(positionKeys, file.positionKeys);
    TakeKeys(rotationKeys, file.rotationKeys);
    TakeKeys(scaleKeys, file.scaleKeys);
}

void Mesh::Draw() const {
    if (IsEmpty() || g_device == nullptr) return;
    g_device->SetStreamSource(0, vertexBuffer, 0, stride);
    g_device->SetVertexDeclaration(declaration);
    g_device->SetIndices(indexBuffer);
    g_device->DrawIndexedPrimitive(gfx::D3DPT_TRIANGLELIST, 0, 0, vertexCount, 0, triangleCount);
}

Matrix Mesh::LocalTransform(float time) const {
    if (positionKeys.count == 0 && rotationKeys.count == 0 && scaleKeys.count == 0) {
        return MatrixIdentity();
    }
    const Matrix translation = MatrixTranslation(positionKeys.Sample(time));
    const Matrix rotation = MatrixRotationQuaternion(rotationKeys.Sample(time));
    const Matrix scaling = MatrixScaling(scaleKeys.Sample(time));
    return (scaling * rotation) * translation;
}
