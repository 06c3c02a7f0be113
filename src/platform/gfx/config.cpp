#include "platform/gfx/gfx.h"

namespace gfx {
namespace {

Config& Current() {
    static Config config;
    return config;
}

}  // namespace

void Configure(Config config) {
    Current() = std::move(config);
}

const Config& CurrentConfig() {
    return Current();
}

}  // namespace gfx
