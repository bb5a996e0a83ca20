// Tokenizer for the Pascal Script dialect: case-insensitive keywords, `{}`/`(* *)`/`//`
// comments (compiler directives are comments), 'quoted' strings with #nn characters.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace script {

enum class Tok : uint8_t {
    Eof,
    Ident,
    IntLit,
    FloatLit,
    StrLit,
    // symbols
    Plus,
    Minus,
    Star,
    Slash,
    Eq,
    Ne,
    Lt,
    Le,
    Gt,
    Ge,
    LParen,
    RParen,
    LBracket,
    RBracket,
    Comma,
    Semicolon,
    Colon,
    Assign,
    Dot,
    DotDot,
    At,
    Caret,
    // keywords
    KwAnd,
    KwArray,
    KwAs,
    KwBegin,
    KwCase,
    KwClass,
    KwConst,
    KwConstructor,
    KwDestructor,
    KwDiv,
    KwDo,
    KwDownto,
    KwElse,
    KwEnd,
    KwExcept,
    KwExternal,
    KwFinally,
    KwFor,
    KwForward,
    KwFunction,
    KwGoto,
    KwIf,
    KwIn,
    KwInherited,
    KwIs,
    KwLabel,
    KwMod,
    KwNil,
    KwNot,
    KwOf,
    KwOr,
    KwProcedure,
    KwProgram,
    KwProperty,
    KwRecord,
    KwRepeat,
    KwSet,
    KwShl,
    KwShr,
    KwThen,
    KwTo,
    KwTry,
    KwType,
    KwUntil,
    KwUses,
    KwVar,
    KwWhile,
    KwWith,
    KwXor,
};

struct Token {
    Tok type = Tok::Eof;
    int row = 1, col = 1;
    uint32_t offset = 0;
    std::string text;  // identifier as written, or the string literal's bytes
    uint64_t ival = 0;
    double fval = 0;
    bool hex = false;  // an integer literal written with '$'
};

// Errors are reported as (message, row, col) through base::CompileError.
class Lexer {
public:
    explicit Lexer(std::string_view source) : m_src(source) {}
    Token next();

private:
    char peek(size_t ahead = 0) const { return m_pos + ahead < m_src.size() ? m_src[m_pos + ahead] : '\0'; }
    void advance();
    void skipSpaceAndComments();
    Token number(Token t);
    Token stringLit(Token t);
    [[noreturn]] void fail(const char* msg, int row, int col) const;

    std::string_view m_src;
    size_t m_pos = 0;
    int m_row = 1;
    size_t m_lineStart = 0;
};

}  // namespace script
