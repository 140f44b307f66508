#include "platform/vbscript/Lexer.h"

#include "platform/text/BasicText.h"
#include "platform/vbscript/DateText.h"
#include "platform/vbscript/ScriptError.h"

#include <QHash>
#include <cmath>

namespace vbs {

namespace {

constexpr int kMaxIdentifier = 255;

bool isIdentStart(QChar c)
{
    return c.isLetter();
}

bool isIdentChar(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_');
}

bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QChar(0xA0) ||
           c == QChar(0x3000) || c == QChar(0xFEFF);
}

const QHash<QString, Token::Keyword> &keywordTable()
{
    static const QHash<QString, Token::Keyword> table = {
        {QStringLiteral("and"), Token::And},         {QStringLiteral("byref"), Token::ByRef},
        {QStringLiteral("byval"), Token::ByVal},     {QStringLiteral("call"), Token::Call},
        {QStringLiteral("case"), Token::Case},       {QStringLiteral("class"), Token::Class},
        {QStringLiteral("const"), Token::Const},     {QStringLiteral("dim"), Token::Dim},
        {QStringLiteral("do"), Token::Do},           {QStringLiteral("each"), Token::Each},
        {QStringLiteral("else"), Token::Else},       {QStringLiteral("elseif"), Token::ElseIf},
        {QStringLiteral("empty"), Token::Empty},     {QStringLiteral("end"), Token::EndKw},
        {QStringLiteral("eqv"), Token::Eqv},         {QStringLiteral("erase"), Token::Erase},
        {QStringLiteral("exit"), Token::Exit},       {QStringLiteral("false"), Token::False},
        {QStringLiteral("for"), Token::For},         {QStringLiteral("function"), Token::Function},
        {QStringLiteral("if"), Token::If},           {QStringLiteral("imp"), Token::Imp},
        {QStringLiteral("in"), Token::In},           {QStringLiteral("is"), Token::Is},
        {QStringLiteral("let"), Token::Let},         {QStringLiteral("loop"), Token::Loop},
        {QStringLiteral("me"), Token::Me},           {QStringLiteral("mod"), Token::Mod},
        {QStringLiteral("new"), Token::New},         {QStringLiteral("next"), Token::Next},
        {QStringLiteral("not"), Token::Not},         {QStringLiteral("nothing"), Token::Nothing},
        {QStringLiteral("null"), Token::Null},       {QStringLiteral("on"), Token::On},
        {QStringLiteral("option"), Token::Option},   {QStringLiteral("or"), Token::Or},
        {QStringLiteral("private"), Token::Private}, {QStringLiteral("public"), Token::Public},
        {QStringLiteral("redim"), Token::ReDim},     {QStringLiteral("select"), Token::Select},
        {QStringLiteral("set"), Token::Set},         {QStringLiteral("step"), Token::Step},
        {QStringLiteral("sub"), Token::Sub},         {QStringLiteral("then"), Token::Then},
        {QStringLiteral("to"), Token::To},           {QStringLiteral("true"), Token::True},
        {QStringLiteral("until"), Token::Until},     {QStringLiteral("wend"), Token::Wend},
        {QStringLiteral("while"), Token::While},     {QStringLiteral("with"), Token::With},
        {QStringLiteral("xor"), Token::Xor},
    };
    return table;
}

} // namespace

bool Token::isWord(const char *word) const
{
    return type == Identifier && keyword == None &&
           text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
}

Lexer::Lexer(const QString &text) : m_text(text) {}

Token::Keyword Lexer::keywordOf(const QString &word)
{
    return keywordTable().value(word.toLower(), Token::None);
}

void Lexer::fail(int number, int line, int column)
{
    throw ScriptError(number, QString(), line, column, ScriptError::Syntax);
}

void Lexer::push(Token::Type type, int line, int column)
{
    Token t;
    t.type = type;
    t.line = line;
    t.column = column;
    m_tokens.push_back(std::move(t));
}

void Lexer::skipToLineEnd()
{
    while (m_pos < m_text.size() && m_text[m_pos] != QLatin1Char('\n') &&
           m_text[m_pos] != QLatin1Char('\r'))
        ++m_pos;
}

