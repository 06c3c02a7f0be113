// Index of this file:
//  [SECTION] Token access
//  [SECTION] Preprocessor
//  [SECTION] Top level
//  [SECTION] Numeric parameters

#include "platform/fx/fx_prepass.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <map>
#include <memory>

#include "platform/fx/fx_source_limits.h"
#include "platform/fx/fx_state_names.h"

namespace fx::detail {

const ParameterDecl* PrepassResult::FindParameter(std::string_view name) const {
    for (const ParameterDecl& p : parameters) {
        if (p.name == name) return &p;
    }
    return nullptr;
}

bool PrepassResult::HasFunction(std::string_view name) const {
    return std::find(functions.begin(), functions.end(), name) != functions.end();
}

bool ParseParameterType(std::string_view name, ParameterType* type) {
    if (name == "matrix") {
        *type = {BaseKind::Float, 4, 4};
        return true;
    }
    if (name == "vector") {
        *type = {BaseKind::Float, 1, 4};
        return true;
    }
    static constexpr std::pair<std::string_view, BaseKind> kBases[] = {
        {"float", BaseKind::Float},
        {"half", BaseKind::Float},
        {"int", BaseKind::Int},
        {"bool", BaseKind::Bool},
    };
    for (auto [base, kind] : kBases) {
        if (name.substr(0, base.size()) != base) continue;
        std::string_view rest = name.substr(base.size());
        auto digit = [](char c) { return c >= '1' && c <= '4'; };
        if (rest.empty()) {
            *type = {kind, 1, 1};
            return true;
        }
        if (rest.size() == 1 && digit(rest[0])) {
            *type = {kind, 1, rest[0] - '0'};
            return true;
        }
        if (rest.size() == 3 && digit(rest[0]) && rest[1] == 'x' && digit(rest[2])) {
            *type = {kind, rest[0] - '0', rest[2] - '0'};
            return true;
        }
        return false;
    }
    return false;
}

namespace {

bool IsTextureType(std::string_view t) {
    return EqualsNoCase(t, "texture") || EqualsNoCase(t, "texture2D");
}
bool IsUnsupportedObjectType(std::string_view t) {
    return EqualsNoCase(t, "texture1D") || EqualsNoCase(t, "texture3D") ||
           EqualsNoCase(t, "textureCUBE") || t == "sampler1D" || t == "sampler3D" ||
           t == "samplerCUBE" || t == "SamplerState" || t == "Texture2D" || t == "string";
}
bool IsModifier(std::string_view t) {
    return t == "static" || t == "const" || t == "uniform" || t == "extern" || t == "shared" ||
           t == "volatile" || t == "row_major" || t == "column_major" || t == "inline" ||
           t == "precise" || t == "nointerpolation";
}

class Prepass {
  public:
    explicit Prepass(std::string_view source) {
        result_.hlsl = std::string(source);
        Diagnostic commentError;
        tokens_ = Tokenize(source, &commentError);
        if (!commentError.text.empty()) result_.errors.push_back(commentError);
        // Text beyond the limits is not read further, here or by the compiler.
        if (!CheckSourceLimits(tokens_, &result_.errors)) tokens_.clear();
    }

    PrepassResult Run() {
        while (!AtEnd()) {
            size_t before = pos_;
            TopLevel();
            if (pos_ == before) ++pos_;  // always make progress, whatever the text
        }
        for (auto it = replacements_.rbegin(); it != replacements_.rend(); ++it) {
            result_.hlsl.replace(it->offset, it->length, it->text);
        }
        return std::move(result_);
    }

  private:
    struct Replacement {
        size_t offset, length;
        std::string text;
    };

