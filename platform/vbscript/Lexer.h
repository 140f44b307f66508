#pragma once

#include "platform/vbscript/Token.h"

#include <vector>

namespace vbs {

// Splits script text into tokens: case-insensitive names, "'" and Rem comments, " _" line
// continuations, "" inside strings, &H/&O numbers and #date# literals. Raises ScriptError
// (compilation) with line and column on bad input.
class Lexer
{
public:
    explicit Lexer(const QString &text);
    std::vector<Token> tokenize();

    static Token::Keyword keywordOf(const QString &word);

private:
    [[noreturn]] void fail(int number, int line, int column);
    void push(Token::Type type, int line, int column);
    void lexNumber(int line, int column);
    void lexHex(int line, int column);
    void lexString(int line, int column);
    void lexDate(int line, int column);
    void skipToLineEnd();

    const QString &m_text;
    int m_pos = 0;
    int m_line = 1;
    int m_lineStart = 0;
    std::vector<Token> m_tokens;
};

} // namespace vbs
