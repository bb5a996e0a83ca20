// Tokenizer; positions are 1-based rows and columns counted in bytes.
#include "script/Lexer.h"

#include <cstdlib>
#include <unordered_map>

#include "base/Error.h"

namespace script {

namespace {

const std::unordered_map<std::string, Tok>& keywords() {
    static const std::unordered_map<std::string, Tok> table = {
        {"AND", Tok::KwAnd},
        {"ARRAY", Tok::KwArray},
        {"AS", Tok::KwAs},
        {"BEGIN", Tok::KwBegin},
        {"CASE", Tok::KwCase},
        {"CLASS", Tok::KwClass},
        {"CONST", Tok::KwConst},
        {"CONSTRUCTOR", Tok::KwConstructor},
        {"DESTRUCTOR", Tok::KwDestructor},
        {"DIV", Tok::KwDiv},
        {"DO", Tok::KwDo},
        {"DOWNTO", Tok::KwDownto},
        {"ELSE", Tok::KwElse},
        {"END", Tok::KwEnd},
        {"EXCEPT", Tok::KwExcept},
        {"EXTERNAL", Tok::KwExternal},
        {"FINALLY", Tok::KwFinally},
        {"FOR", Tok::KwFor},
        {"FORWARD", Tok::KwForward},
        {"FUNCTION", Tok::KwFunction},
        {"GOTO", Tok::KwGoto},
        {"IF", Tok::KwIf},
        {"IN", Tok::KwIn},
        {"INHERITED", Tok::KwInherited},
        {"IS", Tok::KwIs},
        {"LABEL", Tok::KwLabel},
        {"MOD", Tok::KwMod},
        {"NIL", Tok::KwNil},
        {"NOT", Tok::KwNot},
        {"OF", Tok::KwOf},
        {"OR", Tok::KwOr},
        {"PROCEDURE", Tok::KwProcedure},
        {"PROGRAM", Tok::KwProgram},
        {"PROPERTY", Tok::KwProperty},
        {"RECORD", Tok::KwRecord},
        {"REPEAT", Tok::KwRepeat},
        {"SET", Tok::KwSet},
        {"SHL", Tok::KwShl},
        {"SHR", Tok::KwShr},
        {"THEN", Tok::KwThen},
        {"TO", Tok::KwTo},
        {"TRY", Tok::KwTry},
        {"TYPE", Tok::KwType},
        {"UNTIL", Tok::KwUntil},
        {"USES", Tok::KwUses},
        {"VAR", Tok::KwVar},
        {"WHILE", Tok::KwWhile},
        {"WITH", Tok::KwWith},
        {"XOR", Tok::KwXor},
    };
    return table;
}

bool isIdentStart(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isHex(char c) { return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

}  // namespace

void Lexer::fail(const char* msg, int row, int col) const { throw base::CompileError(msg, row, col); }

void Lexer::advance() {
    if (m_src[m_pos] == '\n') {
        ++m_row;
        m_lineStart = m_pos + 1;
    }
    ++m_pos;
}

void Lexer::skipSpaceAndComments() {
    for (;;) {
        char c = peek();
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            advance();
        } else if (c == '/' && peek(1) == '/') {
            while (m_pos < m_src.size() && m_src[m_pos] != '\n') ++m_pos;
        } else if (c == '{') {
            int row = m_row, col = int(m_pos - m_lineStart) + 1;
            while (m_pos < m_src.size() && m_src[m_pos] != '}') advance();
            if (m_pos >= m_src.size()) fail("Comment error", row, col);
            ++m_pos;
        } else if (c == '(' && peek(1) == '*') {
            int row = m_row, col = int(m_pos - m_lineStart) + 1;
            m_pos += 2;
            while (m_pos < m_src.size() && !(m_src[m_pos] == '*' && peek(1) == ')')) advance();
            if (m_pos >= m_src.size()) fail("Comment error", row, col);
            m_pos += 2;
        } else {
            return;
        }
    }
}

Token Lexer::next() {
    skipSpaceAndComments();
    Token t;
    t.row = m_row;
    t.col = int(m_pos - m_lineStart) + 1;
    t.offset = uint32_t(m_pos);
    if (m_pos >= m_src.size()) return t;
    char c = m_src[m_pos];
    if (isIdentStart(c)) {
        size_t start = m_pos;
        while (m_pos < m_src.size() && (isIdentStart(m_src[m_pos]) || isDigit(m_src[m_pos]))) ++m_pos;
        t.text.assign(m_src.substr(start, m_pos - start));
        std::string up = t.text;
        for (char& ch : up)
            if (ch >= 'a' && ch <= 'z') ch = char(ch - 32);
        auto it = keywords().find(up);
        t.type = it == keywords().end() ? Tok::Ident : it->second;
        return t;
    }
    if (isDigit(c) || c == '$') return number(t);
    if (c == '\'' || c == '#') return stringLit(t);
    ++m_pos;
    switch (c) {
    case '+': t.type = Tok::Plus; break;
    case '-': t.type = Tok::Minus; break;
    case '*': t.type = Tok::Star; break;
    case '/': t.type = Tok::Slash; break;
    case '=': t.type = Tok::Eq; break;
    case '(': t.type = Tok::LParen; break;
    case ')': t.type = Tok::RParen; break;
    case '[': t.type = Tok::LBracket; break;
    case ']': t.type = Tok::RBracket; break;
    case ',': t.type = Tok::Comma; break;
    case ';': t.type = Tok::Semicolon; break;
    case '@': t.type = Tok::At; break;
    case '^': t.type = Tok::Caret; break;
    case '<':
        if (peek() == '>') {
            ++m_pos;
            t.type = Tok::Ne;
        } else if (peek() == '=') {
            ++m_pos;
            t.type = Tok::Le;
        } else
            t.type = Tok::Lt;
        break;
    case '>':
        if (peek() == '=') {
            ++m_pos;
            t.type = Tok::Ge;
        } else
            t.type = Tok::Gt;
        break;
    case ':':
        if (peek() == '=') {
            ++m_pos;
            t.type = Tok::Assign;
        } else
            t.type = Tok::Colon;
        break;
    case '.':
        if (peek() == '.') {
            ++m_pos;
            t.type = Tok::DotDot;
        } else
            t.type = Tok::Dot;
        break;
    default: fail("Syntax error", t.row, t.col);
    }
    return t;
}

Token Lexer::number(Token t) {
    size_t start = m_pos;
    if (m_src[m_pos] == '$') {
        ++m_pos;
        uint64_t v = 0;
        if (!isHex(peek())) fail("Syntax error", t.row, t.col);
        while (isHex(peek())) {
            char h = m_src[m_pos++];
            v = v * 16 + uint64_t(isDigit(h) ? h - '0' : (h | 0x20) - 'a' + 10);
        }
        t.type = Tok::IntLit;
        t.ival = v;
        t.hex = true;
        return t;
    }
    while (isDigit(peek())) ++m_pos;
    bool isFloat = false;
    if (peek() == '.' && isDigit(peek(1))) {
        isFloat = true;
        ++m_pos;
        while (isDigit(peek())) ++m_pos;
    }
    if ((peek() == 'e' || peek() == 'E') &&
        (isDigit(peek(1)) || ((peek(1) == '+' || peek(1) == '-') && isDigit(peek(2))))) {
        isFloat = true;
        m_pos += 2;
        while (isDigit(peek())) ++m_pos;
    }
    std::string text(m_src.substr(start, m_pos - start));
    if (isFloat) {
        t.type = Tok::FloatLit;
        t.fval = std::strtod(text.c_str(), nullptr);
    } else {
        t.type = Tok::IntLit;
        uint64_t v = 0;
        for (char d : text) {
            uint64_t nv = v * 10 + uint64_t(d - '0');
            if (nv / 10 != v) {  // too large for any integer type: the value becomes a real
                t.type = Tok::FloatLit;
                t.fval = std::strtod(text.c_str(), nullptr);
                return t;
            }
            v = nv;
        }
        t.ival = v;
    }
    return t;
}

// string = { "'" chars "'" | "#" number }
Token Lexer::stringLit(Token t) {
    t.type = Tok::StrLit;
    for (;;) {
        if (peek() == '\'') {
            ++m_pos;
            for (;;) {
                if (m_pos >= m_src.size() || m_src[m_pos] == '\n' || m_src[m_pos] == '\r')
                    fail("String error", t.row, t.col);
                if (m_src[m_pos] == '\'') {
                    if (peek(1) == '\'') {
                        t.text += '\'';
                        m_pos += 2;
                        continue;
                    }
                    ++m_pos;
                    break;
                }
                t.text += m_src[m_pos++];
            }
        } else if (peek() == '#') {
            ++m_pos;
            uint64_t v = 0;
            if (peek() == '$') {
                ++m_pos;
                if (!isHex(peek())) fail("Char error", t.row, t.col);
                while (isHex(peek())) {
                    char h = m_src[m_pos++];
                    v = v * 16 + uint64_t(isDigit(h) ? h - '0' : (h | 0x20) - 'a' + 10);
                    if (v > 0xFFFF) fail("Char error", t.row, t.col);
                }
            } else {
                if (!isDigit(peek())) fail("Char error", t.row, t.col);
                while (isDigit(peek())) {
                    v = v * 10 + uint64_t(m_src[m_pos++] - '0');
                    if (v > 0xFFFF) fail("Char error", t.row, t.col);
                }
            }
            t.text += char(uint8_t(v));
        } else {
            return t;
        }
    }
}

}  // namespace script
