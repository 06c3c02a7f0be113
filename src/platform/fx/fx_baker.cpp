#include "platform/fx/fx_baker.h"

#include "platform/fx/fx_bake.h"
#include "platform/fx/fx_effect_file.h"
#include "platform/gfx/gl_bridge.h"

namespace fx {

BakedFile BakeEffectFile(const std::string& path) {
    using namespace detail;
    BakedFile out;
    std::vector<Diagnostic> errors;
    CompiledEffect compiled;
    std::string text;
    out.result = ReadEffectText(path, &text, &errors);
    if (!gfx::Failed(out.result) && !CompileEffectSource(path, text, gfx::gl::AttributeLocation,
                                                         &compiled, &errors, GlslFlavour::Es))
        out.result = gfx::D3DXERR_INVALIDDATA;
    if (gfx::Failed(out.result)) {
        for (const Diagnostic& d : errors) out.messages += FormatError(path, d);
        out.bytes = WriteBakedEffect(out.result, errors, nullptr);
        return out;
    }
    for (const std::string& w : compiled.warnings) out.messages += path + ": warning: " + w + "\n";
    out.bytes = WriteBakedEffect(out.result, {}, &compiled);
    return out;
}

}  // namespace fx
