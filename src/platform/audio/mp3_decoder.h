// mp3_decoder: decodes a whole MP3 file into memory (tools, tests and checks of the soundtrack;
// playback streams the file through Mp3Stream instead).
//
// WHAT IT DOES
//   Reads an Mp3Stream from start to end: gapless 44100 Hz interleaved stereo float, refused files
//   and the truncation warning exactly as Mp3Stream::Open gives them.
//
// WHAT IT DOES NOT DO
//   Decoded audio longer than kMaxDecodedSeconds is refused rather than filling memory.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/audio/mp3_stream.h"

namespace audio {

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
