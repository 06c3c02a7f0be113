// Builds mesh files byte by byte for the tests (vmtest::ScratchDir writes them out).
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

class MeshBytes {
  public:
    MeshBytes& U8(uint8_t v) {
        data.push_back(v);
        return *this;
    }
    MeshBytes& U16(uint16_t v) { return U8(v & 0xFF).U8(v >> 8); }
    MeshBytes& U32(uint32_t v) { return U16(v & 0xFFFF).U16(v >> 16); }
    MeshBytes& F(float v) {
        uint32_t bits;
        std::memcpy(&bits, &v, 4);
        return U32(bits);
    }
    MeshBytes& Floats(std::initializer_list<float> values) {
        for (float v : values) F(v);
        return *this;
    }
    // Everything up to and including the format bits.
    MeshBytes& Header(uint32_t triangles, uint32_t vertices, uint32_t stride, uint16_t format) {
        U32(0xDEADBEEF);
        for (int i = 0; i < 16; ++i) F(i == 0 || i == 5 || i == 10 || i == 15 ? 1.0f : 0.0f);
        return U32(7).U32(triangles).U32(vertices).U32(stride).U16(format);
    }
    MeshBytes& Indices(std::initializer_list<uint16_t> indices) {
        for (uint16_t i : indices) U16(i);
        return *this;
    }
    // stride-byte vertices whose floats count up from start, so every byte is recognisable.
    MeshBytes& Vertices(uint32_t count, uint32_t stride, float start = 0) {
        for (uint32_t i = 0; i < count * stride / 4; ++i) F(start + static_cast<float>(i));
        return *this;
    }
    // The ignored byte and values, then the key count.
    MeshBytes& KeyCount(uint32_t keys) { return U8(0xAB).U32(1).U32(2).U32(3).U32(keys); }
    // K = 0 and three empty key blocks.
    MeshBytes& NoKeys() { return KeyCount(0).U32(0).U32(0).U32(0); }

    std::vector<uint8_t> data;
};
