// Reads back the 16-bit stereo WAV files the audio layer writes (tests only).
#pragma once

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

struct WavData {
    bool ok = false;
    uint32_t sampleRate = 0;
    uint16_t channels = 0, bits = 0;
    std::vector<int16_t> samples;
};

inline WavData ReadWav(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<unsigned char> b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    WavData w;
    if (b.size() < 44 || std::memcmp(b.data(), "RIFF", 4) != 0 || std::memcmp(b.data() + 36, "data", 4) != 0)
        return w;
    auto u32 = [&](size_t at) { return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24; };
    w.channels = static_cast<uint16_t>(b[22] | b[23] << 8);
    w.sampleRate = u32(24);
    w.bits = static_cast<uint16_t>(b[34] | b[35] << 8);
    const uint32_t dataBytes = u32(40);
    if (dataBytes != b.size() - 44 || u32(4) != 36 + dataBytes) return w;
    w.samples.resize(dataBytes / 2);
    std::memcpy(w.samples.data(), b.data() + 44, w.samples.size() * 2);
    w.ok = true;
    return w;
}
