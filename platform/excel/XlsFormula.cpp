#include "platform/excel/XlsFormula.h"

#include <QRegularExpression>
#include <QtEndian>
#include <charconv>
#include <cmath>
#include <cstring>

namespace excel {

const QString XlsFormula::kNotDecompiled = QStringLiteral("=[not decompiled: ");

namespace {

// Built-in functions by number: name and fixed argument count (-1: the count is stored with
// the call). Numbers missing here (mostly macro-sheet commands) are not decompiled.
struct FunctionInfo
{
    int index;
    const char *name;
    int arguments;
};

const FunctionInfo kFunctions[] = {
    {0, "COUNT", -1},
    {1, "IF", -1},
    {2, "ISNA", 1},
    {3, "ISERROR", 1},
    {4, "SUM", -1},
    {5, "AVERAGE", -1},
    {6, "MIN", -1},
    {7, "MAX", -1},
    {8, "ROW", -1},
    {9, "COLUMN", -1},
    {10, "NA", 0},
    {11, "NPV", -1},
    {12, "STDEV", -1},
    {13, "DOLLAR", -1},
    {14, "FIXED", -1},
    {15, "SIN", 1},
    {16, "COS", 1},
    {17, "TAN", 1},
    {18, "ATAN", 1},
    {19, "PI", 0},
    {20, "SQRT", 1},
    {21, "EXP", 1},
    {22, "LN", 1},
    {23, "LOG10", 1},
    {24, "ABS", 1},
    {25, "INT", 1},
    {26, "SIGN", 1},
    {27, "ROUND", 2},
    {28, "LOOKUP", -1},
    {29, "INDEX", -1},
    {30, "REPT", 2},
    {31, "MID", 3},
    {32, "LEN", 1},
    {33, "VALUE", 1},
    {34, "TRUE", 0},
    {35, "FALSE", 0},
    {36, "AND", -1},
    {37, "OR", -1},
    {38, "NOT", 1},
    {39, "MOD", 2},
    {40, "DCOUNT", 3},
    {41, "DSUM", 3},
    {42, "DAVERAGE", 3},
    {43, "DMIN", 3},
    {44, "DMAX", 3},
    {45, "DSTDEV", 3},
    {46, "VAR", -1},
    {47, "DVAR", 3},
    {48, "TEXT", 2},
    {49, "LINEST", -1},
    {50, "TREND", -1},
    {51, "LOGEST", -1},
    {52, "GROWTH", -1},
    {56, "PV", -1},
    {57, "FV", -1},
    {58, "NPER", -1},
    {59, "PMT", -1},
    {60, "RATE", -1},
    {61, "MIRR", 3},
    {62, "IRR", -1},
    {63, "RAND", 0},
    {64, "MATCH", -1},
    {65, "DATE", 3},
    {66, "TIME", 3},
    {67, "DAY", 1},
    {68, "MONTH", 1},
    {69, "YEAR", 1},
    {70, "WEEKDAY", -1},
    {71, "HOUR", 1},
    {72, "MINUTE", 1},
    {73, "SECOND", 1},
    {74, "NOW", 0},
    {75, "AREAS", 1},
    {76, "ROWS", 1},
    {77, "COLUMNS", 1},
    {78, "OFFSET", -1},
    {82, "SEARCH", -1},
    {83, "TRANSPOSE", 1},
    {86, "TYPE", 1},
    {97, "ATAN2", 2},
    {98, "ASIN", 1},
    {99, "ACOS", 1},
    {100, "CHOOSE", -1},
    {101, "HLOOKUP", -1},
    {102, "VLOOKUP", -1},
    {105, "ISREF", 1},
    {109, "LOG", -1},
    {111, "CHAR", 1},
    {112, "LOWER", 1},
    {113, "UPPER", 1},
    {114, "PROPER", 1},
    {115, "LEFT", -1},
    {116, "RIGHT", -1},
    {117, "EXACT", 2},
    {118, "TRIM", 1},
    {119, "REPLACE", 4},
    {120, "SUBSTITUTE", -1},
    {121, "CODE", 1},
    {124, "FIND", -1},
    {125, "CELL", -1},
    {126, "ISERR", 1},
    {127, "ISTEXT", 1},
    {128, "ISNUMBER", 1},
    {129, "ISBLANK", 1},
    {130, "T", 1},
    {131, "N", 1},
    {140, "DATEVALUE", 1},
    {141, "TIMEVALUE", 1},
    {142, "SLN", 3},
    {143, "SYD", 4},
    {144, "DDB", -1},
    {148, "INDIRECT", -1},
    {162, "CLEAN", 1},
    {163, "MDETERM", 1},
    {164, "MINVERSE", 1},
    {165, "MMULT", 2},
    {167, "IPMT", -1},
    {168, "PPMT", -1},
    {169, "COUNTA", -1},
    {183, "PRODUCT", -1},
    {184, "FACT", 1},
    {189, "DPRODUCT", 3},
    {190, "ISNONTEXT", 1},
    {193, "STDEVP", -1},
    {194, "VARP", -1},
    {195, "DSTDEVP", 3},
    {196, "DVARP", 3},
    {197, "TRUNC", -1},
    {198, "ISLOGICAL", 1},
    {199, "DCOUNTA", 3},
    {204, "USDOLLAR", -1},
    {205, "FINDB", -1},
    {206, "SEARCHB", -1},
    {207, "REPLACEB", 4},
    {208, "LEFTB", -1},
    {209, "RIGHTB", -1},
    {210, "MIDB", 3},
    {211, "LENB", 1},
    {212, "ROUNDUP", 2},
    {213, "ROUNDDOWN", 2},
    {214, "ASC", 1},
    {215, "DBCS", 1},
    {216, "RANK", -1},
    {219, "ADDRESS", -1},
    {220, "DAYS360", -1},
    {221, "TODAY", 0},
    {222, "VDB", -1},
    {227, "MEDIAN", -1},
    {228, "SUMPRODUCT", -1},
    {229, "SINH", 1},
    {230, "COSH", 1},
    {231, "TANH", 1},
    {232, "ASINH", 1},
    {233, "ACOSH", 1},
    {234, "ATANH", 1},
    {235, "DGET", 3},
    {244, "INFO", 1},
    {247, "DB", -1},
    {252, "FREQUENCY", 2},
    {261, "ERROR.TYPE", 1},
    {269, "AVEDEV", -1},
    {270, "BETADIST", -1},
    {271, "GAMMALN", 1},
    {272, "BETAINV", -1},
    {273, "BINOMDIST", 4},
    {274, "CHIDIST", 2},
    {275, "CHIINV", 2},
    {276, "COMBIN", 2},
    {277, "CONFIDENCE", 3},
    {278, "CRITBINOM", 3},
    {279, "EVEN", 1},
    {280, "EXPONDIST", 3},
    {281, "FDIST", 3},
    {282, "FINV", 3},
    {283, "FISHER", 1},
    {284, "FISHERINV", 1},
    {285, "FLOOR", 2},
    {286, "GAMMADIST", 4},
    {287, "GAMMAINV", 3},
    {288, "CEILING", 2},
    {289, "HYPGEOMDIST", 4},
    {290, "LOGNORMDIST", 3},
    {291, "LOGINV", 3},
    {292, "NEGBINOMDIST", 3},
    {293, "NORMDIST", 4},
    {294, "NORMSDIST", 1},
    {295, "NORMINV", 3},
    {296, "NORMSINV", 1},
    {297, "STANDARDIZE", 3},
    {298, "ODD", 1},
    {299, "PERMUT", 2},
    {300, "POISSON", 3},
    {301, "TDIST", 3},
    {302, "WEIBULL", 4},
    {303, "SUMXMY2", 2},
    {304, "SUMX2MY2", 2},
    {305, "SUMX2PY2", 2},
    {306, "CHITEST", 2},
    {307, "CORREL", 2},
    {308, "COVAR", 2},
    {309, "FORECAST", 3},
    {310, "FTEST", 2},
    {311, "INTERCEPT", 2},
    {312, "PEARSON", 2},
    {313, "RSQ", 2},
    {314, "STEYX", 2},
    {315, "SLOPE", 2},
    {316, "TTEST", 4},
    {317, "PROB", -1},
    {318, "DEVSQ", -1},
    {319, "GEOMEAN", -1},
    {320, "HARMEAN", -1},
    {321, "SUMSQ", -1},
    {322, "KURT", -1},
    {323, "SKEW", -1},
    {324, "ZTEST", -1},
    {325, "LARGE", 2},
    {326, "SMALL", 2},
    {327, "QUARTILE", 2},
    {328, "PERCENTILE", 2},
    {329, "PERCENTRANK", -1},
    {330, "MODE", -1},
    {331, "TRIMMEAN", 2},
    {332, "TINV", 2},
    {336, "CONCATENATE", -1},
    {337, "POWER", 2},
    {342, "RADIANS", 1},
    {343, "DEGREES", 1},
    {344, "SUBTOTAL", -1},
    {345, "SUMIF", -1},
    {346, "COUNTIF", 2},
    {347, "COUNTBLANK", 1},
    {350, "ISPMT", 4},
    {351, "DATEDIF", 3},
    {352, "DATESTRING", 1},
    {353, "NUMBERSTRING", 2},
    {354, "ROMAN", -1},
    {358, "GETPIVOTDATA", -1},
    {359, "HYPERLINK", -1},
    {360, "PHONETIC", 1},
    {361, "AVERAGEA", -1},
    {362, "MAXA", -1},
    {363, "MINA", -1},
    {364, "STDEVPA", -1},
    {365, "VARPA", -1},
    {366, "STDEVA", -1},
    {367, "VARA", -1},
    {368, "BAHTTEXT", 1},
    {369, "THAIDAYOFWEEK", 1},
    {370, "THAIDIGIT", 1},
    {371, "THAIMONTHOFYEAR", 1},
    {372, "THAINUMSOUND", 1},
    {373, "THAINUMSTRING", 1},
    {374, "THAISTRINGLENGTH", 1},
    {375, "ISTHAIDIGIT", 1},
    {376, "ROUNDBAHTDOWN", 1},
    {377, "ROUNDBAHTUP", 1},
    {378, "THAIYEAR", 1},
    {379, "RTD", -1},
};

const FunctionInfo *findFunction(int index)
{
    for (const FunctionInfo &f : kFunctions) {
        if (f.index == index) return &f;
    }
    return nullptr;
}

// Binding strength of what an entry's text is, for deciding where parentheses are needed.
enum Precedence {
    Comparison = 20,
    Concat = 30,
    Additive = 40,
    Multiplicative = 50,
    Power = 60,
    Percent = 65,
    Unary = 70,
    Union = 80,
    Intersection = 85,
    Range = 90,
    Atom = 100,
};

struct Entry
{
    QString text;
    int precedence = Atom;
};

class Decompiler
{
public:
    Decompiler(const QByteArray &tokens, const QByteArray &extra,
               const XlsFormula::Context &context, int row, int column)
        : m_tokens(tokens), m_extra(extra), m_context(context), m_row(row), m_column(column)
    {
    }

