#include "platform/fx/fx_const_expr.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "platform/fx/fx_prepass.h"

namespace fx::detail {

namespace {

// Binary operators from the loosest to the tightest binding.
const std::vector<std::vector<std::string_view>> kLevels = {
    {"||"},       {"&&"},     {"|"},          {"^"}, {"&"}, {"==", "!="}, {"<", ">", "<=", ">="},
    {"<<", ">>"}, {"+", "-"}, {"*", "/", "%"}};

struct Intrinsic {
    std::string_view name;
    int arguments;
    double (*each)(double, double, double);  // component by component; null: whole vectors
};

const Intrinsic kIntrinsics[] = {
    {"sqrt", 1, [](double a, double, double) { return std::sqrt(a); }},
    {"rsqrt", 1, [](double a, double, double) { return 1.0 / std::sqrt(a); }},
    {"sin", 1, [](double a, double, double) { return std::sin(a); }},
    {"cos", 1, [](double a, double, double) { return std::cos(a); }},
    {"tan", 1, [](double a, double, double) { return std::tan(a); }},
    {"asin", 1, [](double a, double, double) { return std::asin(a); }},
    {"acos", 1, [](double a, double, double) { return std::acos(a); }},
    {"atan", 1, [](double a, double, double) { return std::atan(a); }},
    {"exp", 1, [](double a, double, double) { return std::exp(a); }},
    {"exp2", 1, [](double a, double, double) { return std::exp2(a); }},
    {"log", 1, [](double a, double, double) { return std::log(a); }},
    {"log2", 1, [](double a, double, double) { return std::log2(a); }},
    {"abs", 1, [](double a, double, double) { return std::fabs(a); }},
    {"floor", 1, [](double a, double, double) { return std::floor(a); }},
    {"ceil", 1, [](double a, double, double) { return std::ceil(a); }},
    {"round", 1, [](double a, double, double) { return std::round(a); }},
    {"frac", 1, [](double a, double, double) { return a - std::floor(a); }},
    {"saturate", 1, [](double a, double, double) { return std::fmin(std::fmax(a, 0.0), 1.0); }},
    {"radians", 1, [](double a, double, double) { return a * M_PI / 180.0; }},
    {"degrees", 1, [](double a, double, double) { return a * 180.0 / M_PI; }},
    {"pow", 2, [](double a, double b, double) { return std::pow(a, b); }},
    {"min", 2, [](double a, double b, double) { return std::fmin(a, b); }},
    {"max", 2, [](double a, double b, double) { return std::fmax(a, b); }},
    {"atan2", 2, [](double a, double b, double) { return std::atan2(a, b); }},
    {"fmod", 2, [](double a, double b, double) { return std::fmod(a, b); }},
    {"step", 2, [](double a, double b, double) { return b >= a ? 1.0 : 0.0; }},
    {"lerp", 3, [](double a, double b, double t) { return a + (b - a) * t; }},
    {"clamp", 3, [](double a, double lo, double hi) { return std::fmin(std::fmax(a, lo), hi); }},
    {"normalize", 1, nullptr},
    {"length", 1, nullptr},
    {"dot", 2, nullptr},
    {"distance", 2, nullptr},
    {"cross", 2, nullptr},
};

class Evaluator {
  public:
    Evaluator(const std::vector<Token>& tokens, const ConstLookup& lookup)
        : t_(tokens), lookup_(lookup) {}

    bool Run(ConstValue* out, Diagnostic* error) {
        bool ok = Expression(out) && (AtEnd() || Fail("unexpected '" + std::string(Text()) + "'"));
        if (!ok && error) *error = error_;
        return ok;
    }

  private:
    bool AtEnd() const { return i_ >= t_.size(); }
    std::string_view Text() const { return AtEnd() ? std::string_view() : t_[i_].text; }
    bool Fail(std::string text) {
        if (error_.text.empty()) {
            error_.at = t_.empty() ? SourceLocation{} : t_[AtEnd() ? t_.size() - 1 : i_].at;
            error_.text = std::move(text);
        }
        return false;
    }
    // The operator at the cursor, of one or two punctuation characters written together.
    std::string_view Operator() const {
        if (AtEnd() || t_[i_].kind != TokenKind::Punct) return {};
        if (i_ + 1 < t_.size() && t_[i_ + 1].kind == TokenKind::Punct &&
            t_[i_ + 1].offset == t_[i_].offset + 1 && t_[i_ + 1].at.line == t_[i_].at.line) {
            static const char* kPairs[] = {"||", "&&", "==", "!=", "<=", ">=", "<<", ">>"};
            for (const char* pair : kPairs)
                if (t_[i_].text[0] == pair[0] && t_[i_ + 1].text[0] == pair[1]) return pair;
        }
        return t_[i_].text;
    }
    bool Accept(std::string_view text) {
        if (Text() != text) return false;
        ++i_;
        return true;
    }

