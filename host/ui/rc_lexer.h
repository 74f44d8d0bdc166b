// Tokens of resource scripts and the preprocessor that delivers them (internal to the
// .rc parser).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "host/ui/rc.h"

namespace qlhost::rc {

struct Token {
    enum Kind { End, Ident, Number, String, Punct, Error } kind = End;
    std::string text;    // identifier, string contents, punctuation, or the error message
    uint32_t value = 0;  // Number
    const std::string* file = nullptr;
    int line = 0;
};

// Splits one text into tokens; lines starting with '#' come back whole as directives.
class Lexer {
public:
    Lexer(std::string text, const std::string* file);
    // The next token; directive is set (and the token holds the line after '#') for a
    // preprocessor line.
    Token Next(bool& directive);

private:
    Token Make(Token::Kind kind, std::string text, int line) const;
    bool SkipSpaceAndComments(std::string& error);
    std::string ReadDirective();
    Token ReadString(int line);
    Token ReadNumber(int line);
    std::string text_;
    const std::string* file_;
    size_t pos_ = 0;
    int line_ = 1;
    bool lineStart_ = true;
};

// Tokens of a text (a #define body or #if line); Error token on bad input.
std::vector<Token> Tokenize(const std::string& text, const std::string* file, int line);

// Runs the preprocessor over a script and its includes.
class Preprocessor {
public:
    Preprocessor(const std::string& text, const std::string& fileName, const IncludeReader& include, Defines& defines);
    // The next token after preprocessing; End at the end of the script, Error on a fault.
    Token Next();
    Defines& Macros() { return defines_; }

private:
    struct Condition {
        bool active;     // this branch's tokens are taken
        bool taken;      // some branch of the chain was taken
        bool outerActive;
        bool sawElse;
    };
    bool Active() const { return conditions_.empty() || conditions_.back().active; }
    Token Directive(const Token& line);
    Token Fail(const Token& at, const std::string& message) const;
    bool Evaluate(const Token& at, const std::string& expr, bool& result, std::string& error);

    std::vector<std::unique_ptr<std::string>> files_;  // names the tokens point at
    std::vector<std::unique_ptr<Lexer>> lexers_;
    std::vector<Condition> conditions_;
    std::vector<size_t> conditionBase_;  // conditions_ size when each lexer started
    Token end_;                          // where the script ended
    const IncludeReader& include_;
    Defines& defines_;
};

// A cursor over tokens, for the expression readers.
class TokenStream {
public:
    virtual ~TokenStream() = default;
    virtual const Token& Peek() = 0;
    virtual Token Take() = 0;
};

class VectorStream : public TokenStream {
public:
    explicit VectorStream(std::vector<Token> tokens) : tokens_(std::move(tokens)) {}
    const Token& Peek() override { return pos_ < tokens_.size() ? tokens_[pos_] : end_; }
    Token Take() override { return pos_ < tokens_.size() ? tokens_[pos_++] : end_; }

private:
    std::vector<Token> tokens_;
    size_t pos_ = 0;
    Token end_;
};

// Evaluates an expression of a resource statement: numbers, #defined ids, built-in
// constants, NOT, ~, unary -, parentheses and | & + - from left to right. The first term is
// combined with base like the others, so "NOT WS_VISIBLE" clears a default bit; "NOT x"
// after '|' clears x from what came before.
bool EvaluateRcExpression(TokenStream& in, const Defines& defines, uint32_t base, uint32_t& value,
                          std::string& error, int depth = 0);

// Evaluates a C-style constant expression (#if): defined(X), numbers, macros (undefined
// identifiers count 0), ! ~ - + * / % << >> < > <= >= == != & ^ | && || and parentheses.
bool EvaluateCondition(const std::vector<Token>& tokens, const Defines& defines, int64_t& value, std::string& error);

// Evaluates a #define's body as a number (nested macros and built-in constants allowed).
bool MacroValue(const std::string& name, const Defines& defines, uint32_t& value, std::string& error, int depth = 0);

}  // namespace qlhost::rc
