#include "sync/track_store.h"

inline namespace vm {
namespace sync {

TrackStore::~TrackStore() {
    for (auto& track : trackList) track.reset();
}

uint32_t TrackStore::findOrAdd(const std::string& name) {
    if (auto it = indexByName.find(name); it != indexByName.end()) return it->second;
    const auto index = static_cast<uint32_t>(trackList.size());
    indexByName.emplace(name, index);
    trackList.push_back(std::make_unique<Track>());
    return index;
}

}  // namespace sync
}  // namespace vm