    QString run();

private:
    bool need(int bytes) const { return m_pos + bytes <= m_tokens.size(); }
    std::uint8_t u8(int at) const { return std::uint8_t(m_tokens[at]); }
    std::uint16_t u16(int at) const
    {
        return qFromLittleEndian<std::uint16_t>(m_tokens.constData() + at);
    }
    std::uint32_t u32(int at) const
    {
        return qFromLittleEndian<std::uint32_t>(m_tokens.constData() + at);
    }

    QString fail(const QString &why) const
    {
        return XlsFormula::kNotDecompiled + why + QLatin1Char(']');
    }
    QString failToken(int ptg, int at) const
    {
        return fail(
            QStringLiteral("token 0x%1 at byte %2").arg(ptg, 2, 16, QLatin1Char('0')).arg(at));
    }

    void push(const QString &text, int precedence = Atom)
    {
        m_stack.push_back({m_space + text, precedence});
        m_space.clear();
    }
    static QString wrap(const Entry &e, bool needed)
    {
        return needed ? QLatin1Char('(') + e.text + QLatin1Char(')') : e.text;
    }
    bool binary(const QString &op, int precedence);
    bool call(const QString &name, int count);
    QString cellText(int row, int col, bool rowRelative, bool colRelative) const;
    QString areaText(int row1, int row2, int col1, int col2, std::uint16_t colField1,
                     std::uint16_t colField2, std::uint16_t rowField1, bool relative) const;
    bool sheetPrefix(int ixti, QString *prefix, QString *why) const;
    bool arrayConstant(QString *text);

