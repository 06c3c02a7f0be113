// Limits that keep hostile effect text from the compiler: brackets nested deeper than its recursive
// parser survives (a few thousand overflow the stack), and object-like macros whose expansion grows
// exponentially (each repeating the one before). Internal to platform/fx.
#pragma once

#include <cstddef>
#include <vector>

#include "platform/fx/fx_source.h"

namespace fx::detail {

constexpr int kMaxNesting = 128;                        // ( [ { open at once, macros expanded
constexpr size_t kMaxExpandedTokens = size_t{1} << 20;  // the whole text, macros expanded

// False, with one error at the token that broke a limit, when the text breaks one. Object-like
// macros count as their expansion, as defined where they are used.
bool CheckSourceLimits(const std::vector<Token>& tokens, std::vector<Diagnostic>* errors);

}  // namespace fx::detail
