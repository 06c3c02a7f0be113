// sample_source: where a playback stream takes its sample frames from (an MP3 decoded on demand,
// or memory in tests). Frames are interleaved stereo float at 44100 Hz.
//
// WHAT IT DOES NOT DO
//   No locking: the playback stream's caller serialises every call.
#pragma once

#include <cstdint>

namespace audio {

constexpr int kDecodeRate = 44100;
constexpr int kDecodeChannels = 2;

class SampleSource {
  public:
    virtual ~SampleSource() = default;
    virtual int64_t Length() const = 0;    // frames
    virtual int64_t Tell() const = 0;      // the frame Read() gives next
    virtual bool Seek(int64_t frame) = 0;  // false when it could not move there
    virtual int64_t Read(float* out,
                         int64_t frames) = 0;  // frames read; fewer at the end or on error
};

}  // namespace audio