std::vector<Token> Lexer::tokenize()
{
    const int n = int(m_text.size());
    while (m_pos < n) {
        QChar c = m_text[m_pos];
        int column = m_pos - m_lineStart + 1;
        if (isBlank(c)) {
            ++m_pos;
            continue;
        }
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            if (c == QLatin1Char('\r') && m_pos + 1 < n && m_text[m_pos + 1] == QLatin1Char('\n'))
                ++m_pos;
            ++m_pos;
            if (m_tokens.empty() || m_tokens.back().type != Token::Newline || m_tokens.back().colon)
                push(Token::Newline, m_line, column);
            ++m_line;
            m_lineStart = m_pos;
            continue;
        }
        if (c == QLatin1Char('\'')) {
            skipToLineEnd();
            continue;
        }
        if (c == QLatin1Char('_')) {
            // A line continuation: "_" then only blanks up to the line end.
            int p = m_pos + 1;
            while (p < n && isBlank(m_text[p]))
                ++p;
            if (p >= n || m_text[p] == QLatin1Char('\r') || m_text[p] == QLatin1Char('\n')) {
                if (p < n && m_text[p] == QLatin1Char('\r') && p + 1 < n &&
                    m_text[p + 1] == QLatin1Char('\n'))
                    ++p;
                m_pos = p + 1;
                ++m_line;
                m_lineStart = m_pos;
                continue;
            }
            fail(1032, m_line, column);
        }
        if (isIdentStart(c)) {
            int start = m_pos;
            while (m_pos < n && isIdentChar(m_text[m_pos]))
                ++m_pos;
            if (m_pos - start > kMaxIdentifier) fail(1030, m_line, column);
            QString word = m_text.mid(start, m_pos - start);
            if (word.compare(QLatin1String("rem"), Qt::CaseInsensitive) == 0 &&
                (m_tokens.empty() || m_tokens.back().type == Token::Newline)) {
                skipToLineEnd();
                continue;
            }
            Token t;
            t.type = Token::Identifier;
            t.line = m_line;
            t.column = column;
            t.keyword = keywordOf(word);
            t.text = std::move(word);
            m_tokens.push_back(std::move(t));
            continue;
        }
        if (c.isDigit() && c.unicode() < 128) {
            lexNumber(m_line, column);
            continue;
        }
        if (c == QLatin1Char('.') && m_pos + 1 < n && m_text[m_pos + 1].isDigit() &&
            (m_tokens.empty() || (m_tokens.back().type != Token::Identifier &&
                                  m_tokens.back().type != Token::RParen))) {
            lexNumber(m_line, column);
            continue;
        }
        if (c == QLatin1Char('"')) {
            lexString(m_line, column);
            continue;
        }
        if (c == QLatin1Char('#')) {
            lexDate(m_line, column);
            continue;
        }
        if (c == QLatin1Char('&') && m_pos + 1 < n) {
            QChar d = m_text[m_pos + 1].toLower();
            if (d == QLatin1Char('h') || d == QLatin1Char('o') ||
                (d.isDigit() && d.unicode() < 128)) {
                lexHex(m_line, column);
                continue;
            }
        }
        Token::Type type;
        int length = 1;
        QChar next = m_pos + 1 < n ? m_text[m_pos + 1] : QChar();
        switch (c.unicode()) {
        case ':':
            push(Token::Newline, m_line, column);
            m_tokens.back().colon = true;
            ++m_pos;
            continue;
        case '(':
            type = Token::LParen;
            break;
        case ')':
            type = Token::RParen;
            break;
        case ',':
            type = Token::Comma;
            break;
        case '.':
            type = Token::Dot;
            break;
        case '+':
            type = Token::Plus;
            break;
        case '-':
            type = Token::Minus;
            break;
        case '*':
            type = Token::Star;
            break;
        case '/':
            type = Token::Slash;
            break;
        case '\\':
            type = Token::Backslash;
            break;
        case '^':
            type = Token::Caret;
            break;
        case '&':
            type = Token::Amp;
            break;
        case '=':
            type = Token::Eq;
            break;
        case '<':
            if (next == QLatin1Char('>')) {
                type = Token::Ne;
                length = 2;
            } else if (next == QLatin1Char('=')) {
                type = Token::Le;
                length = 2;
            } else {
                type = Token::Lt;
            }
            break;
        case '>':
            if (next == QLatin1Char('=')) {
                type = Token::Ge;
                length = 2;
            } else {
                type = Token::Gt;
            }
            break;
        default:
            fail(1032, m_line, column);
        }
        push(type, m_line, column);
        m_pos += length;
    }
    push(Token::End, m_line, m_pos - m_lineStart + 1);
    return std::move(m_tokens);
}

