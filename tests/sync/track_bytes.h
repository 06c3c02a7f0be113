// Builds track file bytes record by record (tests only).
#pragma once

#include <cstdint>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

struct TrackBytes {
    explicit TrackBytes(uint32_t count) { U32(count); }
    TrackBytes& Key(uint32_t row, float value, uint8_t kindByte) {
        uint32_t bits;
        std::memcpy(&bits, &value, 4);
        U32(row), U32(bits), bytes.push_back(kindByte);
        return *this;
    }
    TrackBytes& Raw(const std::vector<uint8_t>& more) {
        bytes.insert(bytes.end(), more.begin(), more.end());
        return *this;
    }
    void WriteTo(const std::string& path) const {
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }
    void U32(uint32_t v) {
        for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<uint8_t>(v >> (8 * i)));
    }
    std::vector<uint8_t> bytes;
};
