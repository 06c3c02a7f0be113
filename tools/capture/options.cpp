#include "options.h"

#include <cerrno>
#include <cstdlib>
#include <string_view>

namespace capture {

namespace {

bool ParseDouble(std::string_view text, double* out) {
    std::string s(text);
    char* end = nullptr;
    errno = 0;
    double v = std::strtod(s.c_str(), &end);
    if (s.empty() || *end != '\0' || errno != 0) return false;
    *out = v;
    return true;
}

bool ParseUnsigned(std::string_view text, uint32_t* out) {
    std::string s(text);
    if (s.empty() || s[0] == '-' || s[0] == '+') return false;
    char* end = nullptr;
    errno = 0;
    unsigned long v = std::strtoul(s.c_str(), &end, 10);
    if (*end != '\0' || errno != 0 || v > 0xFFFFFFFFul) return false;
    *out = static_cast<uint32_t>(v);
    return true;
}

bool ParseSize(std::string_view text, uint32_t* w, uint32_t* h) {
    size_t x = text.find('x');
    if (x == std::string_view::npos) return false;
    return ParseUnsigned(text.substr(0, x), w) && ParseUnsigned(text.substr(x + 1), h);
}

}  // namespace

std::string Usage() {
    return "usage: vessmark-capture [options]\n"
           "Renders the demo frame by frame, exactly, whatever the machine's speed, and writes a\n"
           "video, numbered PNG files and/or a contact sheet. The production is the current\n"
           "folder's when it holds the soundtrack, else the installed one (or --data DIR).\n"
           "  --data DIR             render the production in DIR\n"
           "  --size WxH             frame size, at least 640 wide (default 1280x720)\n"
           "  --fps N                frames per second of music (default 30)\n"
           "  --msaa N               multisampling: 0, 2, 4, ... 16 (default 0)\n"
           "  --aspect A             monitor aspect: 4:3, 16:10 or 16:9 (default 16:9)\n"
           "  --start S, --end S     span of music in seconds (default 0 to 123)\n"
           "  --output FILE.mp4      H.264 video with the soundtrack of the span (needs ffmpeg)\n"
           "  --png-dir DIR          numbered PNG files frame-000000.png ...\n"
           "  --contact-sheet FILE   one PNG with a grid of frames and their times\n"
           "  --sheet-interval S     seconds between contact-sheet frames (default 5)\n"
           "  --sheet-columns N      frames per contact-sheet row (default 6)\n"
           "  --demo-log FILE        keep the demo's own output lines (settings, per-frame lines)\n"
           "  --quiet                no progress bar\n"
           "  --gles                 render on OpenGL ES 3.0 as the browser build does (effects\n"
           "                         compiled to GLSL ES)\n"
           "  --baked-effects        load each effect from its baked file, EFFECT.baked, made by\n"
           "                         vessmark-fxbake, as the browser build does (implies --gles)\n";
}

std::optional<Options> ParseOptions(int argc, const char* const* argv, std::string* message) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        std::string_view a = argv[i];
        if (a == "--help" || a == "-h") {
            *message = Usage();
            return std::nullopt;
        }
        if (a == "--quiet") {
            o.quiet = true;
            continue;
        }
        if (a == "--gles" || a == "--baked-effects") {
            o.gles = true;
            o.bakedEffects = o.bakedEffects || a == "--baked-effects";
            continue;
        }
        if (i + 1 >= argc) {
            *message = "capture: " + std::string(a) + " needs a value (or is unknown)\n" + Usage();
            return std::nullopt;
        }
        std::string_view v = argv[++i];
        bool ok = true;
        if (a == "--size") {
            // The setup dialog lists no mode narrower than 640 pixels.
            ok = ParseSize(v, &o.width, &o.height) && o.width >= 640 && o.height >= 16 &&
                 o.width <= 8192 && o.height <= 8192;
        } else if (a == "--fps") {
            ok = ParseDouble(v, &o.fps) && o.fps >= 1.0 && o.fps <= 240.0;
        } else if (a == "--msaa") {
            ok = ParseUnsigned(v, &o.multiSample) && o.multiSample <= 16 && o.multiSample != 1 &&
                 o.multiSample % 2 == 0;
        } else if (a == "--aspect") {
            if (v == "4:3")
                o.aspect = 0;
            else if (v == "16:10")
                o.aspect = 1;
            else if (v == "16:9")
                o.aspect = 2;
            else
                ok = false;
        } else if (a == "--start") {
            ok = ParseDouble(v, &o.start) && o.start >= 0.0;
        } else if (a == "--end") {
            ok = ParseDouble(v, &o.end) && o.end > 0.0;
        } else if (a == "--output") {
            o.output = v;
        } else if (a == "--png-dir") {
            o.pngDir = v;
        } else if (a == "--contact-sheet") {
            o.contactSheet = v;
        } else if (a == "--data") {
            o.dataDir = v;
        } else if (a == "--demo-log") {
            o.demoLog = v;
        } else if (a == "--sheet-interval") {
            ok = ParseDouble(v, &o.sheetInterval) && o.sheetInterval > 0.0;
        } else if (a == "--sheet-columns") {
            ok = ParseUnsigned(v, &o.sheetColumns) && o.sheetColumns >= 1 && o.sheetColumns <= 64;
        } else {
            *message = "capture: unknown option " + std::string(a) + "\n" + Usage();
            return std::nullopt;
        }
        if (!ok) {
            *message = "capture: bad value '" + std::string(v) + "' for " + std::string(a) + "\n";
            return std::nullopt;
        }
    }
    if (o.end <= o.start) {
        *message = "capture: --end must be later than --start\n";
        return std::nullopt;
    }
    if (o.output.empty() && o.pngDir.empty() && o.contactSheet.empty()) {
        *message = "capture: nothing to write: give --output, --png-dir or --contact-sheet\n";
        return std::nullopt;
    }
    return o;
}

}  // namespace capture
