// audio: the calls the demo makes of its audio library, on libmpg123 and SDL2 audio.
//
// WHAT IT DOES
//   Opens and scans an MP3 file at stream creation (exact length and seek index, no decoding beyond
//   the first frames), then decodes it on demand (gapless, 44100 Hz stereo float) in the audio
//   callback or the manual clock's advance, a device buffer at a time; plays it through an SDL
//   audio device, and answers the playing position in bytes with a smooth, monotonic clock.
//   Positions are bytes of the decoded stream: 44100 frames a second, 2 channels, 4-byte floats.
//   Handles are non-zero; 0 means failure. A stream that reaches its end stops, its position stays
//   at the end.
//
//   Init opens the default SDL audio device (44100 Hz only). When SDL_AUDIODRIVER is unset and no
//   device opens, it says so on stderr and falls back to SDL's "dummy" driver, so the position
//   clock still runs in real time on machines without sound; with SDL_AUDIODRIVER set, it fails
//   instead. Files that are missing, empty or not MP3 give handle 0 and a line on stderr; a
//   truncated MP3 plays with a warning. Pause freezes the position; ChannelPlay(h, false) resumes
//   from there; ChannelPlay at the end without restart leaves the stream stopped. Unknown or freed
//   handles: false, 0 (stopped), -1.0 seconds, or ~0 for byte positions and lengths.
//
// WHAT IT DOES NOT DO
//   No read-ahead buffer, no effects or volume, no recording. Memory streams, offsets and lengths
//   in StreamCreateFile are refused. The BASS flags are accepted and have no effect.
//
// STEP BY STEP
//   1. audio::Configure(config)                 optional: manual clock (capture, tests), WAV output
//   2. audio::Init(1, 44100, BASS_DEVICE_LATENCY)
//   3. h = audio::StreamCreateFile(false, path, 0, 0, BASS_STREAM_PRESCAN)
//   4. audio::Start(); audio::ChannelPlay(h, false)
//   5. per frame: audio::ChannelGetPosition(h) ...; audio::Update()
//   6. audio::StreamFree(h); audio::Free()
#pragma once

#include <cstdint>
#include <string>

namespace audio {

using Handle = uint32_t;

constexpr uint32_t BASS_DEVICE_LATENCY = 0x100;
constexpr uint32_t BASS_STREAM_PRESCAN = 0x20000;
constexpr uint32_t BASS_POS_BYTE = 0;

// ChannelIsActive results
constexpr uint32_t BASS_ACTIVE_STOPPED = 0;
constexpr uint32_t BASS_ACTIVE_PLAYING = 1;
constexpr uint32_t BASS_ACTIVE_STALLED = 2;
constexpr uint32_t BASS_ACTIVE_PAUSED = 3;

struct Config {
    // Manual clock: no audio device; the position moves only by AdvanceManualClock.
    bool manualClock = false;
    // When set with the manual clock, the audio of every span the clock covers while playing is
    // written to this WAV file (16-bit stereo, 44100 Hz), finished at StreamFree/Free.
    std::string wavOutput;
};

void Configure(Config config);

bool Init(int device, uint32_t frequency, uint32_t flags);  // false on failure
Handle StreamCreateFile(bool fromMemory, const char* path, uint64_t offset, uint64_t length,
                        uint32_t flags);  // 0 on failure, reason on stderr
bool Start();
bool ChannelPlay(Handle handle, bool restart);
bool ChannelPause(Handle handle);
uint64_t ChannelGetPosition(Handle handle, uint32_t mode = BASS_POS_BYTE);
double ChannelBytes2Seconds(Handle handle, uint64_t bytes);
uint64_t ChannelSeconds2Bytes(Handle handle, double seconds);
bool ChannelSetPosition(Handle handle, uint64_t bytes, uint32_t mode = BASS_POS_BYTE);
uint32_t ChannelIsActive(Handle handle);
uint64_t ChannelGetLength(Handle handle);  // decoded length in bytes
// A gapless loop: on reaching endBytes the stream goes on from startBytes (whole frames). endBytes
// <= startBytes removes it. False for unknown handles and ranges past the end.
bool ChannelSetLoop(Handle handle, uint64_t startBytes, uint64_t endBytes);
bool Update();
bool StreamFree(Handle handle);
bool Free();

// Manual clock only: moves every playing stream on by the given number of seconds (rounded to whole
// sample frames, the remainder carried so that many small steps add up exactly).
void AdvanceManualClock(double seconds);

}  // namespace audio
