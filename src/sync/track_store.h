// TrackStore: the playback device's registry of tracks, by name and by index.
// Tracks are never removed or reordered, so an index (and its track) stays valid for the store's
// life.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "sync/track.h"

inline namespace vm {
namespace sync {

class TrackStore {
  public:
    TrackStore() = default;
    TrackStore(const TrackStore&) = delete;
    TrackStore& operator=(const TrackStore&) = delete;
    ~TrackStore();  // deletes the tracks in index order

    // The index of the named track (bytewise, case-sensitive), created empty if needed.
    uint32_t findOrAdd(const std::string& name);
    // index must be below trackCount().
    Track* trackAt(uint32_t index) const { return trackList.at(index).get(); }
    size_t trackCount() const { return trackList.size(); }

    std::map<std::string, uint32_t> indexByName;
    std::vector<std::unique_ptr<Track>> trackList;
};

}  // namespace sync
}  // namespace vm
