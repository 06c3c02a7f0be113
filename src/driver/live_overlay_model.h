// What the live overlay shows, built from the transport, the running tracks, the recent frame
// times and the last reload: the text lines, the timeline strip, the track values and the selected
// track's curve around the playhead.
#pragma once

#include <string>
#include <vector>

#include "driver/live_frame.h"
#include "driver/live_reload.h"
#include "driver/live_transport.h"
#include "platform/ui/overlay.h"

namespace live {

// "mm:ss.ff" of a time in seconds.
std::string ClockText(double seconds);
// "@bar:beat:row" (0-based, as the timeline text writes positions) of a row.
std::string GridText(float row, const TimelineShape& shape);

struct OverlayFacts {
    const Transport* transport = nullptr;
    const driver::DeviceTracks* tracks = nullptr;
    int selectedTrack = 0;
    std::vector<float> frameMs;
    const ReloadStatus* reload = nullptr;
};

ui::OverlayModel BuildOverlayModel(const OverlayFacts& facts);

}  // namespace live
