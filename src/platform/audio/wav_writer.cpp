#include "platform/audio/wav_writer.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace audio {
namespace {

void Put16(unsigned char* p, uint32_t v) {
    p[0] = static_cast<unsigned char>(v);
    p[1] = static_cast<unsigned char>(v >> 8);
}
void Put32(unsigned char* p, uint32_t v) {
    Put16(p, v & 0xFFFF);
    Put16(p + 2, v >> 16);
}

}  // namespace

bool WavWriter::Open(const std::string& path, int sampleRate, std::string* error) {
    Close();
    file_ = std::fopen(path.c_str(), "wb");
    if (!file_) {
        if (error) *error = "cannot create the WAV file " + path;
        return false;
    }
    sampleRate_ = sampleRate;
    frames_ = 0;
    if (!WriteHeader()) {
        if (error) *error = "cannot write the WAV file " + path;
        Close();
        return false;
    }
    return true;
}

bool WavWriter::WriteHeader() {
    // RIFF sizes are 32-bit: past 4 GiB the header saturates (the samples are still written).
    const uint64_t dataBytes =
        std::min<uint64_t>(static_cast<uint64_t>(frames_) * 4, 0xFFFFFFFFu - 36);
    unsigned char h[44] = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' '};
    Put32(h + 4, static_cast<uint32_t>(36 + dataBytes));
    Put32(h + 16, 16);
    Put16(h + 20, 1);  // PCM
    Put16(h + 22, 2);
    Put32(h + 24, static_cast<uint32_t>(sampleRate_));
    Put32(h + 28, static_cast<uint32_t>(sampleRate_) * 4);
    Put16(h + 32, 4);
    Put16(h + 34, 16);
    h[36] = 'd', h[37] = 'a', h[38] = 't', h[39] = 'a';
    Put32(h + 40, static_cast<uint32_t>(dataBytes));
    return std::fseek(file_, 0, SEEK_SET) == 0 && std::fwrite(h, 1, sizeof h, file_) == sizeof h &&
           std::fseek(file_, 0, SEEK_END) == 0;
}

bool WavWriter::Append(const float* interleavedStereo, int64_t frames) {
    if (!file_ || frames <= 0) return file_ != nullptr;
    std::vector<unsigned char> bytes(static_cast<size_t>(frames) * 4);
    for (int64_t i = 0; i < frames * 2; ++i) {
        const float raw = interleavedStereo[i];
        const float s = std::isfinite(raw) ? std::clamp(raw, -1.0f, 1.0f) : 0.0f;
        const auto v = static_cast<int16_t>(std::lround(s * 32767.0f));
        Put16(&bytes[static_cast<size_t>(i) * 2], static_cast<uint16_t>(v));
    }
    if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) return false;
    frames_ += frames;
    return true;
}

bool WavWriter::Flush() {
    return file_ && WriteHeader() && std::fflush(file_) == 0;
}

void WavWriter::Close() {
    if (!file_) return;
    WriteHeader();
    std::fclose(file_);
    file_ = nullptr;
}

}  // namespace audio