    const QByteArray &m_tokens;
    const QByteArray &m_extra;
    const XlsFormula::Context &m_context;
    int m_row;
    int m_column;
    int m_pos = 0;
    int m_extraPos = 0;
    std::vector<Entry> m_stack;
    QString m_space; // white space recorded for the next token
};

bool Decompiler::binary(const QString &op, int precedence)
{
    if (m_stack.size() < 2) return false;
    Entry right = std::move(m_stack.back());
    m_stack.pop_back();
    Entry left = std::move(m_stack.back());
    m_stack.pop_back();
    // Operators are left-associative: a right operand of the same strength needs parentheses.
    QString text = wrap(left, left.precedence < precedence) + m_space + op +
                   wrap(right, right.precedence <= precedence);
    m_space.clear();
    m_stack.push_back({text, precedence});
    return true;
}

bool Decompiler::call(const QString &name, int count)
{
    if (count < 0 || int(m_stack.size()) < count) return false;
    QString text = m_space + name + QLatin1Char('(');
    m_space.clear();
    const std::size_t first = m_stack.size() - std::size_t(count);
    for (std::size_t i = first; i < m_stack.size(); ++i) {
        if (i > first) text += QLatin1Char(',');
        // A union inside an argument list must keep its parentheses.
        text += wrap(m_stack[i], m_stack[i].precedence == Union);
    }
    text += QLatin1Char(')');
    m_stack.resize(first);
    m_stack.push_back({text, Atom});
    return true;
}

QString Decompiler::cellText(int row, int col, bool rowRelative, bool colRelative) const
{
    return (colRelative ? QString() : QStringLiteral("$")) + XlsFormula::columnName(col) +
           (rowRelative ? QString() : QStringLiteral("$")) + QString::number(row + 1);
}

// rowField1 carries nothing; the flags are in the column fields (bit 15 row relative, bit 14
// column relative). `relative` resolves offsets against the formula's own cell.
QString Decompiler::areaText(int row1, int row2, int col1, int col2, std::uint16_t colField1,
                             std::uint16_t colField2, std::uint16_t, bool relative) const
{
    const bool r1 = colField1 & 0x8000, c1 = colField1 & 0x4000;
    const bool r2 = colField2 & 0x8000, c2 = colField2 & 0x4000;
    if (relative) {
        if (r1) row1 = (m_row + std::int16_t(row1)) & 0xFFFF;
        if (r2) row2 = (m_row + std::int16_t(row2)) & 0xFFFF;
        if (c1) col1 = (m_column + std::int8_t(col1 & 0xFF)) & 0xFF;
        if (c2) col2 = (m_column + std::int8_t(col2 & 0xFF)) & 0xFF;
    }
    if (row1 == 0 && row2 == 0xFFFF) {
        return (c1 ? QString() : QStringLiteral("$")) + XlsFormula::columnName(col1) +
               QLatin1Char(':') + (c2 ? QString() : QStringLiteral("$")) +
               XlsFormula::columnName(col2);
    }
    // Whole rows: some writers give the last column as 255, others as 16383.
    if (col1 == 0 && (col2 == 0xFF || col2 == 0x3FFF)) {
        return (r1 ? QString() : QStringLiteral("$")) + QString::number(row1 + 1) +
               QLatin1Char(':') + (r2 ? QString() : QStringLiteral("$")) +
               QString::number(row2 + 1);
    }
    return cellText(row1, col1, r1, c1) + QLatin1Char(':') + cellText(row2, col2, r2, c2);
}

bool Decompiler::sheetPrefix(int ixti, QString *prefix, QString *why) const
{
    if (ixti < 0 || std::size_t(ixti) >= m_context.xti.size()) {
        *why = QStringLiteral("sheet reference %1 of %2").arg(ixti).arg(m_context.xti.size());
        return false;
    }
    const XlsFormula::Context::Xti &x = m_context.xti[std::size_t(ixti)];
    if (x.supBook < 0 || std::size_t(x.supBook) >= m_context.supBooks.size() ||
        m_context.supBooks[std::size_t(x.supBook)] != XlsFormula::Context::SupBookKind::Internal) {
        *why = QStringLiteral("reference to another workbook");
        return false;
    }
    if (x.firstSheet == -1 || x.lastSheet == -1) {
        *prefix = QStringLiteral("#REF!");
        return true;
    }
    if (x.firstSheet < 0 || x.firstSheet >= m_context.sheetNames.size() || x.lastSheet < 0 ||
        x.lastSheet >= m_context.sheetNames.size()) {
        *why = QStringLiteral("sheet %1 of %2").arg(x.firstSheet).arg(m_context.sheetNames.size());
        return false;
    }
    QString name = m_context.sheetNames[x.firstSheet];
    if (x.lastSheet != x.firstSheet) name += QLatin1Char(':') + m_context.sheetNames[x.lastSheet];
    *prefix = XlsFormula::quoteSheetName(name) + QLatin1Char('!');
    return true;
}

bool Decompiler::arrayConstant(QString *text)
{
    auto need = [&](int n) { return m_extraPos + n <= m_extra.size(); };
    if (!need(3)) return false;
    const int cols = std::uint8_t(m_extra[m_extraPos]) + 1;
    const int rows = qFromLittleEndian<std::uint16_t>(m_extra.constData() + m_extraPos + 1) + 1;
    m_extraPos += 3;
    QString out = QStringLiteral("{");
    for (int r = 0; r < rows; ++r) {
        if (r > 0) out += QLatin1Char(';');
        for (int c = 0; c < cols; ++c) {
            if (c > 0) out += QLatin1Char(',');
            if (!need(1)) return false;
            const int type = std::uint8_t(m_extra[m_extraPos++]);
            switch (type) {
            case 0x00: // empty
                if (!need(8)) return false;
                m_extraPos += 8;
                break;
            case 0x01: {
                if (!need(8)) return false;
                const std::uint64_t bits =
                    qFromLittleEndian<std::uint64_t>(m_extra.constData() + m_extraPos);
                double d;
                std::memcpy(&d, &bits, 8);
                out += XlsFormula::numberText(d);
                m_extraPos += 8;
                break;
            }
            case 0x02: {
                if (!need(3)) return false;
                const int count =
                    qFromLittleEndian<std::uint16_t>(m_extra.constData() + m_extraPos);
                const bool high = m_extra[m_extraPos + 2] & 0x01;
                m_extraPos += 3;
                const int bytes = high ? 2 * count : count;
                if (!need(bytes)) return false;
                QString s;
                for (int i = 0; i < count; ++i) {
                    s += high ? QChar(qFromLittleEndian<std::uint16_t>(m_extra.constData() +
                                                                       m_extraPos + 2 * i))
                              : QChar(std::uint8_t(m_extra[m_extraPos + i]));
                }
                m_extraPos += bytes;
                out += QLatin1Char('"') + s.replace(QLatin1Char('"'), QStringLiteral("\"\"")) +
                       QLatin1Char('"');
                break;
            }
            case 0x04:
                if (!need(8)) return false;
                out += m_extra[m_extraPos] ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
                m_extraPos += 8;
                break;
            case 0x10:
                if (!need(8)) return false;
                if (XlsFormula::errorText(std::uint8_t(m_extra[m_extraPos])).isEmpty())
                    return false;
                out += XlsFormula::errorText(std::uint8_t(m_extra[m_extraPos]));
                m_extraPos += 8;
                break;
            default:
                return false;
            }
        }
    }
    *text = out + QLatin1Char('}');
    return true;
}

QString Decompiler::run()
{
    const int size = int(m_tokens.size());
    // A formula's text may not be longer than this; giving up there also keeps a hostile token
    // array from taking quadratic time and memory.
    constexpr qsizetype maxLength = 8192;
    while (m_pos < size) {
        if (!m_stack.empty() && m_stack.back().text.size() > maxLength)
            return fail(QStringLiteral("formula longer than %1 characters").arg(maxLength));
        const int at = m_pos;
        const int ptg = u8(m_pos++);
        const int base = ptg < 0x20 ? ptg : ((ptg & 0x1F) | 0x20);
        switch (base) {
        case 0x01: // ptgExp: a shared or array formula, resolved by the caller
        case 0x02: // ptgTbl: a data table
            return failToken(ptg, at);
        case 0x03:
        case 0x04:
        case 0x05:
        case 0x06:
        case 0x07:
        case 0x08:
        case 0x09:
        case 0x0A:
        case 0x0B:
        case 0x0C:
        case 0x0D:
        case 0x0E:
        case 0x0F:
        case 0x10:
        case 0x11: {
            static const char *ops[] = {
                "+", "-", "*", "/", "^", "&", "<", "<=", "=", ">=", ">", "<>", " ", ",", ":"};
            static const int prec[] = {Additive,     Additive,   Multiplicative, Multiplicative,
                                       Power,        Concat,     Comparison,     Comparison,
                                       Comparison,   Comparison, Comparison,     Comparison,
                                       Intersection, Union,      Range};
            if (!binary(QLatin1String(ops[base - 0x03]), prec[base - 0x03]))
                return failToken(ptg, at);
            break;
        }
        case 0x12:
        case 0x13: { // unary plus, minus
            if (m_stack.empty()) return failToken(ptg, at);
            Entry &e = m_stack.back();
            e.text = m_space + (base == 0x12 ? QStringLiteral("+") : QStringLiteral("-")) +
                     wrap(e, e.precedence < Unary);
            e.precedence = Unary;
            m_space.clear();
            break;
        }
        case 0x14: { // percent
            if (m_stack.empty()) return failToken(ptg, at);
            Entry &e = m_stack.back();
            e.text = wrap(e, e.precedence < Percent) + m_space + QLatin1Char('%');
            e.precedence = Percent;
            m_space.clear();
            break;
        }
        case 0x15: { // parentheses
            if (m_stack.empty()) return failToken(ptg, at);
            Entry &e = m_stack.back();
            e.text = QLatin1Char('(') + e.text + QLatin1Char(')');
            e.precedence = Atom;
            break;
        }
        case 0x16: // missing argument
            push(QString());
            break;
        case 0x17: { // string
            if (!need(2)) return failToken(ptg, at);
            const int count = u8(m_pos);
            const bool high = u8(m_pos + 1) & 0x01;
            m_pos += 2;
            if (!need(high ? 2 * count : count)) return failToken(ptg, at);
            QString s;
            for (int i = 0; i < count; ++i)
                s += high ? QChar(u16(m_pos + 2 * i)) : QChar(u8(m_pos + i));
            m_pos += high ? 2 * count : count;
            push(QLatin1Char('"') + s.replace(QLatin1Char('"'), QStringLiteral("\"\"")) +
                 QLatin1Char('"'));
            break;
        }
        case 0x19: { // attributes: control hints, SUM of one argument, white space
            if (!need(3)) return failToken(ptg, at);
            const int flags = u8(m_pos);
            const int data = u16(m_pos + 1);
            m_pos += 3;
            if (flags & 0x04) { // choose: a jump table follows
                if (!need(2 * (data + 1))) return failToken(ptg, at);
                m_pos += 2 * (data + 1);
            } else if (flags & 0x10) {
                if (!call(QStringLiteral("SUM"), 1)) return failToken(ptg, at);
            } else if (flags & 0x40) {
                const int kind = data & 0xFF;
                const int count = data >> 8;
                if (kind == 0 || kind == 2 || kind == 4)
                    m_space += QString(count, QLatin1Char(' '));
                else if (kind == 1 || kind == 3 || kind == 5)
                    m_space += QString(count, QLatin1Char('\n'));
            }
            break;
        }
        case 0x1C: // error
            if (!need(1)) return failToken(ptg, at);
            if (XlsFormula::errorText(u8(m_pos)).isEmpty()) return failToken(ptg, at);
            push(XlsFormula::errorText(u8(m_pos)));
            m_pos += 1;
            break;
        case 0x1D: // boolean
            if (!need(1)) return failToken(ptg, at);
            push(u8(m_pos) ? QStringLiteral("TRUE") : QStringLiteral("FALSE"));
            m_pos += 1;
            break;
        case 0x1E: // integer
            if (!need(2)) return failToken(ptg, at);
            push(QString::number(u16(m_pos)));
            m_pos += 2;
            break;
        case 0x1F: { // number
            if (!need(8)) return failToken(ptg, at);
            const std::uint64_t bits =
                qFromLittleEndian<std::uint64_t>(m_tokens.constData() + m_pos);
            double d;
            std::memcpy(&d, &bits, 8);
            m_pos += 8;
            push(XlsFormula::numberText(d));
            break;
        }
        case 0x20: { // array constant; its values are in the extra data
            if (!need(7)) return failToken(ptg, at);
            m_pos += 7;
            QString text;
            if (!arrayConstant(&text))
                return fail(QStringLiteral("array constant at byte %1").arg(at));
            push(text);
            break;
        }
        case 0x21: { // function with a fixed argument count
            if (!need(2)) return failToken(ptg, at);
            const int index = u16(m_pos);
            m_pos += 2;
            const FunctionInfo *f = findFunction(index);
            if (!f || f->arguments < 0)
                return fail(QStringLiteral("function %1 at byte %2").arg(index).arg(at));
            if (!call(QLatin1String(f->name), f->arguments)) return failToken(ptg, at);
            break;
        }
        case 0x22: { // function with a stored argument count
            if (!need(3)) return failToken(ptg, at);
            const int count = u8(m_pos) & 0x7F;
            const int tab = u16(m_pos + 1);
            m_pos += 3;
            if (tab & 0x8000)
                return fail(QStringLiteral("command %1 at byte %2").arg(tab & 0x7FFF).arg(at));
            if (tab == 255) { // the function's name is the first argument
                if (count < 1 || int(m_stack.size()) < count) return failToken(ptg, at);
                const std::size_t nameAt = m_stack.size() - std::size_t(count);
                QString name = m_stack[nameAt].text;
                // Functions new in Excel 2007 are stored as add-in names with a prefix that
                // their formula text does not show.
                static const QStringList native = {
                    QStringLiteral("AVERAGEIF"),        QStringLiteral("AVERAGEIFS"),
                    QStringLiteral("COUNTIFS"),         QStringLiteral("IFERROR"),
                    QStringLiteral("SUMIFS"),           QStringLiteral("CUBEKPIMEMBER"),
                    QStringLiteral("CUBEMEMBER"),       QStringLiteral("CUBEMEMBERPROPERTY"),
                    QStringLiteral("CUBERANKEDMEMBER"), QStringLiteral("CUBESET"),
                    QStringLiteral("CUBESETCOUNT"),     QStringLiteral("CUBEVALUE")};
                const QString prefix = QStringLiteral("_xlfn.");
                if (name.startsWith(prefix, Qt::CaseInsensitive) &&
                    native.contains(name.mid(prefix.size()), Qt::CaseInsensitive))
                    name = name.mid(prefix.size());
                m_stack.erase(m_stack.begin() + std::ptrdiff_t(nameAt));
                if (!call(name, count - 1)) return failToken(ptg, at);
                break;
            }
            const FunctionInfo *f = findFunction(tab);
            if (!f) return fail(QStringLiteral("function %1 at byte %2").arg(tab).arg(at));
            if (!call(QLatin1String(f->name), count)) return failToken(ptg, at);
            break;
        }
        case 0x23: { // defined name
            if (!need(4)) return failToken(ptg, at);
            const std::uint32_t index = u32(m_pos);
            m_pos += 4;
            if (index < 1 || index > std::uint32_t(m_context.names.size()))
                return fail(QStringLiteral("name %1 at byte %2").arg(index).arg(at));
            push(m_context.names[int(index - 1)]);
            break;
        }
        case 0x24:
        case 0x2C: { // cell reference, absolute or relative to the formula's cell
            if (!need(4)) return failToken(ptg, at);
            int row = u16(m_pos);
            const std::uint16_t col = u16(m_pos + 2);
            m_pos += 4;
            const bool rowRel = col & 0x8000, colRel = col & 0x4000;
            int c = col & 0x3FFF;
            if (base == 0x2C) {
                if (rowRel) row = (m_row + std::int16_t(row)) & 0xFFFF;
                if (colRel) c = (m_column + std::int8_t(col & 0xFF)) & 0xFF;
            }
            push(cellText(row, c, rowRel, colRel));
            break;
        }
        case 0x25:
        case 0x2D: { // area reference
            if (!need(8)) return failToken(ptg, at);
            const int r1 = u16(m_pos), r2 = u16(m_pos + 2);
            const std::uint16_t c1 = u16(m_pos + 4), c2 = u16(m_pos + 6);
            m_pos += 8;
            push(areaText(r1, r2, base == 0x2D ? c1 & 0xFF : c1 & 0x3FFF,
                          base == 0x2D ? c2 & 0xFF : c2 & 0x3FFF, c1, c2, 0, base == 0x2D));
            break;
        }
        case 0x26: // memory area: the expression follows; its extra data lists rectangles
            if (!need(6)) return failToken(ptg, at);
            m_pos += 6;
            if (m_extraPos + 2 <= m_extra.size()) {
                const int count =
                    qFromLittleEndian<std::uint16_t>(m_extra.constData() + m_extraPos);
                m_extraPos = std::min<int>(int(m_extra.size()), m_extraPos + 2 + 8 * count);
            }
            break;
        case 0x27:
        case 0x28: // memory error, no memory: the expression follows
            if (!need(6)) return failToken(ptg, at);
            m_pos += 6;
            break;
        case 0x29: // memory function
            if (!need(2)) return failToken(ptg, at);
            m_pos += 2;
            break;
        case 0x2A: // deleted cell
            if (!need(4)) return failToken(ptg, at);
            m_pos += 4;
            push(QStringLiteral("#REF!"));
            break;
        case 0x2B: // deleted area
            if (!need(8)) return failToken(ptg, at);
            m_pos += 8;
            push(QStringLiteral("#REF!"));
            break;
        case 0x39: { // external or add-in name
            if (!need(6)) return failToken(ptg, at);
            const int ixti = u16(m_pos);
            const std::uint32_t index = u16(m_pos + 2);
            m_pos += 6;
            if (std::size_t(ixti) >= m_context.xti.size()) return failToken(ptg, at);
            const int sup = m_context.xti[std::size_t(ixti)].supBook;
            if (sup < 0 || std::size_t(sup) >= m_context.supBooks.size()) return failToken(ptg, at);
            const auto kind = m_context.supBooks[std::size_t(sup)];
            if (kind == XlsFormula::Context::SupBookKind::Internal) {
                if (index < 1 || index > std::uint32_t(m_context.names.size()))
                    return fail(QStringLiteral("name %1 at byte %2").arg(index).arg(at));
                push(m_context.names[int(index - 1)]);
            } else if (kind == XlsFormula::Context::SupBookKind::AddIn &&
                       std::size_t(sup) < m_context.externNames.size() && index >= 1 &&
                       index <= std::uint32_t(m_context.externNames[std::size_t(sup)].size())) {
                push(m_context.externNames[std::size_t(sup)][int(index - 1)]);
            } else {
                return fail(QStringLiteral("external name at byte %1").arg(at));
            }
            break;
        }
        case 0x3A:
        case 0x3C: { // 3-D cell reference, deleted 3-D cell reference
            if (!need(6)) return failToken(ptg, at);
            const int ixti = u16(m_pos);
            const int row = u16(m_pos + 2);
            const std::uint16_t col = u16(m_pos + 4);
            m_pos += 6;
            QString prefix, why;
            if (!sheetPrefix(ixti, &prefix, &why))
                return fail(why + QStringLiteral(" at byte %1").arg(at));
            if (base == 0x3C)
                push(prefix + QStringLiteral("#REF!"));
            else
                push(prefix + cellText(row, col & 0x3FFF, col & 0x8000, col & 0x4000));
            break;
        }
        case 0x3B:
        case 0x3D: { // 3-D area reference, deleted 3-D area reference
            if (!need(10)) return failToken(ptg, at);
            const int ixti = u16(m_pos);
            const int r1 = u16(m_pos + 2), r2 = u16(m_pos + 4);
            const std::uint16_t c1 = u16(m_pos + 6), c2 = u16(m_pos + 8);
            m_pos += 10;
            QString prefix, why;
            if (!sheetPrefix(ixti, &prefix, &why))
                return fail(why + QStringLiteral(" at byte %1").arg(at));
            if (base == 0x3D)
                push(prefix + QStringLiteral("#REF!"));
            else
                push(prefix + areaText(r1, r2, c1 & 0x3FFF, c2 & 0x3FFF, c1, c2, 0, false));
            break;
        }
        default:
            return failToken(ptg, at);
        }
    }
    if (m_stack.size() != 1)
        return fail(QStringLiteral("%1 values left at the end").arg(m_stack.size()));
    return QLatin1Char('=') + m_space + m_stack.front().text;
}

} // namespace

QString XlsFormula::decompile(const QByteArray &tokens, const QByteArray &extra,
                              const Context &context, int row, int column)
{
    return Decompiler(tokens, extra, context, row, column).run();
}

QString XlsFormula::functionName(int index)
{
    const FunctionInfo *f = findFunction(index);
    return f ? QString::fromLatin1(f->name) : QString();
}

QString XlsFormula::columnName(int column)
{
    QString name;
    int n = column + 1;
    while (n > 0) {
        const int r = (n - 1) % 26;
        name.prepend(QChar('A' + r));
        n = (n - 1) / 26;
    }
    return name;
}

QString XlsFormula::quoteSheetName(const QString &name)
{
    // Plain names (letters, digits, _ and . not starting with a digit, and not read as a cell
    // reference) go bare; everything else in single quotes with quotes doubled.
    static const QRegularExpression plain(QStringLiteral("^[\\p{L}_][\\p{L}\\p{N}_.]*$"));
    static const QRegularExpression cellLike(
        QStringLiteral("^([A-Za-z]{1,3}[0-9]+|[Rr][0-9]*([Cc][0-9]*)?|[Cc][0-9]*|TRUE|FALSE)$"),
        QRegularExpression::CaseInsensitiveOption);
    QStringList parts = name.split(QLatin1Char(':'));
    bool quote = parts.size() > 2;
    for (const QString &p : parts) {
        if (!plain.match(p).hasMatch() || cellLike.match(p).hasMatch()) quote = true;
    }
    if (!quote) return name;
    QString escaped = name;
    escaped.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QLatin1Char('\'') + escaped + QLatin1Char('\'');
}

QString XlsFormula::numberText(double value)
{
    // The shortest digits that read back as the same number: plain from 1E-05 up to 1E+15, in
    // exponent form (1E+20, 1.5E-07) outside.
    char buffer[400];
    const double magnitude = std::abs(value);
    const bool plain = magnitude == 0 || (magnitude >= 1e-5 && magnitude < 1e15);
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value,
                      plain ? std::chars_format::fixed : std::chars_format::scientific);
    QString text = QString::fromLatin1(buffer, int(result.ptr - buffer));
    const int e = int(text.indexOf(QLatin1Char('e')));
    if (e >= 0) text[e] = QLatin1Char('E');
    return text;
}

QString XlsFormula::errorText(int code)
{
    switch (code) {
    case 0x00:
        return QStringLiteral("#NULL!");
    case 0x07:
        return QStringLiteral("#DIV/0!");
    case 0x0F:
        return QStringLiteral("#VALUE!");
    case 0x17:
        return QStringLiteral("#REF!");
    case 0x1D:
        return QStringLiteral("#NAME?");
    case 0x24:
        return QStringLiteral("#NUM!");
    case 0x2A:
        return QStringLiteral("#N/A");
    default:
        return QString();
    }
}

} // namespace excel
