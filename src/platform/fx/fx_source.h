// Tokens and diagnostics of effect source text, shared by the pre-pass and the compiler.
// Internal to platform/fx.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace fx::detail {

struct SourceLocation {
    int line = 1;
    int column = 1;
    bool operator==(const SourceLocation&) const = default;
};

struct Diagnostic {
    SourceLocation at;
    std::string text;
    bool operator==(const Diagnostic&) const = default;
};

// "path(line,col): error: text\n"
std::string FormatError(std::string_view path, const Diagnostic& diagnostic);

// Where each line of an effect's text, its includes expanded, came from.
class SourceMap {
  public:
    // FormatError at the line's origin; a line the map does not hold (or an empty map) is path's.
    std::string Format(std::string_view path, const Diagnostic& diagnostic) const;

  private:
    friend class IncludeExpander;
    struct Origin {
        int file, line;
    };
    std::vector<std::string> files_;  // [0]: the effect file
    std::vector<Origin> lines_;       // one per line of the expanded text
};

enum class TokenKind { Identifier, Number, String, Punct, Preprocessor };

struct Token {
    TokenKind kind;
    std::string_view text;  // view into the source
    size_t offset;          // byte offset in the source
    SourceLocation at;
};

// Splits HLSL/effect text into tokens. Comments are dropped; a preprocessor line (with its
// backslash continuations) becomes one Preprocessor token. Any byte is accepted: unknown bytes
// become one-character Punct tokens. An unterminated block comment is reported in *error (if not
// null).
std::vector<Token> Tokenize(std::string_view source, Diagnostic* error);

bool EqualsNoCase(std::string_view a, std::string_view b);

}  // namespace fx::detail
