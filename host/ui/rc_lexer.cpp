// Lexer and preprocessor of resource scripts.
#include "host/ui/rc_lexer.h"

#include <algorithm>
#include <cctype>

namespace qlhost::rc {
namespace {

constexpr size_t kMaxIncludeDepth = 16;
constexpr uint64_t kMaxNumber = 0xFFFFFFFFu;

const char* const kSystemHeaders[] = {"windows.h", "winres.h", "winresrc.h", "afxres.h", "commctrl.h",
                                      "richedit.h", "verrsrc.h", "winver.h", "dlgs.h", "winuser.h",
                                      "winuser.rh", "prsht.h", "afxres.rc", "ntdef.h", "winnt.h"};

bool IsIdentStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }
bool IsIdentChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

std::string Trim(const std::string& s) {
    size_t b = s.find_first_not_of(" \t\r\n");
    if (b == std::string::npos) return {};
    return s.substr(b, s.find_last_not_of(" \t\r\n") - b + 1);
}

bool IsSystemHeader(const std::string& name) {
    std::string base = Lower(name.substr(name.find_last_of("/\\") + 1));
    return std::any_of(std::begin(kSystemHeaders), std::end(kSystemHeaders), [&](const char* h) { return base == h; });
}

// The word at the start of s; rest receives what follows it.
std::string FirstWord(const std::string& s, std::string& rest) {
    size_t i = 0;
    while (i < s.size() && IsIdentChar(s[i])) ++i;
    rest = Trim(s.substr(i));
    return s.substr(0, i);
}

}  // namespace

Lexer::Lexer(std::string text, const std::string* file) : text_(std::move(text)), file_(file) {}

Token Lexer::Make(Token::Kind kind, std::string text, int line) const {
    Token t;
    t.kind = kind;
    t.text = std::move(text);
    t.file = file_;
    t.line = line;
    return t;
}

bool Lexer::SkipSpaceAndComments(std::string& error) {
    while (pos_ < text_.size()) {
        char c = text_[pos_];
        if (c == '\n') {
            ++line_;
            ++pos_;
            lineStart_ = true;
        } else if (c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v') {
            ++pos_;
        } else if (c == '/' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '/') {
            while (pos_ < text_.size() && text_[pos_] != '\n') ++pos_;
        } else if (c == '/' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '*') {
            size_t end = text_.find("*/", pos_ + 2);
            if (end == std::string::npos) {
                error = "comment not closed";
                pos_ = text_.size();
                return false;
            }
            line_ += static_cast<int>(std::count(text_.begin() + static_cast<long>(pos_), text_.begin() + static_cast<long>(end), '\n'));
            pos_ = end + 2;
        } else {
            return true;
        }
    }
    return true;
}

// The directive line after '#', joined over backslash line ends, without comments.
std::string Lexer::ReadDirective() {
    std::string out;
    while (pos_ < text_.size() && text_[pos_] != '\n') {
        char c = text_[pos_];
        if (c == '\\' && pos_ + 1 < text_.size() && (text_[pos_ + 1] == '\n' || text_[pos_ + 1] == '\r')) {
            pos_ += text_[pos_ + 1] == '\r' && pos_ + 2 < text_.size() && text_[pos_ + 2] == '\n' ? 3 : 2;
            ++line_;
            out += ' ';
        } else if (c == '/' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '/') {
            while (pos_ < text_.size() && text_[pos_] != '\n') ++pos_;
        } else if (c == '/' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '*') {
            size_t end = text_.find("*/", pos_ + 2);
            if (end == std::string::npos) end = text_.size() - 2;
            line_ += static_cast<int>(std::count(text_.begin() + static_cast<long>(pos_), text_.begin() + static_cast<long>(end), '\n'));
            pos_ = end + 2;
            out += ' ';
        } else if (c == '"') {
            size_t end = pos_ + 1;
            while (end < text_.size() && text_[end] != '"' && text_[end] != '\n') ++end;
            if (end < text_.size() && text_[end] == '"') ++end;
            out += text_.substr(pos_, end - pos_);
            pos_ = end;
        } else {
            out += c;
            ++pos_;
        }
    }
    return Trim(out);
}