    // [SECTION] Token access
    bool AtEnd() const { return pos_ >= tokens_.size(); }
    const Token& Peek(size_t ahead = 0) const {
        static const Token kEnd{TokenKind::Punct, "", 0, {}};
        size_t i = pos_ + ahead;
        if (i < tokens_.size()) return tokens_[i];
        return kEnd;
    }
    bool PeekIs(std::string_view text, size_t ahead = 0) const {
        return pos_ + ahead < tokens_.size() && Peek(ahead).text == text;
    }
    SourceLocation Here() const {
        if (!AtEnd()) return Peek().at;
        return tokens_.empty() ? SourceLocation{} : tokens_.back().at;
    }
    void Error(SourceLocation at, std::string text) {
        result_.errors.push_back({at, std::move(text)});
    }
    // Reports an error and skips the rest of the statement.
    void Reject(SourceLocation at, std::string text) {
        Error(at, std::move(text));
        SkipStatement();
    }
    size_t EndOffset(size_t tokenIndex) const {
        const Token& t = tokens_[tokenIndex];
        return t.offset + t.text.size();
    }

    // Blanks tokens [first, last] (inclusive) in the output, keeping newlines.
    void Blank(size_t first, size_t last) {
        if (first > last || last >= tokens_.size()) return;
        for (size_t i = tokens_[first].offset; i < EndOffset(last); ++i) {
            if (result_.hlsl[i] != '\n') result_.hlsl[i] = ' ';
        }
    }

    // Blanks every token from first up to (not including) the current one.
    void BlankSince(size_t first) {
        if (pos_ > first) Blank(first, pos_ - 1);
    }

    // Skips a balanced group starting at an opening bracket; returns false at end of file.
    bool SkipBalanced(char open, char close) {
        int depth = 0;
        while (!AtEnd()) {
            const Token& t = Peek();
            if (t.kind == TokenKind::Punct && t.text[0] == open) ++depth;
            if (t.kind == TokenKind::Punct && t.text[0] == close) {
                --depth;
                if (depth == 0) {
                    ++pos_;
                    return true;
                }
            }
            ++pos_;
        }
        return false;
    }

    // Steps over one token, or over a whole bracketed group when the token opens one.
    void SkipTokenOrGroup(char open, char close) {
        if (PeekIs(std::string_view(&open, 1)))
            SkipBalanced(open, close);
        else
            ++pos_;
    }

    // Skips to just past the next ';' at bracket depth 0 (or stops before an unmatched '}').
    void SkipStatement() {
        int depth = 0;
        while (!AtEnd()) {
            const Token& t = Peek();
            if (t.kind == TokenKind::Punct) {
                char c = t.text[0];
                if (c == '{' || c == '(' || c == '[') ++depth;
                if (c == '}' || c == ')' || c == ']') {
                    if (depth == 0) return;
                    --depth;
                    if (depth == 0 && c == '}') {
                        ++pos_;
                        if (PeekIs(";")) ++pos_;
                        return;
                    }
                }
                if (c == ';' && depth == 0) {
                    ++pos_;
                    return;
                }
            }
            ++pos_;
        }
    }

