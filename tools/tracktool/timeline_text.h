// timeline_text: the readable timeline format that tracktool compiles into track files.
//
//   # comment (anywhere; runs to the end of the line)
//   track 0_part                 starts the block of one track
//     0        1    step         ROW VALUE [KIND]   (KIND defaults to step)
//     @6:2     2    linear       rows: N, @BAR, @BAR:BEAT, @BAR:BEAT:ROW (0-based,
//                                bar = 4 beats = 20 rows, beat = 5 rows)
//
// Kinds: step, linear, cosine, quadratic, or an integer from -128 to 127. Errors name the source
// and the line; a text with any error yields no tracks.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "sync/track.h"

namespace tracktool {

constexpr uint32_t kRowsPerBeat = 5;
constexpr uint32_t kBeatsPerBar = 4;
constexpr uint32_t kRowsPerBar = kRowsPerBeat * kBeatsPerBar;

struct TimelineTrack {
    std::string name;
    int line = 0;  // of its `track` line
    sync::Track track;
};

// False when the text has errors; each error is "SOURCE:LINE: message".
bool ParseTimeline(std::string_view text, const std::string& sourceName,
                   std::vector<TimelineTrack>* tracks, std::vector<std::string>* errors);

// Single tokens; false with a reason when the token is not valid.
bool ParseRow(std::string_view token, uint32_t* row, std::string* error);
bool ParseValue(std::string_view token, float* value, std::string* error);
bool ParseKind(std::string_view token, int32_t* kind, std::string* error);

// "step", "linear", "cosine", "quadratic", or the number for any other kind.
std::string KindName(int32_t kind);

}  // namespace tracktool
