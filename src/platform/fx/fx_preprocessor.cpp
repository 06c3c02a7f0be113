#include "platform/fx/fx_preprocessor.h"

#include <algorithm>
#include <cctype>

#include "platform/fx/fx_const_expr.h"

namespace fx::detail {

std::string_view DirectiveWord(std::string_view line, std::string_view* rest) {
    size_t i = line.empty() ? 0 : 1;  // the '#'
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    size_t n = i;
    while (n < line.size() && (std::isalnum(static_cast<unsigned char>(line[n])) || line[n] == '_'))
        ++n;
    *rest = line.substr(n);
    return line.substr(i, n - i);
}

void MacroTable::Apply(const Token& directive) {
    std::string_view rest;
    std::string_view word = DirectiveWord(directive.text, &rest);
    if (word != "define" && word != "undef") return;
    std::vector<Token> words = Tokenize(rest, nullptr);
    if (words.empty() || words[0].kind != TokenKind::Identifier) return;
    std::string name(words[0].text);
    if (word == "undef") {
        macros_.erase(name);
        return;
    }
    rest.remove_prefix(words[0].offset + words[0].text.size());
    if (!rest.empty() && rest[0] == '(') return;  // function-like: left to glslang
    auto macro = std::make_shared<Macro>();
    macro->body = std::string(rest);
    std::replace(macro->body.begin(), macro->body.end(), '\\', ' ');  // line continuations
    macro->tokens = Tokenize(macro->body, nullptr);
    macros_[name] = std::move(macro);
}

std::vector<Token> MacroTable::Expand(const Token* first, const Token* end) const {
    std::vector<Token> out;
    for (const Token* t = first; t < end; ++t) ExpandOne(*t, &out, 0);
    return out;
}

void MacroTable::ExpandOne(const Token& t, std::vector<Token>* out, int depth) const {
    auto it = t.kind == TokenKind::Identifier ? macros_.find(t.text) : macros_.end();
    if (it == macros_.end() || depth > 8) {
        out->push_back(t);
        return;
    }
    for (const Token& m : it->second->tokens) {
        Token located = m;
        located.at = t.at;
        ExpandOne(located, out, depth + 1);
    }
}

namespace {

// The value of an #if / #elif condition: defined(X) first, then macros, unknown names as 0.
bool Condition(const MacroTable& macros, const Token& directive, std::string_view text,
               std::vector<Diagnostic>* errors) {
    std::vector<Token> raw = Tokenize(text, nullptr);
    std::vector<Token> replaced;
    for (size_t i = 0; i < raw.size(); ++i) {
        if (raw[i].text == "defined") {
            size_t name = i + 1;
            bool paren = name < raw.size() && raw[name].text == "(";
            if (paren) ++name;
            if (name >= raw.size() || raw[name].kind != TokenKind::Identifier) break;
            Token value = raw[i];
            value.kind = TokenKind::Number;
            value.text = macros.Defined(raw[name].text) ? "1" : "0";
            replaced.push_back(value);
            i = name + (paren ? 1 : 0);
            continue;
        }
        replaced.push_back(raw[i]);
    }
    std::vector<Token> expanded = macros.Expand(replaced.data(), replaced.data() + replaced.size());
    for (Token& t : expanded) t.at = directive.at;
    static const ConstValue kZero{{0.0}, true};
    ConstValue value;
    Diagnostic error;
    if (!EvaluateConst(
            expanded, [](std::string_view) { return &kZero; }, &value, &error) ||
        value.components.size() != 1) {
        errors->push_back(
            {directive.at, "cannot evaluate the condition '" +
                               std::string(text.substr(text.find_first_not_of(" \t"))) + "'"});
        return false;
    }
    return value.components[0] != 0;
}

}  // namespace

std::vector<Token> ActiveTokens(const std::vector<Token>& tokens, std::vector<Diagnostic>* errors) {
    struct Branch {
        bool parentActive, active, taken, sawElse;
        SourceLocation at;
    };
    std::vector<Branch> stack;
    MacroTable macros;
    std::vector<Token> out;
    auto active = [&] { return stack.empty() || stack.back().active; };
    for (const Token& t : tokens) {
        if (t.kind != TokenKind::Preprocessor) {
            if (active()) out.push_back(t);
            continue;
        }
        std::string_view rest;
        std::string_view word = DirectiveWord(t.text, &rest);
        if (word == "if" || word == "ifdef" || word == "ifndef") {
            bool parent = active(), value = false;
            if (parent) {
                std::vector<Token> name = Tokenize(rest, nullptr);
                value = word == "if"
                            ? Condition(macros, t, rest, errors)
                            : !name.empty() && macros.Defined(name[0].text) == (word == "ifdef");
            }
            stack.push_back({parent, parent && value, parent && value, false, t.at});
        } else if (word == "elif" || word == "else") {
            if (stack.empty() || stack.back().sawElse) {
                errors->push_back({t.at, "#" + std::string(word) + " without #if"});
                continue;
            }
            Branch& b = stack.back();
            bool value = word == "else" ||
                         (b.parentActive && !b.taken && Condition(macros, t, rest, errors));
            b.active = b.parentActive && !b.taken && value;
            b.taken = b.taken || b.active;
            b.sawElse = word == "else";
        } else if (word == "endif") {
            if (stack.empty()) {
                errors->push_back({t.at, "#endif without #if"});
                continue;
            }
            stack.pop_back();
        } else if (active()) {
            macros.Apply(t);
            out.push_back(t);
        }
    }
    if (!stack.empty()) errors->push_back({stack.back().at, "#if without #endif"});
    return out;
}

}  // namespace fx::detail