Token Lexer::ReadString(int line) {
    std::string s;
    ++pos_;
    while (pos_ < text_.size()) {
        char c = text_[pos_];
        if (c == '\n') break;
        if (c == '"') {
            if (pos_ + 1 < text_.size() && text_[pos_ + 1] == '"') {
                s += '"';
                pos_ += 2;
                continue;
            }
            ++pos_;
            return Make(Token::String, s, line);
        }
        if (c == '\\' && pos_ + 1 < text_.size()) {
            char e = text_[pos_ + 1];
            pos_ += 2;
            switch (e) {
                case 'n': s += '\n'; break;
                case 't': s += '\t'; break;
                case 'r': s += '\r'; break;
                case 'a': s += '\a'; break;
                case '\\': s += '\\'; break;
                case '"': s += '"'; break;
                case '0': s += '\0'; break;
                case '\n': --pos_; s += '\\'; break;
                default: s += '\\'; s += e; break;
            }
            continue;
        }
        s += c;
        ++pos_;
    }
    return Make(Token::Error, "string not closed", line);
}

Token Lexer::ReadNumber(int line) {
    uint64_t v = 0;
    bool hex = text_[pos_] == '0' && pos_ + 1 < text_.size() && (text_[pos_ + 1] == 'x' || text_[pos_ + 1] == 'X');
    size_t start = pos_;
    if (hex) pos_ += 2;
    bool overflow = false;
    int digits = 0;
    while (pos_ < text_.size() && (hex ? std::isxdigit(static_cast<unsigned char>(text_[pos_]))
                                       : std::isdigit(static_cast<unsigned char>(text_[pos_])))) {
        char c = static_cast<char>(std::tolower(static_cast<unsigned char>(text_[pos_++])));
        v = v * (hex ? 16 : 10) + static_cast<uint64_t>(c <= '9' ? c - '0' : c - 'a' + 10);
        overflow = overflow || v > kMaxNumber;
        ++digits;
    }
    while (pos_ < text_.size() && (text_[pos_] == 'L' || text_[pos_] == 'l' || text_[pos_] == 'U' || text_[pos_] == 'u'))
        ++pos_;
    std::string written = text_.substr(start, pos_ - start);
    if (pos_ < text_.size() && IsIdentChar(text_[pos_])) {
        while (pos_ < text_.size() && IsIdentChar(text_[pos_])) ++pos_;
        return Make(Token::Error, "bad number \"" + text_.substr(start, pos_ - start) + "\"", line);
    }
    if (overflow || (hex && digits == 0)) return Make(Token::Error, "bad number \"" + written + "\"", line);
    Token t = Make(Token::Number, written, line);
    t.value = static_cast<uint32_t>(v);
    return t;
}

Token Lexer::Next(bool& directive) {
    directive = false;
    std::string error;
    if (!SkipSpaceAndComments(error)) return Make(Token::Error, error, line_);
    if (pos_ >= text_.size()) return Make(Token::End, "", line_);
    int line = line_;
    char c = text_[pos_];
    if (c == '#' && lineStart_) {
        ++pos_;
        directive = true;
        return Make(Token::Punct, ReadDirective(), line);
    }
    lineStart_ = false;
    if (c == '"' || (c == 'L' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '"')) {
        if (c == 'L') ++pos_;
        return ReadString(line);
    }
    if (std::isdigit(static_cast<unsigned char>(c))) return ReadNumber(line);
    if (IsIdentStart(c)) {
        size_t start = pos_;
        while (pos_ < text_.size() && IsIdentChar(text_[pos_])) ++pos_;
        return Make(Token::Ident, text_.substr(start, pos_ - start), line);
    }
    static const char* const kPairs[] = {"<<", ">>", "<=", ">=", "==", "!=", "&&", "||"};
    for (const char* p : kPairs) {
        if (text_.compare(pos_, 2, p) == 0) {
            pos_ += 2;
            return Make(Token::Punct, p, line);
        }
    }
    ++pos_;
    return Make(Token::Punct, std::string(1, c), line);
}

std::vector<Token> Tokenize(const std::string& text, const std::string* file, int line) {
    Lexer lexer(text, file);
    std::vector<Token> out;
    while (true) {
        bool directive = false;
        Token t = lexer.Next(directive);
        t.line += line - 1;
        if (t.kind == Token::End) break;
        if (directive) {
            t.kind = Token::Error;
            t.text = "'#' in an expression";
        }
        out.push_back(t);
        if (t.kind == Token::Error) break;
    }
    return out;
}

