// Index of this file:
//  [SECTION] Token access
//  [SECTION] Top level
//  [SECTION] Samplers and state blocks
//  [SECTION] Techniques and passes
//  [SECTION] Numeric parameters
//  [SECTION] Rewrites for glslang

#include "platform/fx/fx_prepass.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <map>
#include <memory>
#include <optional>
#include <set>

#include "platform/fx/fx_const_expr.h"
#include "platform/fx/fx_preprocessor.h"
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

// The kind of a texture or sampler type name, or nothing for other names.
std::optional<TextureKind> KindOfType(std::string_view t) {
    if (EqualsNoCase(t, "texture") || EqualsNoCase(t, "texture2D") || t == "sampler" ||
        t == "sampler2D")
        return TextureKind::Flat;
    if (EqualsNoCase(t, "textureCUBE") || t == "samplerCUBE") return TextureKind::Cube;
    if (EqualsNoCase(t, "texture3D") || t == "sampler3D") return TextureKind::Volume;
    return std::nullopt;
}
bool IsUnsupportedObjectType(std::string_view t) {
    return EqualsNoCase(t, "texture1D") || t == "sampler1D" || t == "SamplerState" ||
           t == "Texture2D";
}
bool IsModifier(std::string_view t) {
    return t == "static" || t == "const" || t == "uniform" || t == "extern" || t == "shared" ||
           t == "volatile" || t == "row_major" || t == "column_major" || t == "inline" ||
           t == "precise" || t == "nointerpolation";
}

// A function as written: where its parts lie in the token list, for generated wrappers.
struct FunctionDecl {
    std::string name;
    size_t typeFirst, open, close, body;  // return type, '(' and ')' of the parameters, '{'
};

// A compile statement with arguments: the wrapper to generate.
struct WrapperDecl {
    std::string entry, name;
    std::vector<std::string> arguments;
    SourceLocation at;
};

class Prepass {
  public:
    explicit Prepass(std::string_view source) {
        result_.hlsl = std::string(source);
        Diagnostic commentError;
        tokens_ = Tokenize(source, &commentError);
        if (!commentError.text.empty()) result_.errors.push_back(commentError);
        // Text beyond the limits is not read further, here or by the compiler.
        if (!CheckSourceLimits(tokens_, &result_.errors)) tokens_.clear();
        // Only the branches glslang compiles are read.
        tokens_ = ActiveTokens(tokens_, &result_.errors);
    }

    PrepassResult Run() {
        MatrixSwizzles();
        while (!AtEnd()) {
            size_t before = pos_;
            TopLevel();
            if (pos_ == before) ++pos_;  // always make progress, whatever the text
        }
        if (newerTechnique_ && result_.techniques.empty())
            Error(newerTechnique_->at,
                  "'" + std::string(newerTechnique_->text) + "' is not supported");
        std::set<std::string> entries;
        for (const TechniqueDecl& t : result_.techniques)
            for (const PassDecl& p : t.passes) entries.insert({p.vertexEntry, p.pixelEntry});
        for (const WrapperDecl& w : wrappers_) entries.insert(w.entry);
        for (const FunctionDecl& f : functionDecls_)
            if (entries.count(f.name)) EntryParameters(f);
        // From the end, so that earlier offsets stay right; text blanked meanwhile (an initial
        // value, say) stays blank.
        // Wrappers first: they copy text by the tokens' offsets, which the replacements move.
        Wrappers();
        std::sort(replacements_.begin(), replacements_.end(),
                  [](const Replacement& a, const Replacement& b) { return a.offset > b.offset; });
        for (const Replacement& r : replacements_) {
            if (result_.hlsl.compare(r.offset, r.original.size(), r.original) == 0)
                result_.hlsl.replace(r.offset, r.original.size(), r.text);
        }
        return std::move(result_);
    }

  private:
    struct Replacement {
        size_t offset;
        std::string original, text;
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

    // Replaces tokens [first, last] by text, keeping the newlines they span.
    void Replace(size_t first, size_t last, std::string text) {
        size_t begin = tokens_[first].offset, end = EndOffset(last);
        std::string original = result_.hlsl.substr(begin, end - begin);
        text.append(static_cast<size_t>(std::count(original.begin(), original.end(), '\n')), '\n');
        replacements_.push_back({begin, std::move(original), std::move(text)});
    }

    // The source text of tokens [first, end).
    std::string TextOf(size_t first, size_t end) const {
        if (first >= end) return {};
        return std::string(result_.hlsl.data() + tokens_[first].offset,
                           EndOffset(end - 1) - tokens_[first].offset);
    }

