// Any text read as an effect file goes through the tokenizer and the pre-pass with its problems
// located inside the text; texts that pass the pre-pass are compiled to GLSL (no GL needed) and
// either compile or fail with located messages.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/fx/fx_effect_compiler.h"
#include "platform/fx/fx_prepass.h"
#include "platform/fx/fx_source.h"
#include "platform/gfx/gl_bridge.h"

namespace {

// Lines and columns must point into the text (line 1 + number of newlines at most).
void CheckLocation(const fx::detail::SourceLocation& at, int lines) {
    if (at.line < 1 || at.line > lines || at.column < 1) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Effect files are small; longer inputs only slow the fuzzer down.
    if (size > 16384) return 0;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    int lines = 1;
    for (char c : text) lines += c == '\n';

    fx::detail::Diagnostic tokenError;
    const std::vector<fx::detail::Token> tokens = fx::detail::Tokenize(text, &tokenError);
    for (const auto& token : tokens) {
        if (token.offset > size || token.text.size() > size - token.offset) __builtin_trap();
        if (token.text.data() != text.data() + token.offset) __builtin_trap();
        CheckLocation(token.at, lines);
    }

    const fx::detail::PrepassResult prepass = fx::detail::RunPrepass(text);
    // The text for glslang keeps every newline, so its lines are the file's lines; entry points
    // generated for compile arguments follow them, from generatedFromLine on.
    int hlslLines = 1;
    for (char c : prepass.hlsl) hlslLines += c == '\n';
    if (prepass.generatedFromLine == 0
            ? hlslLines != lines
            : prepass.generatedFromLine != lines + 1 || hlslLines <= lines)
        __builtin_trap();
    for (const auto& error : prepass.errors) {
        CheckLocation(error.at, lines);
        if (error.text.empty()) __builtin_trap();
    }
    for (const auto& p : prepass.parameters)
        if (p.name.empty() || p.initial.size() > size_t(p.Elements()) * p.type.Components())
            __builtin_trap();

    if (!prepass.errors.empty() || prepass.techniques.empty()) return 0;
    fx::detail::CompiledEffect compiled;
    std::vector<fx::detail::Diagnostic> errors;
    const bool ok = fx::detail::CompileEffectSource("fuzz.fx", text, gfx::gl::AttributeLocation,
                                                    &compiled, &errors);
    if (!ok && errors.empty()) __builtin_trap();
    for (const auto& error : errors) CheckLocation(error.at, lines);
    return 0;
}