Preprocessor::Preprocessor(const std::string& text, const std::string& fileName, const IncludeReader& include,
                           Defines& defines)
    : include_(include), defines_(defines) {
    files_.push_back(std::make_unique<std::string>(fileName));
    lexers_.push_back(std::make_unique<Lexer>(text, files_.back().get()));
    conditionBase_.push_back(0);
}

Token Preprocessor::Fail(const Token& at, const std::string& message) const {
    Token t = at;
    t.kind = Token::Error;
    t.text = (at.file ? *at.file : std::string("?")) + ":" + std::to_string(at.line) + ": " + message;
    return t;
}

bool Preprocessor::Evaluate(const Token& at, const std::string& expr, bool& result, std::string& error) {
    int64_t value = 0;
    if (!EvaluateCondition(Tokenize(expr, at.file, at.line), defines_, value, error)) return false;
    result = value != 0;
    return true;
}

Token Preprocessor::Directive(const Token& line) {
    std::string rest;
    std::string word = FirstWord(line.text, rest);
    std::string error;
    if (word == "if" || word == "ifdef" || word == "ifndef") {
        bool outer = Active();
        bool value = false;
        if (outer) {
            std::string tail;
            std::string name = FirstWord(rest, tail);
            if (word == "ifdef") value = defines_.count(name) > 0;
            else if (word == "ifndef") value = defines_.count(name) == 0;
            else if (!Evaluate(line, rest, value, error)) return Fail(line, error);
        }
        conditions_.push_back({outer && value, outer && value, outer, false});
        return Token{};
    }
    if (word == "elif" || word == "else" || word == "endif") {
        if (conditions_.size() <= conditionBase_.back()) return Fail(line, "#" + word + " without #if");
        Condition& c = conditions_.back();
        if (word == "endif") {
            conditions_.pop_back();
            return Token{};
        }
        if (c.sawElse) return Fail(line, "#" + word + " after #else");
        bool value = true;
        if (word == "elif" && c.outerActive && !c.taken && !Evaluate(line, rest, value, error))
            return Fail(line, error);
        c.sawElse = word == "else";
        c.active = c.outerActive && !c.taken && value;
        c.taken = c.taken || c.active;
        return Token{};
    }
    if (!Active()) return Token{};
    if (word == "define") {
        std::string body;
        std::string name = FirstWord(rest, body);
        if (name.empty()) return Fail(line, "#define without a name");
        // Function-like macros are not used by resource scripts; they are left out.
        if (rest.size() > name.size() && rest[name.size()] == '(') return Token{};
        defines_[name] = body;
    } else if (word == "undef") {
        std::string tail;
        defines_.erase(FirstWord(rest, tail));
    } else if (word == "include") {
        if (rest.size() < 2 || !((rest.front() == '"' && rest.back() == '"') || (rest.front() == '<' && rest.back() == '>')))
            return Fail(line, "#include needs \"file\" or <file>");
        std::string name = rest.substr(1, rest.size() - 2);
        std::string text, path;
        bool found = include_ && include_(name, *line.file, text, path);
        if (!found) {
            if (rest.front() == '<' || IsSystemHeader(name)) return Token{};
            return Fail(line, "cannot open include file \"" + name + "\"");
        }
        if (lexers_.size() >= kMaxIncludeDepth) return Fail(line, "includes nested too deeply at \"" + name + "\"");
        files_.push_back(std::make_unique<std::string>(path));
        lexers_.push_back(std::make_unique<Lexer>(text, files_.back().get()));
        conditionBase_.push_back(conditions_.size());
    } else if (word == "error") {
        return Fail(line, "#error " + rest);
    } else if (!word.empty() && word != "pragma" && word != "line" && word != "message") {
        return Fail(line, "unknown directive #" + word);
    }
    return Token{};
}

Token Preprocessor::Next() {
    while (!lexers_.empty()) {
        bool directive = false;
        Token t = lexers_.back()->Next(directive);
        if (t.kind == Token::Error) {
            if (!Active()) continue;
            return Fail(t, t.text);
        }
        if (t.kind == Token::End) {
            if (conditions_.size() > conditionBase_.back()) return Fail(t, "#if without #endif");
            lexers_.pop_back();
            conditionBase_.pop_back();
            if (lexers_.empty()) end_ = t;
            continue;
        }
        if (directive) {
            Token r = Directive(t);
            if (r.kind == Token::Error) return r;
            continue;
        }
        if (Active()) return t;
    }
    return end_;
}

}  // namespace qlhost::rc
