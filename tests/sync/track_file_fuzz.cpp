// libFuzzer harness for the track file parser (built with VM_FUZZ=ON and clang).
#include <cstddef>
#include <cstdint>

#include "sync/track_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    sync::Track track;
    const sync::TrackFileReport report = sync::ParseTrackFile(data, size, track);
    if (track.keyCount() > report.keysRead || report.keysRead > size / 9) __builtin_trap();
    for (float row : {-1.0f, 0.0f, 0.5f, 1e9f}) (void)track.valueAt(row);
    return 0;
}
