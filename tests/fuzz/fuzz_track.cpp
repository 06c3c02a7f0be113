// Any bytes read as a track file keep at most the records they hold, and the track they fill
// evaluates at any row without a crash.
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "sync/track.h"
#include "sync/track_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    sync::Track track;
    const sync::TrackFileReport report = sync::ParseTrackFile(data, size, track);
    const size_t records = size < 4 ? 0 : (size - 4) / sync::kTrackFileRecordBytes;
    if (!report.opened) __builtin_trap();
    if (report.keysRead > report.declaredKeys || report.keysRead > records) __builtin_trap();
    if (track.keyCount() > report.keysRead) __builtin_trap();
    // A file that holds fewer records than it declares must say so.
    if (report.keysRead < report.declaredKeys && report.problem.empty()) __builtin_trap();
    if (size < 4 && report.problem.empty()) __builtin_trap();

    for (float row : {-1.0f, 0.0f, 0.5f, 12.75f, 1e6f, 4294967296.0f, -1e30f, INFINITY, NAN})
        (void)track.valueAt(row);
    for (const auto& [row, key] : track.keys()) {
        (void)track.valueAt(static_cast<float>(row));
        (void)track.valueAt(static_cast<float>(row) + 0.5f);
        if (key.interpolation < INT8_MIN || key.interpolation > INT8_MAX) __builtin_trap();
    }
    return 0;
}
