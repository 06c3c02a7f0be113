// mp3_decoder: decodes a whole MP3 file into memory with libmpg123.
//
// WHAT IT DOES
//   Gapless decoding (MPG123_GAPLESS | MPG123_FORCE_FLOAT) forced to 44100 Hz interleaved stereo
//   float, after a full scan of the file. Files that are missing, empty or hold no MPEG audio are
//   refused with a reason. A file that decodes to fewer frames than its LAME/Xing tag announces
//   (a truncated download, say) is kept, with a warning.
//
// WHAT IT DOES NOT DO
//   No streaming, no metadata. Decoded audio longer than kMaxDecodedSeconds is refused rather than
//   filling memory.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace audio {

constexpr int kDecodeRate = 44100;
constexpr int kDecodeChannels = 2;
constexpr double kMaxDecodedSeconds = 20.0 * 60.0;

struct DecodedAudio {
    std::vector<float> samples;  // interleaved stereo
    int64_t frames = 0;
    int64_t announcedFrames = -1;  // from the file's tag; -1 when the file carries none
};

// False on failure, with the reason in `error`. `warning` (may be null) receives a note about a
// file that decoded but looks damaged; it is cleared otherwise.
bool DecodeMp3File(const char* path, DecodedAudio* out, std::string* error, std::string* warning);

}  // namespace audio
