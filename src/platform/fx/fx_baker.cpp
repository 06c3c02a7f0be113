#include "platform/fx/fx_baker.h"

#include "platform/fx/fx_bake.h"
#include "platform/fx/fx_effect_compiler.h"

namespace fx {

BakedFile BakeEffectFile(const std::string& path) {
    using namespace detail;
    BakedFile out;
    CompiledEffect compiled;
    out.result = CompileEffectFile(path, GlslFlavour::Es, &compiled, &out.messages);
    if (gfx::Failed(out.result)) {
        out.bytes = WriteBakedEffect(out.result, out.messages, nullptr);
        return out;
    }
    for (const std::string& w : compiled.warnings) out.messages += path + ": warning: " + w + "\n";
    out.bytes = WriteBakedEffect(out.result, {}, &compiled);
    return out;
}

}  // namespace fx
