// The 23 sync tracks the demo fetches, in fetch order, and what the frame loop reads from them.
#pragma once

#include <array>
#include <cstddef>

namespace driver {

enum class TrackId : std::size_t {
    Part,      // which scene renderer runs (integer part)
    Filter,    // which post-processing filter runs (integer part)
    Fp,        // first parameter of filters 1 to 6
    Fp2,       // second parameter of filter 5
    Fade,      // fog of the swarm scene
    Flash,     // alpha of the image scenes
    Gradient,  // fetched only
    CamX,
    CamY,
    CamZ,
    CamFov,
    CamRot,  // fetched only
    ViewX,
    ViewY,
    ViewZ,
    St1,  // St1..St7 and Smile: fetched only
    St2,
    St3,
    St4,
    St5,
    St6,
    St7,
    Smile,
    Count
};

constexpr std::size_t kTrackCount = static_cast<std::size_t>(TrackId::Count);

// Names indexed by TrackId; fetching in this order matters only because each first fetch reads a
// file and may show a message box.
inline constexpr std::array<const char*, kTrackCount> kTrackNames = {
    "0_part",     "0_filter", "0_fp",     "0_fp2",   "0_fade",    "0_flash",
    "0_gradient", "1_cam.x",  "1_cam.y",  "1_cam.z", "1_cam.fov", "1_cam.rot",
    "1_view.x",   "1_view.y", "1_view.z", "2_st1",   "2_st2",     "2_st3",
    "2_st4",      "2_st5",    "2_st6",    "2_st7",   "3_smile"};

}  // namespace driver