    bool Expression(ConstValue* out, size_t level = 0) {
        if (level == kLevels.size()) return Unary(out);
        if (!Expression(out, level + 1)) return false;
        while (true) {
            std::string_view op = Operator();
            bool found = false;
            for (std::string_view candidate : kLevels[level]) found = found || op == candidate;
            if (!found) return true;
            i_ += op.size();
            ConstValue right;
            if (!Expression(&right, level + 1) || !Binary(op, out, right)) return false;
        }
    }

    bool Binary(std::string_view op, ConstValue* left, const ConstValue& right) {
        std::vector<double>& a = left->components;
        const std::vector<double>& b = right.components;
        if (a.size() != b.size() && a.size() != 1 && b.size() != 1)
            return Fail("operands of '" + std::string(op) + "' differ in size");
        const bool integer = left->integer && right.integer;
        std::vector<double> result(std::max(a.size(), b.size()));
        for (size_t k = 0; k < result.size(); ++k) {
            double x = a[a.size() == 1 ? 0 : k], y = b[b.size() == 1 ? 0 : k];
            auto ix = static_cast<long long>(x), iy = static_cast<long long>(y);
            bool logical = true;
            double r = 0;
            if (op == "||")
                r = (x != 0 || y != 0);
            else if (op == "&&")
                r = (x != 0 && y != 0);
            else if (op == "==")
                r = x == y;
            else if (op == "!=")
                r = x != y;
            else if (op == "<")
                r = x < y;
            else if (op == ">")
                r = x > y;
            else if (op == "<=")
                r = x <= y;
            else if (op == ">=")
                r = x >= y;
            else
                logical = false;
            if (!logical) {
                bool bitwise = op == "|" || op == "^" || op == "&" || op == "<<" || op == ">>";
                if (bitwise && !integer) return Fail("'" + std::string(op) + "' needs integers");
                if ((op == "/" || op == "%") && integer && iy == 0) return Fail("division by zero");
                if (op == "|")
                    r = static_cast<double>(ix | iy);
                else if (op == "^")
                    r = static_cast<double>(ix ^ iy);
                else if (op == "&")
                    r = static_cast<double>(ix & iy);
                else if (op == "<<")
                    r = static_cast<double>(ix << (iy & 63));
                else if (op == ">>")
                    r = static_cast<double>(ix >> (iy & 63));
                else if (op == "+")
                    r = x + y;
                else if (op == "-")
                    r = x - y;
                else if (op == "*")
                    r = x * y;
                else if (op == "/")
                    r = integer ? static_cast<double>(ix / iy) : x / y;
                else
                    r = integer ? static_cast<double>(ix % iy) : std::fmod(x, y);
            }
            result[k] = r;
        }
        a = std::move(result);
        const bool compares = op == "||" || op == "&&" || op == "==" || op == "!=" || op == "<" ||
                              op == ">" || op == "<=" || op == ">=";
        left->integer = integer || compares;
        return true;
    }

    bool Unary(ConstValue* out) {
        std::string_view op = Text();
        if (op == "-" || op == "+" || op == "!" || op == "~") {
            ++i_;
            if (!Unary(out)) return false;
            for (double& c : out->components) {
                if (op == "-") c = -c;
                if (op == "!") c = c == 0;
                if (op == "~") c = static_cast<double>(~static_cast<long long>(c));
            }
            if (op == "!") out->integer = true;
            return true;
        }
        return Primary(out);
    }

    // Comma-separated expressions up to the closing bracket, flattened into one list.
    bool List(std::string_view close, std::vector<ConstValue>* items) {
        while (!Accept(close)) {
            if (AtEnd()) return Fail("expected '" + std::string(close) + "'");
            if (!items->empty() && !Accept(",")) return Fail("expected ','");
            if (Text() == close) continue;  // a trailing comma
            ConstValue item;
            if (!Expression(&item)) return false;
            items->push_back(std::move(item));
        }
        return true;
    }
    static ConstValue Joined(const std::vector<ConstValue>& items) {
        ConstValue v{{}, true};
        for (const ConstValue& item : items) {
            v.components.insert(v.components.end(), item.components.begin(), item.components.end());
            v.integer = v.integer && item.integer;
        }
        return v;
    }

