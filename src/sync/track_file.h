// Track files: one little-endian file per track, no header.
//   u32 key count N, then N packed 9-byte records: u32 row, f32 value, i8 interpolation kind.
// Records may come in any row order; a later record at the same row replaces the earlier one.
//
// Reading never trusts the count: it reads the records the count declares as far as the file
// holds them, keeps every complete record, never reads past the last declared record, and reports
// what was wrong. Memory grows with the keys actually read, never with the count.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "sync/track.h"

inline namespace vm {
namespace sync {

constexpr size_t kTrackFileRecordBytes = 9;

struct TrackFileReport {
    bool opened = false;        // false: the file could not be opened (nothing else is set)
    uint32_t declaredKeys = 0;  // the count the file states
    uint32_t keysRead = 0;      // complete records set into the track
    std::string problem;        // empty when the file is well formed
};

// Sets the declared records that `data` holds completely into `track`.
TrackFileReport ParseTrackFile(const uint8_t* data, size_t size, Track& track);

// Opens `path` ("rb") and parses it into `track`.
TrackFileReport ReadTrackFile(const std::string& path, Track& track);

// Writes the keys in row order. Fails (with a reason) when a kind does not fit in a signed byte or
// the file cannot be written.
bool WriteTrackFile(const std::string& path, const Track& track, std::string* error);

}  // namespace sync
}  // namespace vm
