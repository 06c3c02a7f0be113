// overlay: a Dear ImGui layer drawn over the demo window's picture (live mode). The caller fills a
// plain model each frame; the overlay draws it and answers what the viewer did with the mouse.
//
// STEP BY STEP
//   1. ui::OverlayStart(width, height)  after the graphics device exists (its GL context is
//      current); on a headless context it draws into whatever framebuffer is bound
//   2. per frame, inside gfx's overlay hook: ui::OverlayDraw(model, &input)
//   3. ui::OverlayStop()
// While started, the message pump hands every window event to the overlay first; key messages
// still reach the caller.
#pragma once

#include <string>
#include <vector>

namespace ui {

struct OverlayModel {
    std::vector<std::string> lines;  // status lines at the top (time, row, part, ...)
    std::string help;                // one line at the bottom
    std::vector<float> frameMs;      // recent frame times, oldest first

    // The timeline strip, in rows.
    float endRow = 1.0f;
    float playheadRow = 0.0f;
    struct Block {
        float from, to;
        int value;
    };
    std::vector<Block> parts;  // coloured by value
    std::vector<float> marks;  // filter changes
    bool loopSet = false, looping = false;
    float loopFrom = 0.0f, loopTo = 0.0f;

    // The tracks: names and current values; the selected one's curve around the playhead.
    std::vector<std::string> trackNames;
    std::vector<float> trackValues;
    int selectedTrack = 0;
    float curveFrom = 0.0f, curveTo = 1.0f;  // rows
    std::vector<float> curve;                // values sampled evenly over [curveFrom, curveTo]
    struct Key {
        float row, value;
        std::string kind;
    };
    std::vector<Key> keys;  // keys inside the curve's range

    std::string reload;  // the last reload, or its error
    bool reloadFailed = false;
};

struct OverlayInput {
    bool seek = false;  // the strip was clicked or dragged
    float seekRow = 0.0f;
    int selectTrack = -1;  // a track name was clicked
};

// False (with a line on stderr) when ImGui cannot start on the current context.
bool OverlayStart(int width, int height);
void OverlayDraw(const OverlayModel& model, OverlayInput* input);
void OverlayStop();
bool OverlayRunning();

}  // namespace ui
