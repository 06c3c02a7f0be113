// Any bytes opened as the soundtrack give a stream that plays to its end, or 0 with a reason, never
// a crash. The manual clock stands in for the audio device.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/audio/audio.h"
#include "scratch_file.h"

namespace {

bool Started() {
    static const bool started = [] {
        audio::Configure({.manualClock = true});
        return audio::Init(1, 44100, audio::BASS_DEVICE_LATENCY);
    }();
    return started;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (!Started()) std::abort();
    const audio::Handle stream = audio::StreamCreateFile(false, ScratchFileWith(data, size), 0, 0,
                                                         audio::BASS_STREAM_PRESCAN);
    if (stream == 0) return 0;
    const uint64_t length = audio::ChannelGetLength(stream);
    audio::ChannelPlay(stream, false);
    // Play through in large steps: the position never passes the length, and the stream stops.
    for (int step = 0; step < 64 && audio::ChannelIsActive(stream) == audio::BASS_ACTIVE_PLAYING;
         ++step) {
        audio::AdvanceManualClock(0.5);
        audio::Update();
        if (audio::ChannelGetPosition(stream) > length) __builtin_trap();
    }
    const double seconds = audio::ChannelBytes2Seconds(stream, length);
    if (!(seconds >= 0.0)) __builtin_trap();
    audio::ChannelSetPosition(stream, length / 2);
    audio::StreamFree(stream);
    return 0;
}
