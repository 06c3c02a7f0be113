// The viewer's display choices from the setup dialog and the letterboxed 16:9 render area derived
// from them. One global instance, all zero until the dialog's Run fills it; read-only afterwards.
#pragma once

#include <cstdint>

struct DisplaySettings {
    uint32_t screenWidth = 0;
    uint32_t screenHeight = 0;
    uint32_t refreshRate = 0;
    float ratio = 0.0f;  // physical aspect of the monitor as chosen
    bool fullscreen = false;
    bool vsync = false;
    uint32_t multiSample = 0;  // 0 or a sample count 2..16
    int32_t renderWidth = 0;
    int32_t renderHeight = 0;
    int32_t offset = 0;  // rows from the top of the screen to the top of the render area

    // renderWidth/renderHeight/offset from the screen size, ratio and fullscreen (windowed: ratio
    // 4:3).
    void ComputeRenderArea();
    // The five settings lines to stdout and to "lol.txt" in the current directory.
    void DumpSettings() const;
};

extern DisplaySettings displaySettings;
