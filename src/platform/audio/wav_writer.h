// wav_writer: writes 16-bit PCM stereo WAV files from float frames.
//
// WHAT IT DOES
//   Open() writes a header; Append() converts float samples (clamped to +/-1.0) to 16-bit; the
//   header's sizes are brought up to date by Flush() and by Close(), so the file is valid after
//   each.
//
// STEP BY STEP
//   1. writer.Open(path, 44100, &error)
//   2. writer.Append(samples, frames) ...; writer.Flush()
//   3. writer.Close()
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace audio {

class WavWriter {
  public:
    WavWriter() = default;
    WavWriter(const WavWriter&) = delete;
    WavWriter& operator=(const WavWriter&) = delete;
    ~WavWriter() { Close(); }

    bool Open(const std::string& path, int sampleRate, std::string* error);
    bool Append(const float* interleavedStereo, int64_t frames);
    bool Flush();
    void Close();
    bool IsOpen() const { return file_ != nullptr; }
    int64_t Frames() const { return frames_; }

  private:
    FILE* file_ = nullptr;
    int sampleRate_ = 0;
    int64_t frames_ = 0;
    bool WriteHeader();
};

}  // namespace audio
