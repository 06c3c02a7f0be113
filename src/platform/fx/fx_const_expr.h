// Constant expressions of effect text, evaluated by the pre-pass: parameter initial values, array
// sizes, `#if` conditions, state values (`RED | GREEN`, `0x80`). Values are flat lists of
// components (a scalar has one); integers stay integers (`7 / 2` is 3). Internal to platform/fx.
//
// Accepted: numbers (decimal, hex, suffixes f h u l), true/false, named constants (through the
// lookup), unary - + ! ~, * / % + - << >> < > <= >= == != & ^ | && || (C precedence), ( ), brace
// lists and constructors (`float3(v, 1)`, `float4(0.5)`), and the intrinsics a constant uses
// (sqrt, normalize, dot, lerp, ...).
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/fx/fx_source.h"

namespace fx::detail {

struct ConstValue {
    std::vector<double> components;
    bool integer = false;  // every component is an integer and integer arithmetic applies
};

// The value of a named constant, or null for a name that is not one.
using ConstLookup = std::function<const ConstValue*(std::string_view name)>;

// Evaluates the whole token run. False with *error located at the offending token.
bool EvaluateConst(const std::vector<Token>& tokens, const ConstLookup& lookup, ConstValue* out,
                   Diagnostic* error);

}  // namespace fx::detail
