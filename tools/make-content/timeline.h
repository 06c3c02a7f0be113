// timeline: the readable timeline text and its compilation into track files.
//
// Text format, one statement per line, '#' starts a comment:
//     track NAME            begins a track block
//       ROW VALUE KIND      a key: ROW is @BAR, @BAR:BEAT or @BAR:BEAT:ROW (0-based; a bar is 4
//                           beats = 20 rows, a beat 5 rows) or a plain row number; KIND is step,
//                           linear, cosine or quadratic
// Track file: u32 key count, then per key u32 row, f32 value, i8 kind (little-endian, packed).
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace content {

struct TimelineKey {
    uint32_t row = 0;
    float value = 0;
    int8_t kind = 0;  // 0 step, 1 linear, 2 cosine, 3 quadratic
};
using Timeline = std::map<std::string, std::vector<TimelineKey>>;

// Parses the text; false with "line N: reason" in *error on the first bad line.
bool ParseTimeline(const std::string& text, Timeline* out, std::string* error);

// Evaluates a track at a fractional row the way the demo does (step/linear/cosine/quadratic).
float EvaluateTrack(const std::vector<TimelineKey>& keys, float row);

std::vector<uint8_t> EncodeTrackFile(const std::vector<TimelineKey>& keys);
// Writes PREFIX_<name>.track for every track; false with *error set on a write failure.
bool WriteTrackFiles(const Timeline& timeline, const std::string& prefixPath, std::string* error);

}  // namespace content
