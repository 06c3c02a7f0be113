#include "sync/player_device.h"

#include <cstdio>

#include "platform/ui/ui.h"
#include "sync/track_file.h"

PlayerDevice::PlayerDevice(const std::string& prefix, sync::Timer* musicTimer)
    : sync::Device(prefix), timer(musicTimer) {}

sync::Track* PlayerDevice::fetchTrack(const std::string& name) {
    if (auto it = tracks.indexByName.find(name); it != tracks.indexByName.end())
        return tracks.trackAt(it->second);

    sync::Track* track = tracks.trackAt(tracks.findOrAdd(name));
    const std::string fileName = fileNameFor(name);
    const sync::TrackFileReport report = sync::ReadTrackFile(fileName, *track);
    if (!report.opened) {
        ui::MessageBox(fileName.c_str(), "ikkenoesync", ui::MB_OK);
    } else if (!report.problem.empty()) {
        std::fprintf(stderr, "sync: %s: %s\n", fileName.c_str(), report.problem.c_str());
    }
    return track;
}

bool PlayerDevice::update(float /*row*/) {
    return true;
}
