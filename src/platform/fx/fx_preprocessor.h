// The part of the preprocessor the pre-pass needs itself: object-like macros (to read state values,
// initial values and array sizes) and the #if family (so that only the branches glslang compiles
// are read for parameters, samplers and techniques). Internal to platform/fx.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/fx/fx_source.h"

namespace fx::detail {

// Splits a preprocessor line into its directive word ("define") and the rest of the line.
std::string_view DirectiveWord(std::string_view line, std::string_view* rest);

class MacroTable {
  public:
    // Applies a #define or #undef line; other lines change nothing. Function-like macros are left
    // to glslang.
    void Apply(const Token& directive);
    bool Defined(std::string_view name) const { return macros_.count(std::string(name)) != 0; }
    // The tokens with object-like macros expanded (each expansion located at its use).
    std::vector<Token> Expand(const Token* first, const Token* end) const;

  private:
    void ExpandOne(const Token& t, std::vector<Token>* out, int depth) const;
    struct Macro {
        std::string body;  // owns the text the tokens point into
        std::vector<Token> tokens;
    };
    std::map<std::string, std::shared_ptr<const Macro>, std::less<>> macros_;
};

// The tokens of the branches that are compiled: #if, #ifdef, #ifndef, #elif, #else and #endif are
// evaluated with the macros defined up to their line (unknown names read as 0) and dropped; every
// other directive stays in place. Unbalanced or unreadable conditions land in errors.
std::vector<Token> ActiveTokens(const std::vector<Token>& tokens, std::vector<Diagnostic>* errors);

}  // namespace fx::detail
