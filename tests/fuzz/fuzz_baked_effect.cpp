// Any bytes read as a baked effect: refused with a reason, or read whole; what is read writes back
// to exactly the same bytes (nothing dropped or invented), and its passes point at its own stages
// and samplers.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/fx/fx_bake.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    fx::detail::BakedEffect baked;
    std::string reason;
    if (!fx::detail::ReadBakedEffect(bytes, &baked, &reason)) {
        if (reason.empty() || !baked.effect.stages.empty()) __builtin_trap();
        return 0;
    }
    if (fx::detail::WriteBakedEffect(baked.result, baked.messages, &baked.effect) != bytes)
        __builtin_trap();
    const auto& e = baked.effect;
    for (const auto& technique : e.techniques) {
        for (const auto& pass : technique) {
            if (!pass.vertex || !pass.pixel) __builtin_trap();
            for (int s : pass.samplers)
                if (s < 0 || size_t(s) >= e.prepass.samplers.size()) __builtin_trap();
        }
    }
    return 0;
}
