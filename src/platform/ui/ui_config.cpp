// The windowing layer's configuration and the process exit (no SDL: the browser build shares it).
#include <cstdio>
#include <cstdlib>
#include <utility>

#include "platform/ui/ui_state.h"

namespace ui {
namespace {
Config& MutableConfig() {
    static Config config;
    return config;
}
}  // namespace

void Configure(Config config) {
    MutableConfig() = std::move(config);
}

const Config& CurrentUiConfig() {
    return MutableConfig();
}

void ExitProcess(int code) {
    std::fflush(stdout);
    std::fflush(stderr);
    if (const auto& hook = CurrentUiConfig().exitProcess) {
        hook(code);
        // A hook must not come back here; if it does, end the process anyway.
    }
    std::_Exit(code);
}

}  // namespace ui
