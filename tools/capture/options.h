// Command-line options of the capture tool.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace capture {

struct Options {
    uint32_t width = 1280;
    uint32_t height = 720;
    double fps = 30.0;
    uint32_t multiSample = 0;    // 0, 2, 4, ... 16
    int aspect = 2;              // position in the aspect list: 0 "4:3", 1 "16:10", 2 "16:9"
    double start = 0.0;          // seconds of music
    double end = 123.0;          // seconds of music; the demo itself ends after 123
    std::string output;          // .mp4 (ffmpeg) ; empty: no video
    std::string pngDir;          // numbered PNG files; empty: none
    std::string contactSheet;    // one PNG with a grid of frames; empty: none
    double sheetInterval = 5.0;  // seconds between contact-sheet frames
    uint32_t sheetColumns = 6;
    std::string demoLog;        // the demo's own output lines; empty: not kept
    std::string dataDir;        // the production to render; empty: here, else the installed one
    bool quiet = false;         // no progress bar
    bool gles = false;          // OpenGL ES 3.0, as the browser build renders
    bool bakedEffects = false;  // effects from their baked files (implies gles)
};

// Parses argv; on error or --help returns nullopt and fills message (usage text or the error).
std::optional<Options> ParseOptions(int argc, const char* const* argv, std::string* message);

std::string Usage();

}  // namespace capture
