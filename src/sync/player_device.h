// PlayerDevice: the sync device of the demo. Reads each track from its own file on first fetch:
// baseName + "_" + name + ".track". A file that cannot be opened shows a message box (text = the
// file name, caption "ikkenoesync") and leaves the track empty; damaged files keep the keys they
// hold and get one line on stderr. update() never asks the frame loop to stop.
#pragma once

#include <string>

#include "sync/device.h"
#include "sync/timer.h"
#include "sync/track_store.h"

class PlayerDevice : public sync::Device {
  public:
    PlayerDevice(const std::string& prefix, sync::Timer* musicTimer);
    ~PlayerDevice() override = default;

    sync::Track* fetchTrack(const std::string& name) override;
    bool update(float row) override;

    std::string fileNameFor(const std::string& name) const {
        return baseName + "_" + name + ".track";
    }

    sync::TrackStore tracks;
    sync::Timer* timer;  // kept, not used, not owned
};
