#include <cstdio>
#include <cstring>

#include "driver/live_main.h"

namespace live {

const char* const kLiveUsage =
    "  --live            play the production in a window with a transport, an overlay and hot\n"
    "                    reload of its sources (no setup dialog)\n"
    "  --content DIR     with --live: the sources to watch (default: the build's content folder)\n"
    "  --size WxH        with --live: the window size (default 1280x720)\n";

bool WantsLive(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--live") == 0) return true;
    return false;
}

bool ParseLiveOptions(int argc, char** argv, LiveOptions* options, std::string* error) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--live") continue;
        if (arg == "--content" && hasValue) {
            options->content = argv[++i];
        } else if (arg == "--size" && hasValue) {
            int w = 0, h = 0;
            char end = 0;
            if (std::sscanf(argv[++i], "%dx%d%c", &w, &h, &end) != 2 || w < 64 || h < 64 ||
                w > 16384 || h > 16384) {
                *error = std::string("--size wants WIDTHxHEIGHT from 64 to 16384, not ") + argv[i];
                return false;
            }
            options->width = w;
            options->height = h;
        } else {
            *error = hasValue || (arg != "--content" && arg != "--size") ? "unknown option " + arg
                                                                         : arg + " needs a value";
            return false;
        }
    }
    return true;
}

}  // namespace live
