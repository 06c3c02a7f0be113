// mp3_writer: encodes interleaved stereo float samples into an MP3 file with libmp3lame.
//
// WHAT IT DOES
//   VBR (quality about V2), no ID3 tags, and the LAME tag written over the first frame so that a
//   gapless decoder (libmpg123 with MPG123_GAPLESS) returns exactly `frames` sample frames.
//
// WHAT IT DOES NOT DO
//   No streaming: the whole signal is passed in one call. Samples are full scale +/-1.0.
//
// STEP BY STEP
//   1. audio::WriteMp3(path, samples, frames, 44100, &error)   false on failure, reason in error
#pragma once

#include <cstddef>
#include <string>

namespace audio {

// mono: the file holds one channel, the mix of the two given.
bool WriteMp3(const char* path, const float* interleavedStereo, size_t frames, int sampleRate,
              std::string* error, bool mono = false);

}  // namespace audio
