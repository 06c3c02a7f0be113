// sync::Device: the frame loop's single source of tracks.
// fetchTrack hands out a track by name (non-owning, never null, valid while the device lives);
// update is asked once per frame whether playback may go on.
#pragma once

#include <string>
#include <utility>

#include "sync/track.h"

inline namespace vm {
namespace sync {

class Device {
  public:
    explicit Device(std::string prefix) : baseName(std::move(prefix)) {}
    virtual ~Device() = default;
    virtual Track* fetchTrack(const std::string& name) = 0;
    virtual bool update(float row) = 0;

    const std::string baseName;  // prefix of the track file names
};

}  // namespace sync
}  // namespace vm
