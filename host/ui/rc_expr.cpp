// Expressions of resource scripts: statement values (ids, styles) and #if conditions.
#include <climits>

#include "host/ui/rc_lexer.h"

namespace qlhost::rc {
namespace {

constexpr int kMaxDepth = 32;

bool IsPunct(const Token& t, const char* p) { return t.kind == Token::Punct && t.text == p; }

std::string Shown(const Token& t) {
    switch (t.kind) {
        case Token::End: return "the end of the input";
        case Token::String: return "\"" + t.text + "\"";
        default: return "'" + t.text + "'";
    }
}

bool RcTerm(TokenStream& in, const Defines& defines, uint32_t& value, std::string& error, int depth) {
    if (depth > kMaxDepth) {
        error = "expression nested too deeply";
        return false;
    }
    Token t = in.Take();
    if (t.kind == Token::Number) {
        value = t.value;
        return true;
    }
    if (IsPunct(t, "(")) {
        if (!EvaluateRcExpression(in, defines, 0, value, error, depth + 1)) return false;
        if (!IsPunct(in.Take(), ")")) {
            error = "expected ')'";
            return false;
        }
        return true;
    }
    if (IsPunct(t, "~") || IsPunct(t, "-") || IsPunct(t, "+") || IsPunct(t, "!")) {
        if (!RcTerm(in, defines, value, error, depth + 1)) return false;
        if (t.text == "~") value = ~value;
        if (t.text == "-") value = 0u - value;
        if (t.text == "!") value = value == 0;
        return true;
    }
    if (t.kind == Token::Ident) {
        if (defines.count(t.text)) return MacroValue(t.text, defines, value, error, depth + 1);
        if (BuiltinSymbol(t.text, value)) return true;
        error = "unknown symbol " + t.text;
        return false;
    }
    error = t.kind == Token::Error ? t.text : "expected a number or a symbol, found " + Shown(t);
    return false;
}

// C-style condition evaluation by precedence climbing.
struct Condition {
    VectorStream& in;
    const Defines& defines;
    std::string& error;
    int depth;

    static int Precedence(const Token& t) {
        if (t.kind != Token::Punct) return 0;
        static const struct {
            const char* op;
            int level;
        } kOps[] = {{"||", 1}, {"&&", 2}, {"|", 3}, {"^", 4}, {"&", 5}, {"==", 6}, {"!=", 6},
                    {"<", 7},  {">", 7},  {"<=", 7}, {">=", 7}, {"<<", 8}, {">>", 8}, {"+", 9},
                    {"-", 9},  {"*", 10}, {"/", 10}, {"%", 10}};
        for (const auto& o : kOps)
            if (t.text == o.op) return o.level;
        return 0;
    }

    bool Apply(const std::string& op, int64_t a, int64_t b, int64_t& r) {
        if ((op == "/" || op == "%") && b == 0) {
            error = "division by zero in #if";
            return false;
        }
        if ((op == "/" || op == "%") && a == INT64_MIN && b == -1) b = 1;
        if (op == "||") r = a || b;
        else if (op == "&&") r = a && b;
        else if (op == "|") r = a | b;
        else if (op == "^") r = a ^ b;
        else if (op == "&") r = a & b;
        else if (op == "==") r = a == b;
        else if (op == "!=") r = a != b;
        else if (op == "<") r = a < b;
        else if (op == ">") r = a > b;
        else if (op == "<=") r = a <= b;
        else if (op == ">=") r = a >= b;
        else if (op == "<<") r = static_cast<int64_t>(static_cast<uint64_t>(a) << (b & 63));
        else if (op == ">>") r = a >> (b & 63);
        else if (op == "+") r = static_cast<int64_t>(static_cast<uint64_t>(a) + static_cast<uint64_t>(b));
        else if (op == "-") r = static_cast<int64_t>(static_cast<uint64_t>(a) - static_cast<uint64_t>(b));
        else if (op == "*") r = static_cast<int64_t>(static_cast<uint64_t>(a) * static_cast<uint64_t>(b));
        else if (op == "/") r = a / b;
        else r = a % b;
        return true;
    }

