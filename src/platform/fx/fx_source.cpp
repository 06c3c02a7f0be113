#include "platform/fx/fx_source.h"

#include <cctype>

namespace fx::detail {

std::string FormatError(std::string_view path, const Diagnostic& diagnostic) {
    std::string out(path);
    out += "(" + std::to_string(diagnostic.at.line) + "," + std::to_string(diagnostic.at.column) +
           "): error: " + diagnostic.text + "\n";
    return out;
}

std::string SourceMap::Format(std::string_view path, const Diagnostic& diagnostic) const {
    if (diagnostic.at.line < 1 || static_cast<size_t>(diagnostic.at.line) > lines_.size())
        return FormatError(path, diagnostic);
    const Origin& o = lines_[static_cast<size_t>(diagnostic.at.line) - 1];
    Diagnostic d = diagnostic;
    d.at.line = o.line;
    return FormatError(files_[static_cast<size_t>(o.file)], d);
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

namespace {

bool IsIdentStart(char c) {
    return std::isalpha(static_cast<unsigned char>(c)) || c == '_';
}
bool IsIdentChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}
bool IsDigit(char c) {
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

class Scanner {
  public:
    explicit Scanner(std::string_view s) : s_(s) {}
    bool AtEnd() const { return i_ >= s_.size(); }
    char Peek(size_t ahead = 0) const { return i_ + ahead < s_.size() ? s_[i_ + ahead] : '\0'; }
    void Advance() {
        if (AtEnd()) return;
        if (s_[i_] == '\n') {
            ++at_.line;
            at_.column = 1;
        } else {
            ++at_.column;
        }
        ++i_;
    }
    size_t Offset() const { return i_; }
    SourceLocation At() const { return at_; }

  private:
    std::string_view s_;
    size_t i_ = 0;
    SourceLocation at_;
};

}  // namespace

std::vector<Token> Tokenize(std::string_view source, Diagnostic* error) {
    std::vector<Token> tokens;
    Scanner sc(source);
    bool lineStart = true;  // only whitespace seen since the last newline
    while (!sc.AtEnd()) {
        char c = sc.Peek();
        if (c == '\n') {
            lineStart = true;
            sc.Advance();
            continue;
        }
        if (std::isspace(static_cast<unsigned char>(c))) {
            sc.Advance();
            continue;
        }
        if (c == '/' && sc.Peek(1) == '/') {
            while (!sc.AtEnd() && sc.Peek() != '\n') sc.Advance();
            continue;
        }
        if (c == '/' && sc.Peek(1) == '*') {
            SourceLocation start = sc.At();
            sc.Advance();
            sc.Advance();
            while (!sc.AtEnd() && !(sc.Peek() == '*' && sc.Peek(1) == '/')) sc.Advance();
            if (sc.AtEnd()) {
                if (error && error->text.empty()) *error = {start, "unterminated comment"};
            } else {
                sc.Advance();
                sc.Advance();
            }
            continue;
        }
        size_t begin = sc.Offset();
        SourceLocation at = sc.At();
        TokenKind kind;
        if (c == '#' && lineStart) {
            kind = TokenKind::Preprocessor;
            while (!sc.AtEnd() && sc.Peek() != '\n') {
                if (sc.Peek() == '\\' && sc.Peek(1) == '\n') sc.Advance();
                sc.Advance();
            }
        } else if (IsIdentStart(c)) {
            kind = TokenKind::Identifier;
            while (IsIdentChar(sc.Peek())) sc.Advance();
        } else if (IsDigit(c) || (c == '.' && IsDigit(sc.Peek(1)))) {
            kind = TokenKind::Number;
            // Digits, a fraction, an exponent with sign, suffixes (f, h, x for hex ...).
            while (true) {
                char d = sc.Peek();
                if (IsIdentChar(d) || d == '.') {
                    bool exponent = (d == 'e' || d == 'E');
                    sc.Advance();
                    if (exponent && (sc.Peek() == '+' || sc.Peek() == '-')) sc.Advance();
                } else {
                    break;
                }
            }
        } else if (c == '"') {
            kind = TokenKind::String;
            sc.Advance();
            while (!sc.AtEnd() && sc.Peek() != '"' && sc.Peek() != '\n') sc.Advance();
            if (sc.Peek() == '"') sc.Advance();
        } else {
            kind = TokenKind::Punct;
            sc.Advance();
        }
        lineStart = false;
        tokens.push_back({kind, source.substr(begin, sc.Offset() - begin), begin, at});
    }
    return tokens;
}

}  // namespace fx::detail
