#include "platform/fx/fx_source_limits.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <map>
#include <memory>
#include <string>

namespace fx::detail {
namespace {

// What a run of tokens does once expanded: its size (saturating above the limit), the bracket
// depth it ends at and the deepest it reaches, relative to where it starts.
struct Extent {
    size_t tokens = 0;
    int net = 0;
    int peak = 0;
};

constexpr int kMaxMacroDepth = 64;  // macros expanding macros

class LimitChecker {
  public:
    explicit LimitChecker(std::vector<Diagnostic>* errors) : errors_(errors) {}

    bool Check(const std::vector<Token>& tokens) {
        Extent file;
        for (const Token& t : tokens) {
            if (t.kind == TokenKind::Preprocessor) {
                Directive(t.text);
                continue;
            }
            Add(&file, t, 0);
            file.net = std::max(file.net, 0);  // a stray closer opens no room below the top
            if (tooDeep_) {
                return Fail(t.at, "macros nested deeper than " + std::to_string(kMaxMacroDepth) +
                                      " levels");
            }
            if (file.peak > kMaxNesting) {
                return Fail(
                    t.at, "brackets nested deeper than " + std::to_string(kMaxNesting) + " levels");
            }
            if (file.tokens > kMaxExpandedTokens) {
                return Fail(t.at, "macro expansion makes the text longer than " +
                                      std::to_string(kMaxExpandedTokens) + " tokens");
            }
        }
        return true;
    }

  private:
    struct Macro {
        std::unique_ptr<std::string> body;  // the tokens view into it
        std::vector<Token> tokens;
        Extent extent;
        uint64_t generation = 0;  // extent is valid while this equals generation_
        bool expanding = false;   // a macro does not expand inside itself
    };

    bool Fail(SourceLocation at, std::string text) {
        errors_->push_back({at, std::move(text)});
        return false;
    }

    // Appends one token (a macro: its expansion with the definitions now in force) to a run.
    void Add(Extent* run, const Token& t, int depth) {
        if (t.kind == TokenKind::Identifier) {
            auto it = macros_.find(std::string(t.text));
            if (it != macros_.end() && !it->second.expanding) {
                const Extent& m = Expansion(&it->second, depth + 1);
                run->peak = std::max(run->peak, run->net + m.peak);
                run->net += m.net;
                run->tokens = std::min(run->tokens + m.tokens, kMaxExpandedTokens + 1);
                return;
            }
        }
        run->tokens = std::min(run->tokens + 1, kMaxExpandedTokens + 1);
        if (t.kind != TokenKind::Punct) return;
        const char c = t.text[0];
        if (c == '(' || c == '[' || c == '{') run->peak = std::max(run->peak, ++run->net);
        if (c == ')' || c == ']' || c == '}') --run->net;
    }

    const Extent& Expansion(Macro* m, int depth) {
        if (m->generation == generation_) return m->extent;
        m->extent = Extent{};
        if (depth > kMaxMacroDepth) {
            tooDeep_ = true;
            return m->extent;
        }
        m->expanding = true;
        Extent e;
        for (const Token& t : m->tokens) Add(&e, t, depth);
        m->expanding = false;
        m->extent = e;
        m->generation = generation_;
        return m->extent;
    }

    // #define NAME body (object-like) and #undef NAME; the rest is not ours to read.
    void Directive(std::string_view line) {
        line.remove_prefix(1);
        auto word = [&] {
            while (!line.empty() && (line[0] == ' ' || line[0] == '\t')) line.remove_prefix(1);
            size_t n = 0;
            while (n < line.size() &&
                   (std::isalnum(static_cast<unsigned char>(line[n])) || line[n] == '_'))
                ++n;
            std::string_view w = line.substr(0, n);
            line.remove_prefix(n);
            return std::string(w);
        };
        const std::string directive = word();
        if (directive != "define" && directive != "undef") return;
        const std::string name = word();
        if (name.empty()) return;
        ++generation_;
        if (directive == "undef" || (!line.empty() && line[0] == '(')) {
            macros_.erase(name);
            return;
        }
        Macro macro;
        macro.body = std::make_unique<std::string>(line);
        std::replace(macro.body->begin(), macro.body->end(), '\\', ' ');
        macro.tokens = Tokenize(*macro.body, nullptr);
        macros_[name] = std::move(macro);
    }

    std::vector<Diagnostic>* errors_;
    std::map<std::string, Macro> macros_;
    uint64_t generation_ = 1;
    bool tooDeep_ = false;
};

}  // namespace

bool CheckSourceLimits(const std::vector<Token>& tokens, std::vector<Diagnostic>* errors) {
    return LimitChecker(errors).Check(tokens);
}

}  // namespace fx::detail