void Lexer::lexNumber(int line, int column)
{
    const int n = int(m_text.size());
    int start = m_pos;
    bool isFloat = false;
    while (m_pos < n && m_text[m_pos].isDigit() && m_text[m_pos].unicode() < 128)
        ++m_pos;
    if (m_pos < n && m_text[m_pos] == QLatin1Char('.')) {
        isFloat = true;
        ++m_pos;
        while (m_pos < n && m_text[m_pos].isDigit() && m_text[m_pos].unicode() < 128)
            ++m_pos;
    }
    if (m_pos < n && (m_text[m_pos] == QLatin1Char('e') || m_text[m_pos] == QLatin1Char('E'))) {
        int p = m_pos + 1;
        if (p < n && (m_text[p] == QLatin1Char('+') || m_text[p] == QLatin1Char('-'))) ++p;
        if (p < n && m_text[p].isDigit() && m_text[p].unicode() < 128) {
            isFloat = true;
            m_pos = p;
            while (m_pos < n && m_text[m_pos].isDigit() && m_text[m_pos].unicode() < 128)
                ++m_pos;
        } else {
            fail(1031, line, column);
        }
    }
    if (m_pos < n && isIdentChar(m_text[m_pos])) fail(1031, line, column);
    QByteArray ascii = m_text.mid(start, m_pos - start).toLatin1();
    double value = 0;
    if (!BasicText::parseDecimal(ascii.constData(), ascii.constData() + ascii.size(), &value))
        fail(1031, line, column);
    Token t;
    t.type = isFloat ? Token::Float : Token::Integer;
    t.line = line;
    t.column = column;
    t.number = value;
    m_tokens.push_back(std::move(t));
}

void Lexer::lexHex(int line, int column)
{
    const int n = int(m_text.size());
    ++m_pos; // '&'
    int base = 8;
    QChar kind = m_text[m_pos].toLower();
    if (kind == QLatin1Char('h')) {
        base = 16;
        ++m_pos;
    } else if (kind == QLatin1Char('o')) {
        ++m_pos;
    }
    quint64 acc = 0;
    int digits = 0;
    while (m_pos < n) {
        QChar c = m_text[m_pos].toLower();
        int d = -1;
        if (c.isDigit() && c.unicode() < 128)
            d = c.unicode() - '0';
        else if (base == 16 && c >= QLatin1Char('a') && c <= QLatin1Char('f'))
            d = c.unicode() - 'a' + 10;
        if (d < 0 || d >= base) break;
        acc = acc * quint64(base) + quint64(d);
        if (acc > 0xFFFFFFFFull) fail(1031, line, column);
        ++digits;
        ++m_pos;
    }
    bool longSuffix = false;
    if (m_pos < n && m_text[m_pos] == QLatin1Char('&')) {
        longSuffix = true;
        ++m_pos;
    }
    if (digits == 0 || (m_pos < n && isIdentChar(m_text[m_pos]))) fail(1031, line, column);
    Token t;
    t.type = Token::Integer;
    t.line = line;
    t.column = column;
    // Up to 16 bits the literal is an Integer, wider ones a Long; both wrap to signed.
    if (!longSuffix && acc <= 0xFFFF)
        t.number = double(qint16(quint16(acc)));
    else
        t.number = double(qint32(quint32(acc)));
    m_tokens.push_back(std::move(t));
}

void Lexer::lexString(int line, int column)
{
    const int n = int(m_text.size());
    ++m_pos;
    QString value;
    for (;;) {
        if (m_pos >= n || m_text[m_pos] == QLatin1Char('\r') || m_text[m_pos] == QLatin1Char('\n'))
            fail(1033, line, column);
        QChar c = m_text[m_pos++];
        if (c == QLatin1Char('"')) {
            if (m_pos < n && m_text[m_pos] == QLatin1Char('"')) {
                value.append(c);
                ++m_pos;
                continue;
            }
            break;
        }
        value.append(c);
    }
    Token t;
    t.type = Token::String;
    t.line = line;
    t.column = column;
    t.text = std::move(value);
    m_tokens.push_back(std::move(t));
}

void Lexer::lexDate(int line, int column)
{
    const int n = int(m_text.size());
    int start = ++m_pos;
    while (m_pos < n && m_text[m_pos] != QLatin1Char('#') && m_text[m_pos] != QLatin1Char('\n') &&
           m_text[m_pos] != QLatin1Char('\r'))
        ++m_pos;
    if (m_pos >= n || m_text[m_pos] != QLatin1Char('#')) fail(1032, line, column);
    QString body = m_text.mid(start, m_pos - start).trimmed();
    ++m_pos;
    // Date literals are read as the English (United States) locale writes dates.
    double date;
    bool ok = DateText::parse(body, &date);
    if (!ok) fail(1031, line, column);
    Token t;
    t.type = Token::Date;
    t.line = line;
    t.column = column;
    t.number = date;
    m_tokens.push_back(std::move(t));
}

} // namespace vbs
