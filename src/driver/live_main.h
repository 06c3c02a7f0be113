// vessmark --live: the production in a window without the setup dialog, with a transport, an
// overlay and hot reload of its sources (see live_session.h). main() dispatches here when the
// command line asks for live mode; the plain program is untouched.
#pragma once

#include <filesystem>
#include <string>

namespace live {

struct LiveOptions {
    std::filesystem::path content;  // empty: the content folder the build used
    int width = 1280;
    int height = 720;
};

// The option lines for a usage text.
extern const char* const kLiveUsage;

// True when the arguments ask for live mode (any "--live").
bool WantsLive(int argc, char** argv);
// Parses "--live [--content DIR] [--size WxH]"; false with a reason.
bool ParseLiveOptions(int argc, char** argv, LiveOptions* options, std::string* error);

// Runs live mode in the current directory (the data folder). Exit codes as the plain program's,
// and 2 for bad options.
int LiveMain(int argc, char** argv);

}  // namespace live