    // Expands simple object-like macros in a token run.
    std::vector<Token> Expand(size_t first, size_t end, int depth = 0) const {
        std::vector<Token> out;
        for (size_t i = first; i < end && i < tokens_.size(); ++i)
            ExpandOne(tokens_[i], &out, depth);
        return out;
    }
    void ExpandOne(const Token& t, std::vector<Token>* out, int depth) const {
        auto it =
            t.kind == TokenKind::Identifier ? macros_.find(std::string(t.text)) : macros_.end();
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

    // [SECTION] Preprocessor
    struct Macro {
        std::string body;  // owns the text the tokens point into
        std::vector<Token> tokens;
    };

    void Directive(const Token& t) {
        std::string_view line = t.text.substr(1);
        auto skipSpace = [&] {
            while (!line.empty() && (line[0] == ' ' || line[0] == '\t')) line.remove_prefix(1);
        };
        auto identifier = [&] {
            skipSpace();
            size_t n = 0;
            while (n < line.size() &&
                   (std::isalnum(static_cast<unsigned char>(line[n])) || line[n] == '_'))
                ++n;
            std::string_view id = line.substr(0, n);
            line.remove_prefix(n);
            return id;
        };
        std::string_view word = identifier();
        if (word == "include") {
            Error(t.at, "#include is not supported");
            // glslang would fail on it too; keep the message to ours.
            Blank(pos_, pos_);
            return;
        }
        if (word != "define" && word != "undef") return;
        std::string name(identifier());
        if (name.empty()) return;
        if (word == "undef") {
            macros_.erase(name);
            return;
        }
        if (!line.empty() && line[0] == '(') return;  // function-like: left to glslang
        auto macro = std::make_unique<Macro>();
        macro->body = std::string(line);
        // Drop line continuations from the body.
        std::replace(macro->body.begin(), macro->body.end(), '\\', ' ');
        macro->tokens = Tokenize(macro->body, nullptr);
        macroStore_.push_back(std::move(macro));
        macros_[name] = macroStore_.back().get();
    }

    // [SECTION] Top level
    void TopLevel() {
        const Token& t = Peek();
        if (t.kind == TokenKind::Preprocessor) {
            Directive(t);
            ++pos_;
            return;
        }
        if (t.kind != TokenKind::Identifier) {
            if (t.text != ";") Error(t.at, "unexpected '" + std::string(t.text) + "'");
            ++pos_;
            return;
        }
        if (EqualsNoCase(t.text, "technique") || EqualsNoCase(t.text, "technique9")) {
            Technique();
            return;
        }
        if (EqualsNoCase(t.text, "technique10") || EqualsNoCase(t.text, "technique11") ||
            t.text == "cbuffer" || t.text == "tbuffer" || t.text == "namespace" ||
            t.text == "interface" || t.text == "class") {
            Error(t.at, "'" + std::string(t.text) + "' is not supported");
            size_t first = pos_;
            SkipStatement();
            BlankSince(first);
            return;
        }
        if (t.text == "struct" || t.text == "typedef") {
            SkipStatement();
            return;
        }
        Declaration();
    }

    void Declaration() {
        size_t first = pos_;
        bool isStatic = false, isConst = false;
        while (!AtEnd() && Peek().kind == TokenKind::Identifier && IsModifier(Peek().text)) {
            if (Peek().text == "static") isStatic = true;
            if (Peek().text == "const") isConst = true;
            ++pos_;
        }
        if (AtEnd()) return;
        const Token& typeTok = Peek();
        if (typeTok.kind != TokenKind::Identifier) {
            Reject(typeTok.at, "unexpected '" + std::string(typeTok.text) + "'");
            return;
        }
        ++pos_;
        if (PeekIs("<")) {
            Reject(typeTok.at, "template types are not supported");
            return;
        }
        if (Peek().kind != TokenKind::Identifier) {
            Reject(Here(), "expected a name after '" + std::string(typeTok.text) + "'");
            return;
        }
        if (PeekIs("(", 1)) {
            Function();
            return;
        }
        if (IsTextureType(typeTok.text)) {
            Textures(first);
            return;
        }
        if (typeTok.text == "sampler" || typeTok.text == "sampler2D") {
            if (typeTok.text == "sampler")
                replacements_.push_back({typeTok.offset, typeTok.text.size(), "sampler2D"});
            Samplers();
            return;
        }
        if (IsUnsupportedObjectType(typeTok.text)) {
            Reject(typeTok.at, "'" + std::string(typeTok.text) + "' parameters are not supported");
            BlankSince(first);
            return;
        }
        ParameterType type;
        bool numeric = ParseParameterType(typeTok.text, &type);
        bool isParameter = !isStatic && !isConst;
        if (isParameter && !numeric) {
            Reject(typeTok.at,
                   "parameters of type '" + std::string(typeTok.text) + "' are not supported");
            return;
        }
        Variables(type, isParameter);
    }

    void Function() {
        result_.functions.emplace_back(Peek().text);
        ++pos_;  // name
        if (!SkipBalanced('(', ')')) {
            Error(Here(), "unexpected end of file in a function's parameters");
            return;
        }
        // Return semantic or register: everything up to the body.
        while (!AtEnd() && !PeekIs("{") && !PeekIs(";") && !PeekIs("}")) ++pos_;
        if (PeekIs(";")) {
            result_.functions.pop_back();  // a prototype
            ++pos_;
            return;
        }
        if (!PeekIs("{")) {
            Error(Here(), "expected a function body");
            return;
        }
        SourceLocation open = Peek().at;
        if (!SkipBalanced('{', '}')) Error(open, "unexpected end of file in a function body");
    }

    // Skips a ": semantic" or ": register(...)" part; blanks it when asked.
    void Semantic(bool blank) {
        if (!PeekIs(":")) return;
        size_t first = pos_;
        ++pos_;
        while (!AtEnd() && !PeekIs("=") && !PeekIs(",") && !PeekIs(";") && !PeekIs("<") &&
               !PeekIs("{"))
            SkipTokenOrGroup('(', ')');
        if (blank && pos_ > first) Blank(first, pos_ - 1);
    }

    void Annotations() {
        if (!PeekIs("<")) return;
        size_t first = pos_;
        SourceLocation at = Peek().at;
        if (!SkipBalanced('<', '>')) {
            Error(at, "unexpected end of file in annotations");
            return;
        }
        Blank(first, pos_ - 1);
    }

    void Textures(size_t first) {
        while (!AtEnd()) {
            const Token& name = Peek();
            if (name.kind != TokenKind::Identifier) {
                Reject(name.at, "expected a texture name");
                break;
            }
            result_.textures.push_back({std::string(name.text), name.at});
            ++pos_;
            Semantic(false);
            Annotations();
            if (PeekIs("=")) {
                Reject(Peek().at, "texture initialisers are not supported");
                break;
            }
            if (NextDeclarator("texture declaration")) continue;
            break;
        }
        BlankSince(first);
    }

    // After one name of a declaration list: true after a ',' (another name follows), false after
    // the closing ';' or a reported error.
    bool NextDeclarator(const char* what) {
        if (PeekIs(",")) {
            ++pos_;
            return true;
        }
        if (PeekIs(";")) {
            ++pos_;
        } else {
            Reject(Here(), std::string("expected ';' after a ") + what);
        }
        return false;
    }

    void Samplers() {
        while (!AtEnd()) {
            const Token& name = Peek();
            if (name.kind != TokenKind::Identifier) {
                Reject(name.at, "expected a sampler name");
                return;
            }
            SamplerDecl sampler;
            sampler.name = std::string(name.text);
            sampler.at = name.at;
            ++pos_;
            if (PeekIs("[")) {
                Reject(Peek().at, "sampler arrays are not supported");
                return;
            }
            Semantic(true);
            Annotations();
            if (PeekIs("=")) {
                size_t first = pos_;
                ++pos_;
                if (!(Peek().kind == TokenKind::Identifier &&
                      EqualsNoCase(Peek().text, "sampler_state"))) {
                    Reject(Here(), "a sampler's initialiser must be a sampler_state block");
                    return;
                }
                ++pos_;
                SamplerState(&sampler);
                BlankSince(first);
            }
            result_.samplers.push_back(sampler);
            if (NextDeclarator("sampler declaration")) continue;
            return;
        }
    }

    // Reads "Name = value;" assignments inside braces and hands each to the callback (name token
    // index, value tokens with macros expanded). Leaves pos_ after the closing brace; false when
    // the block does not open or does not close.
    template <typename OnAssignment>
    bool Assignments(const char* what, OnAssignment onAssignment) {
        if (!PeekIs("{")) {
            Reject(Here(), std::string("expected '{' to open a ") + what);
            return false;
        }
        SourceLocation open = Peek().at;
        ++pos_;
        while (true) {
            if (AtEnd()) {
                Error(open, std::string("unexpected end of file in a ") + what);
                return false;
            }
            if (PeekIs("}")) {
                ++pos_;
                return true;
            }
            if (Peek().kind == TokenKind::Preprocessor) {
                Error(Peek().at,
                      std::string("preprocessor lines inside a ") + what + " are not supported");
                ++pos_;
                continue;
            }
            if (PeekIs(";")) {
                ++pos_;
                continue;
            }
            size_t nameIndex = pos_;
            const Token& name = Peek();
            if (name.kind != TokenKind::Identifier) {
                Error(name.at, "unexpected '" + std::string(name.text) + "' in a " + what);
                ++pos_;
                continue;
            }
            ++pos_;
            if (PeekIs("[")) {
                Reject(Peek().at,
                       "indexed state '" + std::string(name.text) + "[...]' is not supported");
                continue;
            }
            if (!PeekIs("=")) {
                Reject(Here(), "expected '=' after '" + std::string(name.text) + "'");
                continue;
            }
            ++pos_;
            size_t valueFirst = pos_;
            while (!AtEnd() && !PeekIs(";") && !PeekIs("}")) SkipTokenOrGroup('{', '}');
            size_t valueEnd = pos_;
            if (PeekIs(";")) {
                ++pos_;
            } else {
                Error(Here(), "expected ';' after the value of '" + std::string(name.text) + "'");
            }
            onAssignment(nameIndex, Expand(valueFirst, valueEnd));
        }
    }

    static std::string Joined(const std::vector<Token>& value) {
        std::string s;
        for (const Token& t : value) s += t.text;
        return s;
    }

    void SamplerState(SamplerDecl* sampler) {
        Assignments("sampler_state block", [&](size_t nameIndex, const std::vector<Token>& value) {
            const Token& name = tokens_[nameIndex];
            auto field = SamplerFieldByName(name.text);
            if (!field) {
                Error(name.at, "sampler state '" + std::string(name.text) + "' is not supported");
                return;
            }
            if (*field == SamplerField::Texture) {
                // <tex0>, (tex0) or tex0
                std::vector<Token> inner = value;
                if (inner.size() == 3 && ((inner[0].text == "<" && inner[2].text == ">") ||
                                          (inner[0].text == "(" && inner[2].text == ")"))) {
                    inner = {inner[1]};
                }
                if (inner.size() != 1 || inner[0].kind != TokenKind::Identifier) {
                    Error(name.at, "expected Texture = <name>");
                    return;
                }
                sampler->texture = std::string(inner[0].text);
                return;
            }
            std::string text = Joined(value);
            bool isFilter = *field == SamplerField::MinFilter ||
                            *field == SamplerField::MagFilter || *field == SamplerField::MipFilter;
            auto v = isFilter ? FilterValue(text) : AddressValue(text);
            if (!v) {
                Error(value.empty() ? name.at : value[0].at, "unknown value '" + text +
                                                                 "' for sampler state '" +
                                                                 std::string(name.text) + "'");
                return;
            }
            switch (*field) {
                case SamplerField::MinFilter:
                    sampler->minFilter = *v;
                    break;
                case SamplerField::MagFilter:
                    sampler->magFilter = *v;
                    break;
                case SamplerField::MipFilter:
                    sampler->mipFilter = *v;
                    break;
                case SamplerField::AddressU:
                    sampler->addressU = *v;
                    break;
                case SamplerField::AddressV:
                    sampler->addressV = *v;
                    break;
                case SamplerField::AddressW:
                    sampler->addressW = *v;
                    break;
                case SamplerField::Texture:
                    break;
            }
        });
    }

    // The name after 'technique' or 'pass', if there is one.
    std::string OptionalName() {
        if (Peek().kind != TokenKind::Identifier) return {};
        std::string name(Peek().text);
        ++pos_;
        return name;
    }

    void Technique() {
        size_t first = pos_;
        TechniqueDecl technique;
        technique.at = Peek().at;
        ++pos_;
        technique.name = OptionalName();
        Annotations();
        if (!PeekIs("{")) {
            Reject(Here(), "expected '{' to open a technique");
            BlankSince(first);
            return;
        }
        SourceLocation open = Peek().at;
        ++pos_;
        bool closed = false;
        while (!AtEnd()) {
            if (PeekIs("}")) {
                ++pos_;
                closed = true;
                break;
            }
            if (Peek().kind == TokenKind::Identifier && EqualsNoCase(Peek().text, "pass")) {
                Pass(&technique);
                continue;
            }
            Error(Peek().at,
                  "expected 'pass' in a technique, found '" + std::string(Peek().text) + "'");
            const size_t before = pos_;
            SkipStatement();
            if (pos_ == before) ++pos_;  // a stray ')' or ']' stops SkipStatement where it stands
        }
        if (!closed) Error(open, "unexpected end of file in a technique");
        if (PeekIs(";")) ++pos_;
        BlankSince(first);
        result_.techniques.push_back(std::move(technique));
    }

    void Pass(TechniqueDecl* technique) {
        PassDecl pass;
        pass.at = Peek().at;
        ++pos_;
        pass.name = OptionalName();
        Annotations();
        bool ok = Assignments("pass", [&](size_t nameIndex, const std::vector<Token>& value) {
            const Token& name = tokens_[nameIndex];
            bool vertex = EqualsNoCase(name.text, "VertexShader");
            bool pixel = EqualsNoCase(name.text, "PixelShader");
            if (vertex || pixel) {
                Shader(name, value, vertex, &pass);
                return;
            }
            auto state = RenderStateByName(name.text);
            if (!state) {
                Error(name.at, "render state '" + std::string(name.text) + "' is not supported");
                return;
            }
            std::string text = Joined(value);
            auto v = RenderStateValue(*state, text);
            if (!v) {
                Error(value.empty() ? name.at : value[0].at, "unknown value '" + text +
                                                                 "' for render state '" +
                                                                 std::string(name.text) + "'");
                return;
            }
            pass.renderStates.emplace_back(*state, *v);
        });
        if (ok && (pass.vertexEntry.empty() || pass.pixelEntry.empty())) {
            Error(pass.at, "pass '" + pass.name + "' needs both a VertexShader and a PixelShader");
        }
        technique->passes.push_back(std::move(pass));
    }

    void Shader(const Token& name, const std::vector<Token>& value, bool vertex, PassDecl* pass) {
        // compile <profile> <entry> ( )
        SourceLocation at = value.empty() ? name.at : value[0].at;
        if (value.size() < 3 || value[0].text != "compile") {
            Error(at, "expected '" + std::string(name.text) + " = compile <profile> <function>()'");
            return;
        }
        std::string_view profile = value[1].text;
        std::string_view wanted = vertex ? "vs_" : "ps_";
        if (profile.substr(0, 3) != wanted) {
            Error(value[1].at,
                  "profile '" + std::string(profile) + "' does not fit " + std::string(name.text));
            return;
        }
        if (value[2].kind != TokenKind::Identifier) {
            Error(value[2].at, "expected a function name after the profile");
            return;
        }
        if (value.size() != 5 || value[3].text != "(" || value[4].text != ")") {
            Error(value[2].at, "shader arguments in a compile statement are not supported");
            return;
        }
        (vertex ? pass->vertexEntry : pass->pixelEntry) = std::string(value[2].text);
        (vertex ? pass->vertexAt : pass->pixelAt) = value[2].at;
    }

    // [SECTION] Numeric parameters
    void Variables(const ParameterType& type, bool isParameter) {
        while (!AtEnd()) {
            const Token& name = Peek();
            if (name.kind != TokenKind::Identifier) {
                Reject(name.at, "expected a variable name");
                return;
            }
            ParameterDecl decl;
            decl.name = std::string(name.text);
            decl.type = type;
            decl.at = name.at;
            ++pos_;
            if (PeekIs("[")) {
                size_t open = pos_;
                if (!SkipBalanced('[', ']')) {
                    Error(name.at, "unexpected end of file in an array size");
                    return;
                }
                std::vector<Token> size = Expand(open + 1, pos_ - 1);
                long n = 0;
                if (size.size() == 1 && size[0].kind == TokenKind::Number)
                    n = std::strtol(std::string(size[0].text).c_str(), nullptr, 10);
                if (isParameter && (n <= 0 || n > 4096)) {
                    Reject(name.at,
                           "array size of '" + decl.name + "' must be a number from 1 to 4096");
                    return;
                }
                decl.arraySize = static_cast<int>(n);
                if (PeekIs("[")) {
                    Reject(Peek().at, "arrays of arrays are not supported");
                    return;
                }
            }
            Semantic(isParameter);
            Annotations();
            if (PeekIs("=")) {
                size_t eq = pos_;
                ++pos_;
                int depth = 0;
                while (!AtEnd()) {
                    const Token& t = Peek();
                    if (t.text == "{" || t.text == "(") ++depth;
                    if (t.text == "}" || t.text == ")") --depth;
                    if (depth <= 0 && (t.text == ";" || t.text == ",")) break;
                    if (depth < 0) break;
                    ++pos_;
                }
                if (isParameter) {
                    InitialValue(&decl, eq + 1, pos_);
                    Blank(eq, pos_ - 1);
                }
            }
            if (isParameter) result_.parameters.push_back(std::move(decl));
            if (NextDeclarator("declaration")) continue;
            return;
        }
    }

    void InitialValue(ParameterDecl* decl, size_t first, size_t end) {
        std::vector<Token> value = Expand(first, end);
        std::vector<float> numbers;
        bool negative = false;
        for (size_t i = 0; i < value.size(); ++i) {
            const Token& t = value[i];
            if (t.kind == TokenKind::Number) {
                std::string text(t.text);
                while (!text.empty() && (text.back() == 'f' || text.back() == 'F' ||
                                         text.back() == 'h' || text.back() == 'H')) {
                    text.pop_back();
                }
                char* stop = nullptr;
                float f = std::strtof(text.c_str(), &stop);
                if (text.empty() || *stop != '\0') {
                    Error(t.at, "cannot read the number '" + std::string(t.text) + "'");
                    return;
                }
                numbers.push_back(negative ? -f : f);
                negative = false;
                continue;
            }
            if (t.text == "-") {
                negative = !negative;
                continue;
            }
            if (t.text == "+" || t.text == "{" || t.text == "}" || t.text == "(" || t.text == ")" ||
                t.text == ",") {
                continue;
            }
            ParameterType ignored;
            if (t.kind == TokenKind::Identifier && ParseParameterType(t.text, &ignored) &&
                i + 1 < value.size() && value[i + 1].text == "(") {
                continue;  // a constructor such as float2( ... )
            }
            if (t.text == "true" || t.text == "false") {
                numbers.push_back(t.text == "true" ? 1.0f : 0.0f);
                continue;
            }
            Error(t.at, "initial value of '" + decl->name + "' must be a list of numbers, found '" +
                            std::string(t.text) + "'");
            return;
        }
        size_t wanted = static_cast<size_t>(decl->type.Components()) * decl->Elements();
        if (numbers.size() == 1 && wanted > 1) {
            numbers.assign(wanted, numbers[0]);  // a scalar initialises every component
        }
        if (numbers.size() != wanted) {
            Error(value.empty() ? decl->at : value[0].at,
                  "initial value of '" + decl->name + "' has " + std::to_string(numbers.size()) +
                      " numbers, its type needs " + std::to_string(wanted));
            return;
        }
        decl->initial = std::move(numbers);
    }

    std::vector<Token> tokens_;
    size_t pos_ = 0;
    PrepassResult result_;
    std::vector<Replacement> replacements_;
    std::map<std::string, const Macro*> macros_;
    std::vector<std::unique_ptr<Macro>> macroStore_;
};

}  // namespace

PrepassResult RunPrepass(std::string_view source) {
    PrepassResult result = Prepass(source).Run();
    // Strings belong in annotations, which are blanked; a string variable or member that reaches
    // glslang crashes its SPIR-V generation (found by fuzz_effect).
    if (result.errors.empty()) {
        for (const Token& t : Tokenize(result.hlsl, nullptr))
            if (t.kind == TokenKind::Identifier && t.text == "string")
                result.errors.push_back({t.at, "'string' is only supported in annotations"});
    }
    return result;
}

}  // namespace fx::detail