    // TextOf with the replacements made inside it, as the text will read once they are made.
    std::string ReplacedTextOf(size_t first, size_t end) const {
        if (first >= end) return {};
        const size_t begin = tokens_[first].offset;
        std::string text = TextOf(first, end);
        std::vector<const Replacement*> inside;
        for (const Replacement& r : replacements_)
            if (r.offset >= begin && r.offset + r.original.size() <= begin + text.size())
                inside.push_back(&r);
        std::sort(inside.begin(), inside.end(),
                  [](const Replacement* a, const Replacement* b) { return a->offset > b->offset; });
        for (const Replacement* r : inside)
            if (text.compare(r->offset - begin, r->original.size(), r->original) == 0)
                text.replace(r->offset - begin, r->original.size(), r->text);
        return text;
    }

    // The names a parameter list declares: in each comma-separated part, the last identifier
    // before its semantic, size or default.
    static std::vector<std::string> ParameterNames(const std::string& list) {
        std::vector<std::string> names;
        std::string_view name;
        bool ended = false;
        int depth = 0;
        for (const Token& t : Tokenize(list, nullptr)) {
            if (t.text == "(" || t.text == "<") ++depth;
            if (t.text == ")" || t.text == ">") --depth;
            if (depth == 0 && t.text == ",") {
                if (!name.empty()) names.emplace_back(name);
                name = {}, ended = false;
            } else if (depth == 0 && (t.text == ":" || t.text == "=" || t.text == "[")) {
                ended = true;
            } else if (!ended && t.kind == TokenKind::Identifier) {
                name = t.text;
            }
        }
        if (!name.empty()) names.emplace_back(name);
        return names;
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

    // Expands object-like macros in tokens [first, end).
    std::vector<Token> Expand(size_t first, size_t end) const {
        end = std::min(end, tokens_.size());
        if (first >= end) return {};
        return macros_.Expand(tokens_.data() + first, tokens_.data() + end);
    }

    // The value of tokens [first, end) as a constant expression: macros expanded, static constants
    // and parameters with initial values by name.
    bool Evaluate(const std::vector<Token>& tokens, ConstValue* value, Diagnostic* error) const {
        return EvaluateConst(
            tokens,
            [this](std::string_view name) -> const ConstValue* {
                auto it = constants_.find(name);
                return it == constants_.end() ? nullptr : &it->second;
            },
            value, error);
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
        if (EqualsNoCase(t.text, "technique10") || EqualsNoCase(t.text, "technique11")) {
            // Files often carry a Direct3D 10/11 technique beside the Direct3D 9 one: skipped,
            // and refused only when nothing else is left (see Run).
            if (!newerTechnique_) newerTechnique_ = t;
            size_t first = pos_;
            SkipStatement();
            BlankSince(first);
            return;
        }
        if (t.text == "cbuffer" || t.text == "tbuffer" || t.text == "namespace" ||
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

    void Directive(const Token& t) {
        std::string_view rest;
        if (DirectiveWord(t.text, &rest) == "include") {
            // Includes are expanded when the effect is read from its file.
            Error(t.at, "#include is only supported in effect files");
            Blank(pos_, pos_);  // glslang would fail on it too; keep the message to ours
            return;
        }
        macros_.Apply(t);
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
            Function(first);
            return;
        }
        if (typeTok.text == "string") {
            // Names and descriptions for tools: read by nothing here.
            while (!AtEnd() && !PeekIs(";")) SkipTokenOrGroup('<', '>');
            if (PeekIs(";")) ++pos_;
            BlankSince(first);
            return;
        }
        if (auto kind = KindOfType(typeTok.text)) {
            if (typeTok.text.substr(0, 7) == "sampler")
                Samplers(pos_ - 1, *kind);
            else
                Textures(first, *kind);
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
        Variables(type, numeric, isParameter);
    }

    void Function(size_t typeFirst) {
        FunctionDecl f{std::string(Peek().text), typeFirst, pos_ + 1, 0, 0};
        ++pos_;  // name
        if (!SkipBalanced('(', ')')) {
            Error(Here(), "unexpected end of file in a function's parameters");
            return;
        }
        f.close = pos_ - 1;
        // Return semantic or register: everything up to the body.
        while (!AtEnd() && !PeekIs("{") && !PeekIs(";") && !PeekIs("}")) ++pos_;
        if (PeekIs(";")) {
            ++pos_;  // a prototype
            return;
        }
        if (!PeekIs("{")) {
            Error(Here(), "expected a function body");
            return;
        }
        f.body = pos_;
        result_.functions.push_back(f.name);
        functionDecls_.push_back(f);
        SourceLocation open = Peek().at;
        if (!SkipBalanced('{', '}')) Error(open, "unexpected end of file in a function body");
    }

    // Skips a ": semantic" or ": register(...)" part; blanks it when asked. Returns the N of
    // "register(sN)" or -1.
    int Semantic(bool blank) {
        if (!PeekIs(":")) return -1;
        size_t first = pos_;
        ++pos_;
        int slot = -1;
        if (PeekIs("register") && PeekIs("(", 1) && Peek(2).kind == TokenKind::Identifier &&
            Peek(2).text.size() > 1 && (Peek(2).text[0] == 's' || Peek(2).text[0] == 'S'))
            slot = std::atoi(std::string(Peek(2).text.substr(1)).c_str());
        while (!AtEnd() && !PeekIs("=") && !PeekIs(",") && !PeekIs(";") && !PeekIs("<") &&
               !PeekIs("{"))
            SkipTokenOrGroup('(', ')');
        if (blank && pos_ > first) Blank(first, pos_ - 1);
        return slot;
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

    void Textures(size_t first, TextureKind kind) {
        while (!AtEnd()) {
            const Token& name = Peek();
            if (name.kind != TokenKind::Identifier) {
                Reject(name.at, "expected a texture name");
                break;
            }
            result_.textures.push_back({std::string(name.text), name.at, kind});
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

    // [SECTION] Samplers and state blocks
    // After the type; a plain "sampler" reads the kind of its texture.
    void Samplers(size_t typeIndex, TextureKind kind) {
        const bool plain = tokens_[typeIndex].text == "sampler";
        const size_t firstSampler = result_.samplers.size();
        while (!AtEnd()) {
            const Token& name = Peek();
            if (name.kind != TokenKind::Identifier) {
                Reject(name.at, "expected a sampler name");
                return;
            }
            SamplerDecl sampler;
            sampler.name = std::string(name.text);
            sampler.at = name.at;
            sampler.kind = kind;
            ++pos_;
            if (PeekIs("[")) {
                Reject(Peek().at, "sampler arrays are not supported");
                return;
            }
            sampler.slot = Semantic(true);
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
            for (const TextureDecl& t : result_.textures)
                if (plain && t.name == sampler.texture) sampler.kind = t.kind;
            result_.samplers.push_back(sampler);
            if (NextDeclarator("sampler declaration")) continue;
            break;
        }
        // glslang knows sampler2D, samplerCUBE and sampler3D; the first sampler gives the list's.
        static const char* kTypes[] = {"sampler2D", "samplerCUBE", "sampler3D"};
        if (plain && result_.samplers.size() > firstSampler)
            Replace(typeIndex, typeIndex,
                    kTypes[static_cast<int>(result_.samplers[firstSampler].kind)]);
    }

    // One "Name = value;" or "Name[index] = value;" of a state block: the name's token, the index
    // (-1 when none) and the value with macros expanded.
    struct Assignment {
        const Token& name;
        int index;
        std::vector<Token> value;
        SourceLocation ValueAt() const { return value.empty() ? name.at : value[0].at; }
    };

    // Reads assignments inside braces and hands each to the callback. Leaves pos_ after the
    // closing brace; false when the block does not open or does not close.
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
                Directive(Peek());
                ++pos_;
                continue;
            }
            if (PeekIs(";")) {
                ++pos_;
                continue;
            }
            const Token& name = Peek();
            if (name.kind != TokenKind::Identifier) {
                Error(name.at, "unexpected '" + std::string(name.text) + "' in a " + what);
                ++pos_;
                continue;
            }
            ++pos_;
            int index = -1;
            if (PeekIs("[")) {
                size_t bracket = pos_;
                SkipBalanced('[', ']');
                ConstValue v;
                Diagnostic error;
                if (!Evaluate(Expand(bracket + 1, pos_ - 1), &v, &error) || !v.integer ||
                    v.components.size() != 1 || v.components[0] < 0 || v.components[0] > 15) {
                    Reject(name.at, "the index of '" + std::string(name.text) +
                                        "[...]' must be a number from 0 to 15");
                    continue;
                }
                index = static_cast<int>(v.components[0]);
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
            onAssignment(Assignment{name, index, Expand(valueFirst, valueEnd)});
        }
    }

    static std::string Joined(const std::vector<Token>& value) {
        std::string s;
        for (const Token& t : value) s += t.text;
        return s;
    }

    // <name>, (name) or name: the identifier, or empty.
    static std::string Reference(std::vector<Token> value) {
        if (value.size() == 3 && ((value[0].text == "<" && value[2].text == ">") ||
                                  (value[0].text == "(" && value[2].text == ")")))
            value = {value[1]};
        if (value.size() != 1 || value[0].kind != TokenKind::Identifier) return {};
        return std::string(value[0].text);
    }

    void SamplerState(SamplerDecl* sampler) {
        Assignments("sampler_state block", [&](const Assignment& a) {
            auto field = SamplerFieldByName(a.name.text);
            if (!field || a.index >= 0) {
                Error(a.name.at,
                      "sampler state '" + std::string(a.name.text) + "' is not supported");
                return;
            }
            if (*field == SamplerField::Texture) {
                sampler->texture = Reference(a.value);
                if (sampler->texture.empty()) Error(a.name.at, "expected Texture = <name>");
                return;
            }
            if (*field == SamplerField::BorderColor) {
                // A D3DCOLOR (0xAARRGGBB) or a float4.
                ConstValue v;
                Diagnostic error;
                if (!Evaluate(a.value, &v, &error) ||
                    (v.components.size() != 1 && v.components.size() != 4)) {
                    Error(a.ValueAt(), "BorderColor must be a colour number or a float4");
                    return;
                }
                for (int k = 0; k < 4; ++k) {
                    auto argb = static_cast<uint32_t>(v.components[0]);
                    sampler->borderColor[k] =
                        v.components.size() == 4
                            ? static_cast<float>(v.components[k])
                            : static_cast<float>((argb >> (k == 3 ? 24 : 16 - 8 * k)) & 0xFF) /
                                  255.0f;
                }
                return;
            }
            std::string text = Joined(a.value);
            bool isFilter = *field == SamplerField::MinFilter ||
                            *field == SamplerField::MagFilter || *field == SamplerField::MipFilter;
            auto v = isFilter ? FilterValue(text) : AddressValue(text);
            if (!v) {
                Error(a.ValueAt(), "unknown value '" + text + "' for sampler state '" +
                                       std::string(a.name.text) + "'");
                return;
            }
            uint32_t* fields[] = {&sampler->minFilter, &sampler->magFilter, &sampler->mipFilter,
                                  &sampler->addressU,  &sampler->addressV,  &sampler->addressW};
            *fields[static_cast<int>(*field)] = *v;
        });
    }

    // [SECTION] Techniques and passes
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
            if (Peek().kind == TokenKind::Preprocessor) {
                Directive(Peek());
                ++pos_;
                continue;
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
        bool shaderRefused = false;
        bool ok = Assignments("pass", [&](const Assignment& a) {
            bool vertex = EqualsNoCase(a.name.text, "VertexShader");
            if (vertex || EqualsNoCase(a.name.text, "PixelShader")) {
                shaderRefused = !Shader(a, vertex, &pass) || shaderRefused;
                return;
            }
            if (a.index >= 0 &&
                (EqualsNoCase(a.name.text, "Texture") || EqualsNoCase(a.name.text, "Sampler"))) {
                SlotState(a, &pass);
                return;
            }
            if (IsFixedFunctionState(a.name.text)) return;  // no effect with shaders
            auto state = RenderStateByName(a.name.text);
            if (!state || a.index >= 0) {
                Error(a.name.at, "render state '" + std::string(a.name.text) +
                                     (a.index >= 0 ? "[...]" : "") + "' is not supported");
                return;
            }
            auto v = StateValue(*state, a.value);
            if (!v) {
                Error(a.ValueAt(), "unknown value '" + Joined(a.value) + "' for render state '" +
                                       std::string(a.name.text) + "'");
                return;
            }
            pass.renderStates.emplace_back(*state, *v);
        });
        // A refused compile statement has said what is wrong already.
        if (ok && !shaderRefused && pass.pixelEntry.empty()) {
            Error(pass.at, "pass '" + pass.name + "' needs a PixelShader");
        }
        technique->passes.push_back(std::move(pass));
    }

    // A render state's value: a name of its family, a number, or an expression of them
    // (RED | GREEN, 0x80).
    std::optional<uint32_t> StateValue(gfx::D3DRENDERSTATETYPE state,
                                       const std::vector<Token>& value) const {
        if (auto v = RenderStateValue(state, Joined(value))) return v;
        std::map<std::string, ConstValue, std::less<>> names;
        for (const Token& t : value) {
            if (t.kind != TokenKind::Identifier) continue;
            if (auto v = RenderStateValue(state, t.text))
                names[std::string(t.text)] = {{static_cast<double>(*v)}, true};
        }
        ConstValue v;
        Diagnostic error;
        bool ok = EvaluateConst(
            value,
            [&](std::string_view name) -> const ConstValue* {
                auto it = names.find(name);
                return it == names.end() ? nullptr : &it->second;
            },
            &v, &error);
        if (!ok || !v.integer || v.components.size() != 1 || v.components[0] < 0 ||
            v.components[0] > 0xFFFFFFFFu)
            return std::nullopt;
        return RenderStateValue(state, std::to_string(static_cast<uint32_t>(v.components[0])));
    }

    // Texture[n] = <tex> gives the pass's sampler in slot n its texture; Sampler[n] = (s) names a
    // sampler the shader binds by name anyway.
    void SlotState(const Assignment& a, PassDecl* pass) {
        std::string name = Reference(a.value);
        bool texture = EqualsNoCase(a.name.text, "Texture");
        bool known = false;
        for (const auto& t : result_.textures) known = known || (texture && t.name == name);
        for (const auto& s : result_.samplers) known = known || (!texture && s.name == name);
        if (!known) {
            Error(a.ValueAt(), std::string(a.name.text) + "[" + std::to_string(a.index) +
                                   "] must name a declared " + (texture ? "texture" : "sampler"));
            return;
        }
        if (!texture) return;
        if (pass->slotTextures.size() <= static_cast<size_t>(a.index))
            pass->slotTextures.resize(a.index + 1);
        pass->slotTextures[a.index] = name;
    }

    // compile <profile> <entry>(<uniform arguments>), or NULL for the fixed-function vertex stage.
    // False when refused (with an error).
    bool Shader(const Assignment& a, bool vertex, PassDecl* pass) {
        const std::vector<Token>& value = a.value;
        if (vertex && value.size() == 1 &&
            (EqualsNoCase(value[0].text, "NULL") || value[0].text == "0"))
            return true;
        if (value.size() < 3 || value[0].text != "compile") {
            Error(a.ValueAt(),
                  "expected '" + std::string(a.name.text) + " = compile <profile> <function>()'");
            return false;
        }
        std::string_view profile = value[1].text;
        std::string_view wanted = vertex ? "vs_" : "ps_";
        if (profile.substr(0, 3) != wanted) {
            Error(value[1].at, "profile '" + std::string(profile) + "' does not fit " +
                                   std::string(a.name.text));
            return false;
        }
        if (value[2].kind != TokenKind::Identifier || value.size() < 5 || value[3].text != "(" ||
            value.back().text != ")") {
            Error(value[2].at, "expected a function call after the profile");
            return false;
        }
        std::string entry(value[2].text);
        if (value.size() > 5) {
            WrapperDecl w{entry, "", {}, value[2].at};
            std::string argument;
            int depth = 0;
            for (size_t i = 4; i + 1 < value.size(); ++i) {
                const std::string_view t = value[i].text;
                depth += (t == "(") - (t == ")");
                if (depth == 0 && t == ",") {
                    w.arguments.push_back(argument);
                    argument.clear();
                } else {
                    argument += std::string(t) + " ";
                }
            }
            w.arguments.push_back(argument);
            w.name = "fx_" + entry + "_" + std::to_string(wrappers_.size());
            wrappers_.push_back(w);
            result_.functions.push_back(w.name);
            entry = w.name;
        }
        (vertex ? pass->vertexEntry : pass->pixelEntry) = entry;
        (vertex ? pass->vertexAt : pass->pixelAt) = value[2].at;
        return true;
    }

    // [SECTION] Numeric parameters
    void Variables(const ParameterType& type, bool numeric, bool isParameter) {
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
            std::vector<int> sizes;
            while (PeekIs("[")) {
                size_t open = pos_;
                if (!SkipBalanced('[', ']')) {
                    Error(name.at, "unexpected end of file in an array size");
                    return;
                }
                ConstValue v;
                Diagnostic error;
                bool ok = Evaluate(Expand(open + 1, pos_ - 1), &v, &error) && v.integer &&
                          v.components.size() == 1 && v.components[0] >= 1 &&
                          v.components[0] <= 4096;
                if (isParameter && !ok) {
                    Reject(name.at,
                           "array size of '" + decl.name + "' must be a constant from 1 to 4096");
                    return;
                }
                sizes.push_back(ok ? static_cast<int>(v.components[0]) : 0);
            }
            if (isParameter && sizes.size() > 1) {
                Reject(name.at, "arrays of arrays are not supported as parameters");
                return;
            }
            decl.arraySize = sizes.empty() ? 0 : sizes[0];
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
                } else if (numeric) {
                    StaticValue(decl, sizes, eq + 1, pos_);
                }
            }
            if (isParameter) result_.parameters.push_back(std::move(decl));
            if (NextDeclarator("declaration")) continue;
            return;
        }
    }

    void InitialValue(ParameterDecl* decl, size_t first, size_t end) {
        std::vector<Token> value = Expand(first, end);
        ConstValue v;
        Diagnostic error;
        if (!Evaluate(value, &v, &error)) {
            Error(error.at,
                  "initial value of '" + decl->name + "' is not a constant: " + error.text);
            return;
        }
        size_t wanted = static_cast<size_t>(decl->type.Components()) * decl->Elements();
        if (v.components.size() == 1 && wanted > 1) {
            v.components.assign(wanted, v.components[0]);  // a scalar fills every component
        }
        if (v.components.size() != wanted) {
            Error(value.empty() ? decl->at : value[0].at,
                  "initial value of '" + decl->name + "' has " +
                      std::to_string(v.components.size()) + " numbers, its type needs " +
                      std::to_string(wanted));
            return;
        }
        decl->initial.assign(v.components.begin(), v.components.end());
        constants_[decl->name] = v;
    }

    // A static or const variable: its value is kept for the expressions after it, and a flat
    // brace list for an array of vectors or of arrays is given the nesting glslang wants.
    void StaticValue(const ParameterDecl& decl, const std::vector<int>& sizes, size_t first,
                     size_t end) {
        ConstValue v;
        Diagnostic ignored;
        if (Evaluate(Expand(first, end), &v, &ignored)) constants_[decl.name] = v;
        if (sizes.empty() || end - first < 2 || tokens_[first].text != "{" ||
            tokens_[end - 1].text != "}" || (sizes.size() == 1 && decl.type.Components() == 1))
            return;
        // The items of the outer list, split at its commas.
        std::vector<std::string> items;
        int depth = 0;
        size_t itemFirst = first + 1;
        for (size_t i = first + 1; i < end; ++i) {
            std::string_view t = tokens_[i].text;
            if (depth == 0 && (t == "," || i == end - 1)) {
                if (i > itemFirst) items.push_back(TextOf(itemFirst, i));
                itemFirst = i + 1;
                continue;
            }
            if (t == "{" || t == "(" || t == "[") ++depth;
            if (t == "}" || t == ")" || t == "]") --depth;
        }
        std::vector<size_t> counts;  // items per level, innermost last
        size_t total = static_cast<size_t>(decl.type.Components());
        for (int s : sizes) total *= static_cast<size_t>(s);
        if (items.size() != total || total == 0) return;  // already nested, or not a flat list
        std::string typeName(decl.type.base == BaseKind::Float ? "float"
                             : decl.type.base == BaseKind::Int ? "int"
                                                               : "bool");
        if (decl.type.IsMatrix())
            typeName += std::to_string(decl.type.rows) + "x" + std::to_string(decl.type.columns);
        else if (decl.type.columns > 1)
            typeName += std::to_string(decl.type.columns);
        // Groups of components become constructors, groups of elements brace lists.
        size_t group = static_cast<size_t>(decl.type.Components());
        auto regroup = [&](size_t size, const std::string& open, const std::string& close) {
            std::vector<std::string> grouped;
            for (size_t i = 0; i < items.size(); i += size) {
                std::string g = open;
                for (size_t k = 0; k < size; ++k) g += (k ? ", " : "") + items[i + k];
                grouped.push_back(g + close);
            }
            items = std::move(grouped);
        };
        if (group > 1) regroup(group, typeName + "(", ")");
        for (size_t level = sizes.size(); level-- > 1;)
            regroup(static_cast<size_t>(sizes[level]), "{", "}");
        std::string text = "{";
        for (size_t i = 0; i < items.size(); ++i) text += (i ? ", " : "") + items[i];
        Replace(first, end - 1, text + "}");
    }

    // [SECTION] Rewrites for glslang
    // m._m02_m12_m22 (or m._13_23_33) reads across rows, which glslang cannot do: it becomes
    // float3(m[0][2], m[1][2], m[2][2]). Only a plain name (a.b[i].c) is rewritten.
    void MatrixSwizzles() {
        for (size_t i = 1; i + 1 < tokens_.size(); ++i) {
            const Token& swizzle = tokens_[i + 1];
            if (tokens_[i].text != "." || swizzle.kind != TokenKind::Identifier ||
                tokens_[i + 1].offset != tokens_[i].offset + 1)
                continue;
            std::vector<std::pair<int, int>> elements;
            std::string_view s = swizzle.text;
            while (!s.empty() && s[0] == '_') {
                bool zeroBased = s.size() >= 4 && s[1] == 'm';
                size_t n = zeroBased ? 4 : 3;
                if (s.size() < n) break;
                int r = s[n - 2] - (zeroBased ? '0' : '1'), c = s[n - 1] - (zeroBased ? '0' : '1');
                if (r < 0 || r > 3 || c < 0 || c > 3) break;
                elements.emplace_back(r, c);
                s.remove_prefix(n);
            }
            if (elements.empty() || !s.empty()) continue;
            // The base: name, then .member or [index] parts, read backwards.
            size_t base = i;
            while (base > 0) {
                const Token& t = tokens_[base - 1];
                if (t.kind == TokenKind::Identifier) {
                    --base;
                    if (base == 0 || tokens_[base - 1].text != ".") break;
                    --base;
                } else if (t.text == "]") {
                    int depth = 0;
                    size_t k = base - 1;
                    for (; k > 0; --k) {
                        depth += (tokens_[k].text == "]") - (tokens_[k].text == "[");
                        if (depth == 0) break;
                    }
                    base = k;
                } else {
                    break;
                }
            }
            if (base == i || tokens_[base].kind != TokenKind::Identifier) continue;
            bool assigned = i + 2 < tokens_.size() && tokens_[i + 2].text == "=" &&
                            !(i + 3 < tokens_.size() && tokens_[i + 3].text == "=");
            if (elements.size() > 1 && assigned) continue;  // left to glslang
            std::string name = TextOf(base, i);
            std::string text =
                elements.size() > 1 ? "float" + std::to_string(elements.size()) + "(" : "";
            for (size_t k = 0; k < elements.size(); ++k) {
                text += (k ? ", " : "") + name + "[" + std::to_string(elements[k].first) + "][" +
                        std::to_string(elements[k].second) + "]";
            }
            Replace(base, i + 1, elements.size() > 1 ? text + ")" : text);
        }
    }

    // Entry parameters glslang reads differently from Direct3D 9, rewritten in place:
    // "float face : VFACE" (positive on front faces, negative on back ones) becomes glslang's bool
    // SV_IsFrontFace, "float2 uv[2] : TEXCOORD0" one input per slot (TEXCOORD0, TEXCOORD1); the
    // body then starts by making the variables the function expects.
    void EntryParameters(const FunctionDecl& f) {
        std::string prologue;
        size_t paramFirst = f.open + 1;
        for (size_t i = f.open + 1; i <= f.close; ++i) {
            if (tokens_[i].text == "," || i == f.close) {
                paramFirst = i + 1;
                continue;
            }
            if (tokens_[i].text != ":" || i + 1 >= f.close) continue;
            const std::string semantic(tokens_[i + 1].text);
            if (EqualsNoCase(semantic, "VFACE") && tokens_[i - 1].kind == TokenKind::Identifier &&
                i - 1 > paramFirst) {
                const std::string name(tokens_[i - 1].text);
                Replace(paramFirst, i + 1, "bool fx_face_" + name + " : SV_IsFrontFace");
                prologue += " float " + name + " = fx_face_" + name + " ? 1.0 : -1.0;";
                continue;
            }
            // type name [ N ] : SEMANTICk, an input
            if (i < paramFirst + 5 || tokens_[i - 1].text != "]" || tokens_[i - 3].text != "[" ||
                tokens_[i - 2].kind != TokenKind::Number ||
                tokens_[i - 4].kind != TokenKind::Identifier || tokens_[paramFirst].text == "out" ||
                tokens_[paramFirst].text == "inout")
                continue;
            const int count = std::atoi(std::string(tokens_[i - 2].text).c_str());
            size_t digits = semantic.size();
            while (digits > 0 && std::isdigit(static_cast<unsigned char>(semantic[digits - 1])))
                --digits;
            const int first = std::atoi(semantic.c_str() + digits);
            if (count < 1 || count > 16) continue;
            const std::string name(tokens_[i - 4].text), type = TextOf(paramFirst, i - 4);
            std::string inputs, list;
            for (int k = 0; k < count; ++k) {
                const std::string input = "fx_" + name + "_" + std::to_string(k);
                inputs += (k ? ", " : "") + type + " " + input + " : " +
                          semantic.substr(0, digits) + std::to_string(first + k);
                list += (k ? ", " : "") + input;
            }
            Replace(paramFirst, i + 1, inputs);
            prologue +=
                " " + type + " " + name + "[" + std::to_string(count) + "] = {" + list + "};";
        }
        if (!prologue.empty()) Replace(f.body, f.body, "{" + prologue);
    }

    // Entry points for compile statements with arguments, appended after the last line:
    // RET fx_PS_0(<parameters but the uniform ones>) : SEMANTIC { return PS(<arguments>); }
    void Wrappers() {
        if (wrappers_.empty()) return;
        result_.generatedFromLine =
            static_cast<int>(std::count(result_.hlsl.begin(), result_.hlsl.end(), '\n')) + 2;
        std::string text = "\n";
        for (const WrapperDecl& w : wrappers_) {
            const FunctionDecl* f = nullptr;
            for (const FunctionDecl& candidate : functionDecls_)
                if (candidate.name == w.entry) f = &candidate;
            if (!f) {
                Error(w.at, "entry point '" + w.entry + "' not found");
                continue;
            }
            std::vector<std::string> parameters, call;
            size_t argument = 0, paramFirst = f->open + 1;
            int depth = 0;
            for (size_t i = f->open + 1; i <= f->close; ++i) {
                std::string_view t = tokens_[i].text;
                if (i < f->close && (t == "(" || t == "[" || t == "<")) ++depth;
                if (i < f->close && (t == ")" || t == "]" || t == ">")) --depth;
                if ((depth > 0 || t != ",") && i != f->close) continue;
                if (i == paramFirst) break;  // no parameters
                // The parameter's name: the last identifier before its semantic, size or default.
                size_t nameAt = paramFirst;
                for (size_t k = paramFirst; k < i && tokens_[k].text != ":" &&
                                            tokens_[k].text != "=" && tokens_[k].text != "[";
                     ++k)
                    if (tokens_[k].kind == TokenKind::Identifier) nameAt = k;
                if (tokens_[paramFirst].text == "uniform") {
                    // Numbers are cast to the parameter's type: GLSL ES takes no 1 for a float.
                    const std::string type = ReplacedTextOf(paramFirst + 1, nameAt);
                    const bool numeric = type.starts_with("float") || type.starts_with("half") ||
                                         type.starts_with("int") || type.starts_with("bool");
                    if (argument < w.arguments.size()) {
                        const std::string& value = w.arguments[argument++];
                        call.push_back(numeric ? "(" + type + ")(" + value + ")" : value);
                    }
                } else {
                    // As rewritten: an array input or VFACE may have become other parameters.
                    const std::string declared = ReplacedTextOf(paramFirst, i);
                    parameters.push_back(declared);
                    for (const std::string& name : ParameterNames(declared)) call.push_back(name);
                }
                paramFirst = i + 1;
            }
            if (argument != w.arguments.size()) {
                Error(w.at, "'" + w.entry + "' has " + std::to_string(argument) +
                                " uniform parameters, the compile statement gives " +
                                std::to_string(w.arguments.size()));
                continue;
            }
            std::string returnType = ReplacedTextOf(f->typeFirst, f->open - 1);
            auto join = [](const std::vector<std::string>& v) {
                std::string s;
                for (size_t k = 0; k < v.size(); ++k) s += (k ? ", " : "") + v[k];
                return s;
            };
            text += returnType + " " + w.name + "(" + join(parameters) + ")" +
                    ReplacedTextOf(f->close + 1, f->body) + " { " +
                    (returnType == "void" ? "" : "return ") + w.entry + "(" + join(call) + "); }\n";
        }
        result_.hlsl += text;
    }

    std::vector<Token> tokens_;
    size_t pos_ = 0;
    PrepassResult result_;
    std::vector<Replacement> replacements_;
    MacroTable macros_;
    std::map<std::string, ConstValue, std::less<>> constants_;
    std::vector<FunctionDecl> functionDecls_;
    std::vector<WrapperDecl> wrappers_;
    std::optional<Token> newerTechnique_;  // the first technique10/11 skipped
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
