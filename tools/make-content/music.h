// music: the synthesised soundtrack, 153 beats per minute in A minor, arranged in six sections that
// change on the bars where the demo's parts change (bars 0, 16, 28, 40, 60, 68), with a build-up in
// the bar before each change and a calm, fading ending.
//
// Instruments are rendered note by note into a drum bus and a music bus (the music bus ducks under
// the kick), with a ping-pong delay on the lead and a small reverb; the mix is scaled to about
// -14 dBFS RMS and soft-limited below full scale. Output is deterministic.
#pragma once

#include <vector>

namespace content {

constexpr int kSampleRate = 44100;
constexpr double kBpm = 153.0;
constexpr double kSongSeconds = 126.0;
// Bars at which the sections (the demo's parts 1 to 6) begin.
constexpr int kSectionBars[6] = {0, 16, 28, 40, 60, 68};

double BarSeconds();  // 4 beats

// Interleaved stereo floats (L, R) of `seconds` of the song from its start (the full song by
// default); a shorter render is the same as the start of the full one, except for the final
// loudness scaling, which is computed from what was rendered.
std::vector<float> RenderSoundtrack(double seconds = kSongSeconds);

}  // namespace content