    bool Primary(ConstValue* out) {
        if (AtEnd()) return Fail("expected a value");
        const Token& t = t_[i_];
        if (Accept("(")) {
            if (!Expression(out)) return false;
            return Accept(")") || Fail("expected ')'");
        }
        if (Accept("{")) {
            std::vector<ConstValue> items;
            if (!List("}", &items)) return false;
            *out = Joined(items);
            return true;
        }
        if (t.kind == TokenKind::Number) {
            ++i_;
            return Number(t, out);
        }
        if (t.kind != TokenKind::Identifier)
            return Fail("unexpected '" + std::string(t.text) + "'");
        ++i_;
        if (t.text == "true" || t.text == "false") {
            *out = {{t.text == "true" ? 1.0 : 0.0}, true};
            return true;
        }
        if (Accept("(")) return Call(t, out);
        const ConstValue* named = lookup_ ? lookup_(t.text) : nullptr;
        if (!named) return Fail("'" + std::string(t.text) + "' is not a constant");
        *out = *named;
        return true;
    }

    bool Number(const Token& t, ConstValue* out) {
        std::string text(t.text);
        bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
        bool integer = hex || text.find_first_of(".eE") == std::string::npos;
        while (!text.empty() && !hex && std::strchr("fFhHuUlL", text.back())) text.pop_back();
        while (hex && !text.empty() && std::strchr("uUlL", text.back())) text.pop_back();
        char* stop = nullptr;
        double v = hex ? static_cast<double>(std::strtoull(text.c_str(), &stop, 16))
                       : std::strtod(text.c_str(), &stop);
        if (text.empty() || *stop != '\0') return Fail("cannot read the number '" + text + "'");
        *out = {{v}, integer};
        return true;
    }

    bool Call(const Token& name, ConstValue* out) {
        std::vector<ConstValue> args;
        if (!List(")", &args)) return false;
        ParameterType type;
        if (ParseParameterType(name.text, &type)) {
            *out = Joined(args);
            out->integer = type.base != BaseKind::Float;
            if (out->components.size() == 1)
                out->components.assign(type.Components(), out->components[0]);
            if (out->components.size() != static_cast<size_t>(type.Components()))
                return Fail("'" + std::string(name.text) + "' needs " +
                            std::to_string(type.Components()) + " components");
            return true;
        }
        for (const Intrinsic& f : kIntrinsics) {
            if (f.name != name.text) continue;
            if (static_cast<int>(args.size()) != f.arguments)
                return Fail("'" + std::string(f.name) + "' takes " + std::to_string(f.arguments) +
                            " arguments");
            size_t n = 1;
            for (const ConstValue& a : args) n = std::max(n, a.components.size());
            for (const ConstValue& a : args)
                if (a.components.size() != 1 && a.components.size() != n)
                    return Fail("arguments of '" + std::string(f.name) + "' differ in size");
            auto at = [&](size_t a, size_t k) {
                const auto& c = args[a].components;
                return c[c.size() == 1 ? 0 : k];
            };
            out->integer = false;
            out->components.clear();
            if (f.each) {
                for (size_t k = 0; k < n; ++k)
                    out->components.push_back(f.each(at(0, k), f.arguments > 1 ? at(1, k) : 0,
                                                     f.arguments > 2 ? at(2, k) : 0));
                return true;
            }
            double dot = 0, distance = 0;
            for (size_t k = 0; k < n; ++k) {
                dot += at(0, k) * at(f.arguments > 1 ? 1 : 0, k);
                if (f.arguments > 1) distance += (at(0, k) - at(1, k)) * (at(0, k) - at(1, k));
            }
            if (f.name == "normalize") {
                for (size_t k = 0; k < n; ++k) out->components.push_back(at(0, k) / std::sqrt(dot));
            } else if (f.name == "length") {
                out->components = {std::sqrt(dot)};
            } else if (f.name == "dot") {
                out->components = {dot};
            } else if (f.name == "distance") {
                out->components = {std::sqrt(distance)};
            } else {
                if (n != 3) return Fail("'cross' takes two 3-component vectors");
                out->components = {at(0, 1) * at(1, 2) - at(0, 2) * at(1, 1),
                                   at(0, 2) * at(1, 0) - at(0, 0) * at(1, 2),
                                   at(0, 0) * at(1, 1) - at(0, 1) * at(1, 0)};
            }
            return true;
        }
        return Fail("'" + std::string(name.text) + "' cannot be evaluated as a constant");
    }

    const std::vector<Token>& t_;
    const ConstLookup& lookup_;
    size_t i_ = 0;
    Diagnostic error_;
};

}  // namespace

bool EvaluateConst(const std::vector<Token>& tokens, const ConstLookup& lookup, ConstValue* out,
                   Diagnostic* error) {
    return Evaluator(tokens, lookup).Run(out, error);
}

}  // namespace fx::detail
