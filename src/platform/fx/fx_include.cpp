#include "platform/fx/fx_include.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>

#include "platform/fx/fx_preprocessor.h"

namespace fx::detail {

class IncludeExpander {
  public:
    IncludeExpander(const TextReader& read, SourceMap* map, std::string* out,
                    std::vector<Diagnostic>* errors)
        : read_(read), map_(map), out_(out), errors_(errors) {}

    void File(const std::string& path, const std::string& text, int depth) {
        const int file = static_cast<int>(map_->files_.size());
        map_->files_.push_back(path);
        stack_.push_back(path);
        std::map<int, std::string_view> includes;  // line -> the rest of its #include
        for (const Token& t : Tokenize(text, nullptr)) {
            std::string_view rest;
            if (t.kind == TokenKind::Preprocessor && DirectiveWord(t.text, &rest) == "include")
                includes[t.at.line] = rest;
        }
        size_t begin = 0;
        for (int line = 1; begin < text.size() || line == 1; ++line) {
            size_t end = std::min(text.find('\n', begin), text.size());
            auto include = includes.find(line);
            // The directive's own line stays, empty, before what it includes.
            Emit(include == includes.end() ? std::string_view(text).substr(begin, end - begin)
                                           : std::string_view(),
                 file, line);
            if (include != includes.end()) Include(path, include->second, depth);
            begin = end + 1;
        }
        stack_.pop_back();
    }

  private:
    void Emit(std::string_view text, int file, int line) {
        out_->append(text);
        out_->push_back('\n');
        map_->lines_.push_back({file, line});
    }

    void Include(const std::string& from, std::string_view rest, int depth) {
        // Located at the directive, the last line written.
        const SourceLocation here{static_cast<int>(map_->lines_.size()), 1};
        size_t open = rest.find_first_of("\"<");
        size_t close = open == std::string_view::npos
                           ? open
                           : rest.find(rest[open] == '"' ? '"' : '>', open + 1);
        if (close == std::string_view::npos) {
            errors_->push_back({here, "expected #include \"file\""});
            return;
        }
        const std::string name(rest.substr(open + 1, close - open - 1));
        if (name.empty()) {
            errors_->push_back({here, "expected #include \"file\""});
            return;
        }
        if (depth >= kMaxIncludeDepth) {
            errors_->push_back({here, "includes nested deeper than " +
                                          std::to_string(kMaxIncludeDepth) + " files"});
            return;
        }
        std::string path, text, why;
        bool found = false;
        for (const std::string& folder : {Folder(from), Folder(stack_.front())}) {
            path = std::filesystem::path(name[0] == '/' ? name : folder + name)
                       .lexically_normal()
                       .string();
            if (read_(path, &text, &why)) {
                found = true;
                break;
            }
        }
        if (!found) {
            errors_->push_back({here, "cannot include '" + name + "': " + why});
            return;
        }
        if (once_.count(path) || Guarded(text)) return;
        if (std::find(stack_.begin(), stack_.end(), path) != stack_.end()) {
            errors_->push_back({here, "'" + name + "' includes itself"});
            return;
        }
        if (out_->size() + text.size() > kMaxEffectText) {
            errors_->push_back({here, "the effect and its includes are larger than " +
                                          std::to_string(kMaxEffectText) + " bytes"});
            return;
        }
        if (text.find("#pragma once") != std::string::npos) once_.insert(path);
        File(path, text, depth + 1);
    }

    // True when the text is guarded by #ifndef X / #define X and X is already defined by a file
    // read before; records X otherwise.
    bool Guarded(const std::string& text) {
        std::vector<std::string_view> words, names;
        for (const Token& t : Tokenize(text, nullptr)) {
            if (t.kind != TokenKind::Preprocessor) {
                if (words.size() < 2) return false;  // code before the guard
                continue;
            }
            std::string_view rest;
            words.push_back(DirectiveWord(t.text, &rest));
            std::vector<Token> name = Tokenize(rest, nullptr);
            names.push_back(name.empty() ? std::string_view() : name[0].text);
            if (words.size() == 2) break;
        }
        if (words.size() < 2 || words[0] != "ifndef" || words[1] != "define" ||
            names[0] != names[1] || names[0].empty())
            return false;
        return !guards_.insert(std::string(names[0])).second;
    }

    static std::string Folder(const std::string& path) {
        size_t slash = path.find_last_of('/');
        return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    }

    const TextReader& read_;
    SourceMap* map_;
    std::string* out_;
    std::vector<Diagnostic>* errors_;
    std::vector<std::string> stack_;
    std::set<std::string> once_, guards_;
};

bool ExpandIncludes(const std::string& path, const std::string& text, const TextReader& read,
                    std::string* expanded, SourceMap* map, std::vector<Diagnostic>* errors) {
    const size_t before = errors->size();
    expanded->clear();
    IncludeExpander(read, map, expanded, errors).File(path, text, 0);
    return errors->size() == before;
}

}  // namespace fx::detail