    bool Primary(int64_t& v) {
        if (++depth > kMaxDepth) {
            error = "#if expression nested too deeply";
            return false;
        }
        Token t = in.Take();
        if (t.kind == Token::Number) {
            v = t.value;
        } else if (t.kind == Token::Ident && t.text == "defined") {
            bool paren = IsPunct(in.Peek(), "(");
            if (paren) in.Take();
            Token name = in.Take();
            if (name.kind != Token::Ident || (paren && !IsPunct(in.Take(), ")"))) {
                error = "bad defined() in #if";
                return false;
            }
            v = defines.count(name.text) ? 1 : 0;
        } else if (t.kind == Token::Ident) {
            uint32_t u = 0;
            auto it = defines.find(t.text);
            if (it != defines.end()) {
                VectorStream body(Tokenize(it->second, t.file, t.line));
                Condition inner{body, defines, error, depth};
                if (!inner.Expression(v, 0)) return false;
            } else {
                v = BuiltinSymbol(t.text, u) ? static_cast<int32_t>(u) : 0;
            }
        } else if (IsPunct(t, "(")) {
            if (!Expression(v, 0)) return false;
            if (!IsPunct(in.Take(), ")")) {
                error = "expected ')' in #if";
                return false;
            }
        } else if (IsPunct(t, "!") || IsPunct(t, "~") || IsPunct(t, "-") || IsPunct(t, "+")) {
            if (!Primary(v)) return false;
            if (t.text == "!") v = !v;
            else if (t.text == "~") v = ~v;
            else if (t.text == "-") v = static_cast<int64_t>(0 - static_cast<uint64_t>(v));
        } else {
            error = t.kind == Token::Error ? t.text : "unexpected " + Shown(t) + " in #if";
            return false;
        }
        --depth;
        return true;
    }

    bool Expression(int64_t& v, int minLevel) {
        if (!Primary(v)) return false;
        while (true) {
            const Token& op = in.Peek();
            if (IsPunct(op, "?") && minLevel == 0) {
                in.Take();
                int64_t a, b;
                if (!Expression(a, 0) || !IsPunct(in.Take(), ":") || !Expression(b, 0)) {
                    if (error.empty()) error = "bad ?: in #if";
                    return false;
                }
                v = v ? a : b;
                continue;
            }
            int level = Precedence(op);
            if (level == 0 || level < minLevel) return true;
            std::string name = in.Take().text;
            int64_t rhs;
            if (!Expression(rhs, level + 1)) return false;
            if (!Apply(name, v, rhs, v)) return false;
        }
    }
};

}  // namespace

bool EvaluateRcExpression(TokenStream& in, const Defines& defines, uint32_t base, uint32_t& value, std::string& error,
                          int depth) {
    uint32_t acc = base;
    std::string op = "|";
    while (true) {
        bool negate = in.Peek().kind == Token::Ident && in.Peek().text == "NOT";
        if (negate) in.Take();
        uint32_t term = 0;
        if (!RcTerm(in, defines, term, error, depth)) return false;
        if (negate) term = ~term;
        if (op == "|") acc = negate ? (acc & term) : (acc | term);
        else if (op == "&") acc &= term;
        else if (op == "+") acc += term;
        else acc -= term;
        const Token& next = in.Peek();
        if (!(IsPunct(next, "|") || IsPunct(next, "&") || IsPunct(next, "+") || IsPunct(next, "-"))) break;
        op = in.Take().text;
    }
    value = acc;
    return true;
}

bool MacroValue(const std::string& name, const Defines& defines, uint32_t& value, std::string& error, int depth) {
    if (depth > kMaxDepth) {
        error = "#define " + name + " refers to itself";
        return false;
    }
    auto it = defines.find(name);
    if (it == defines.end()) {
        error = "unknown symbol " + name;
        return false;
    }
    VectorStream body(Tokenize(it->second, nullptr, 1));
    if (body.Peek().kind == Token::End) {
        error = "#define " + name + " has no value";
        return false;
    }
    if (!EvaluateRcExpression(body, defines, 0, value, error, depth + 1)) return false;
    if (body.Peek().kind != Token::End) {
        error = "#define " + name + " is not a number";
        return false;
    }
    return true;
}

bool EvaluateCondition(const std::vector<Token>& tokens, const Defines& defines, int64_t& value, std::string& error) {
    VectorStream in(tokens);
    Condition c{in, defines, error, 0};
    if (in.Peek().kind == Token::End) {
        error = "#if without a condition";
        return false;
    }
    if (!c.Expression(value, 0)) return false;
    if (in.Peek().kind != Token::End) {
        error = "unexpected " + Shown(in.Peek()) + " in #if";
        return false;
    }
    return true;
}

}  // namespace qlhost::rc
