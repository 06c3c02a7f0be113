// Tracks by name for live-mode tests, each empty until a test sets keys.
#pragma once

#include <map>
#include <string>

#include "sync/device.h"

class MapDevice : public sync::Device {
  public:
    MapDevice() : sync::Device("s/synced") {}
    sync::Track* fetchTrack(const std::string& name) override { return &tracks[name]; }
    bool update(float) override { return true; }
    std::map<std::string, sync::Track> tracks;
};
