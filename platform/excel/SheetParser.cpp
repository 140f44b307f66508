#include "platform/excel/SheetParser.h"

#include "platform/excel/CellAddress.h"
#include "platform/excel/FormulaText.h"
#include "platform/excel/SheetMetrics.h"
#include "platform/excel/WorkbookData.h"
#include "platform/excel/XmlText.h"
#include "platform/text/BasicText.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <string_view>

namespace excel {

namespace {

constexpr std::size_t kMaxToken = 64u << 20; // one tag or one text run

// Identifies an element's name for matching its end tag: the short names of cell data ("c",
// "v", "row") by their bytes, longer ones by a hash.
inline std::uint64_t nameHash(const char *s, std::size_t n)
{
    const auto u = [s](std::size_t i) { return std::uint64_t(std::uint8_t(s[i])); };
    switch (n) {
    case 1:
        return (1ull << 56) | u(0);
    case 2:
        return (2ull << 56) | u(0) | u(1) << 8;
    case 3:
        return (3ull << 56) | u(0) | u(1) << 8 | u(2) << 16;
    default:
        break;
    }
    std::uint64_t h = 14695981039346656037ull;
    for (std::size_t i = 0; i < n; ++i)
        h = (h ^ u(i)) * 1099511628211ull;
    return h & 0x00FFFFFFFFFFFFFFull; // never equal to a short name's value
}

// XML white space; the other control characters cannot occur in well-formed XML.
inline bool isSpace(char c)
{
    return std::uint8_t(c) <= 0x20;
}

inline const char *findColon(const char *s, const char *e)
{
    for (; s < e; ++s)
        if (*s == ':') return s;
    return nullptr;
}

inline bool is(const char *name, std::size_t n, const char (&lit)[2])
{
    return n == 1 && name[0] == lit[0];
}

template <std::size_t N> inline bool is(const char *name, std::size_t n, const char (&lit)[N])
{
    return n == N - 1 && std::memcmp(name, lit, N - 1) == 0;
}

// Calls f(name, nameLength, value, valueLength) for each attribute; false when malformed.
template <typename F> bool forEachAttribute(const char *p, const char *end, F &&f)
{
    while (p < end) {
        while (p < end && isSpace(*p))
            ++p;
        if (p >= end || *p == '/') return true;
        const char *name = p;
        while (p < end && *p != '=' && !isSpace(*p))
            ++p;
        std::size_t nameLength = std::size_t(p - name);
        while (p < end && isSpace(*p))
            ++p;
        if (p >= end || *p != '=') return false;
        ++p;
        while (p < end && isSpace(*p))
            ++p;
        if (p >= end || (*p != '"' && *p != '\'')) return false;
        char quote = *p++;
        const char *value = p;
        while (p < end && *p != quote) // values are short: a loop beats a call
            ++p;
        if (p >= end) return false;
        // attributes are matched by local name: "r:id" and "x:r" read as "id" and "r"
        if (const char *colon = findColon(name, name + nameLength)) {
            const char *local = colon + 1;
            nameLength -= std::size_t(local - name);
            name = local;
        }
        f(name, nameLength, value, std::size_t(p - value));
        ++p;
    }
    return true;
}

// "AB12": upper-case letters and digits, the form writers use; anything else goes the general way.
inline bool parseReference(const char *s, std::size_t n, int *row, int *column)
{
    std::size_t i = 0;
    unsigned c = 0, r = 0;
    while (i < n && unsigned(s[i] - 'A') < 26u)
        c = c * 26 + unsigned(s[i++] - 'A' + 1);
    const std::size_t letters = i;
    while (i < n && unsigned(s[i] - '0') < 10u)
        r = r * 10 + unsigned(s[i++] - '0');
    if (letters == 0 || letters > 3 || i != n || i == letters || i - letters > 7)
        return CellAddress::parseCell(s, n, row, column);
    if (r < 1 || r > unsigned(CellAddress::MaxRows) || c > unsigned(CellAddress::MaxColumns))
        return false;
    *row = int(r);
    *column = int(c);
    return true;
}

inline bool parseStyleIndex(const char *s, std::size_t n, std::uint32_t *out)
{
    if (n == 0 || n > 9) return false;
    std::uint32_t v = 0;
    for (std::size_t i = 0; i < n; ++i) {
        if (unsigned(s[i] - '0') >= 10u) return false;
        v = v * 10 + std::uint32_t(s[i] - '0');
    }
    *out = v;
    return true;
}

template <typename T> bool parseInt(const char *s, std::size_t n, T *out)
{
    auto r = std::from_chars(s, s + n, *out);
    return r.ec == std::errc() && r.ptr == s + n;
}

bool parseDouble(const char *s, std::size_t n, double *out)
{
    while (n && isSpace(*s))
        ++s, --n;
    while (n && isSpace(s[n - 1]))
        --n;
    if (n && *s == '+') ++s, --n;
    // Plain decimals of at most 15 digits: the digits as a whole number divided by a power of
    // ten, both exact in a double, round exactly as the general conversion does.
    static const double kPowers[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                     1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    if (n && n <= 17) {
        const char *p = s, *e = s + n;
        bool negative = *p == '-';
        if (negative) ++p;
        std::uint64_t digits = 0;
        int count = 0, decimals = -1;
        for (; p < e; ++p) {
            if (*p >= '0' && *p <= '9') {
                digits = digits * 10 + std::uint64_t(*p - '0');
                ++count;
                if (decimals >= 0) ++decimals;
            } else if (*p == '.' && decimals < 0) {
                decimals = 0;
            } else {
                break;
            }
        }
        if (p == e && count > 0 && count <= 15 && decimals != 0) {
            double v = double(digits);
            if (decimals > 0) v /= kPowers[decimals];
            *out = negative ? -v : v;
            return true;
        }
    }
    auto r = std::from_chars(s, s + n, *out);
    return n && r.ec == std::errc() && r.ptr == s + n;
}

// "2024-01-31T12:30:00" (the optional date type of cells).
bool parseIsoDate(const std::string &t, double *out)
{
    int y = 0, mo = 0, d = 0, h = 0, mi = 0;
    double s = 0;
    int n = std::sscanf(t.c_str(), "%d-%d-%dT%d:%d:%lf", &y, &mo, &d, &h, &mi, &s);
    if (n < 3) {
        y = 1899, mo = 12, d = 30;
        n = std::sscanf(t.c_str(), "%d:%d:%lf", &h, &mi, &s);
        if (n < 2) return false;
    }
    if (mo < 1 || mo > 12 || d < 1 || d > 31 || y < 100 || y > 9999) return false;
    *out = BasicText::makeDate(y, mo, d, h, mi, 0) + s / 86400.0;
    return true;
}

} // namespace

SheetParser::SheetParser(SheetData *sheet, WorkbookData *book, std::size_t sharedStringCount,
                         int maxDepth)
    : m_sheet(sheet), m_book(book), m_sharedCount(sharedStringCount), m_maxDepth(maxDepth)
{
}

bool SheetParser::fail(const QString &what, const char *at)
{
    if (m_error.isEmpty()) {
        const char *target = at ? at : m_begin + m_pos;
        std::int64_t line = m_line;
        if (m_begin && target > m_begin && target <= m_end) line += countNewlines(m_begin, target);
        m_error = QStringLiteral("line %1: %2").arg(line).arg(what);
    }
    return false;
}

std::int64_t SheetParser::countNewlines(const char *b, const char *e)
{
    std::int64_t n = 0;
    while (b < e && (b = static_cast<const char *>(std::memchr(b, '\n', std::size_t(e - b))))) {
        ++n;
        ++b;
    }
    return n;
}

bool SheetParser::parseWindow(const char *begin, std::size_t size, bool final,
                              std::size_t *consumed)
{
    m_begin = begin;
    m_end = begin + size;
    m_pos = 0;
    bool ok = parse(final);
    *consumed = m_pos;
    if (ok) m_line += countNewlines(begin, begin + m_pos);
    return ok;
}

bool SheetParser::checkOutsideText(const char *b, const char *e)
{
    // Before the root a byte-order mark may stand; otherwise only white space is allowed.
    for (const char *q = b; q < e; ++q) {
        const auto c = std::uint8_t(*q);
        if (isSpace(*q) || (!m_rootSeen && (c == 0xEF || c == 0xBB || c == 0xBF))) continue;
        if (!m_rootSeen && (c == 0xFF || c == 0xFE))
            return fail(QStringLiteral("the part is not UTF-8 XML (it looks like UTF-16)"), q);
        return fail(QStringLiteral("the part is not XML: text \"%1\" stands outside any element")
                        .arg(QString::fromUtf8(q, std::min<qsizetype>(e - q, 20)).trimmed()),
                    q);
    }
    return true;
}

bool SheetParser::startRoot(const char *name, std::size_t length, const char *at)
{
    if (m_rootSeen)
        return fail(QStringLiteral("the part has a second root element <%1>")
                        .arg(QString::fromUtf8(name, qsizetype(length))),
                    at);
    m_rootSeen = true;
    if (!is(name, length, "worksheet"))
        return fail(QStringLiteral("the part is not a worksheet: its root element is <%1>")
                        .arg(QString::fromUtf8(name, qsizetype(length))),
                    at);
    return true;
}

bool SheetParser::feed(const char *data, std::size_t size)
{
    if (!m_error.isEmpty()) return false;
    m_fed += std::int64_t(size);
    std::size_t start = 0, consumed = 0;
    if (!m_buffer.empty()) {
        // Finish the token left over from the last chunk on a small bridge of copied bytes,
        // then go on in the chunk itself without copying it.
        const std::size_t kept = m_buffer.size();
        const std::size_t bridge = std::min(size, std::max<std::size_t>(4096, kept));
        m_buffer.append(data, bridge);
        if (!parseWindow(m_buffer.data(), m_buffer.size(), false, &consumed)) return false;
        if (consumed < kept) { // a token longer than the bridge: gather it whole
            m_buffer.erase(0, consumed);
            m_buffer.append(data + bridge, size - bridge);
            if (!parseWindow(m_buffer.data(), m_buffer.size(), false, &consumed)) return false;
            m_buffer.erase(0, consumed);
            if (m_buffer.size() > kMaxToken)
                return fail(
                    QStringLiteral("an element or text is longer than %1 bytes").arg(kMaxToken),
                    nullptr);
            return true;
        }
        start = consumed - kept;
        m_buffer.clear();
    }
    if (!parseWindow(data + start, size - start, false, &consumed)) return false;
    m_buffer.assign(data + start + consumed, size - start - consumed);
    if (m_buffer.size() > kMaxToken)
        return fail(QStringLiteral("an element or text is longer than %1 bytes").arg(kMaxToken),
                    nullptr);
    return true;
}

bool SheetParser::finish()
{
    if (!m_error.isEmpty()) return false;
    std::size_t consumed = 0;
    if (!parseWindow(m_buffer.data(), m_buffer.size(), true, &consumed)) return false;
    if (!m_stack.empty())
        return fail(QStringLiteral("the document ends before its elements are closed"), nullptr);
    if (!m_rootSeen)
        return fail(m_fed == 0 ? QStringLiteral("the part is empty")
                               : QStringLiteral("the part holds no XML element"),
                    nullptr);
    return true;
}

bool SheetParser::parse(bool final)
{
    const char *begin = m_begin;
    const char *p = begin + m_pos;
    const char *end = m_end;
    while (p < end) {
        if (*p != '<') {
            const char *lt = static_cast<const char *>(std::memchr(p, '<', std::size_t(end - p)));
            if (!lt) {
                if (!final) break;
                lt = end;
            }
            if (m_capture != None && (m_capture != T || m_phoneticDepth == 0)) {
                std::string &target = m_capture == V   ? m_value
                                      : m_capture == F ? m_formula
                                                       : m_inlineText;
                target.append(p, std::size_t(lt - p));
            } else if (m_stack.empty() && !checkOutsideText(p, lt)) {
                return false;
            }
            p = lt;
            continue;
        }
        if (end - p < 2) {
            if (final) return fail(QStringLiteral("the document ends inside a tag"), p);
            break;
        }
        char c1 = p[1];
        if (c1 == '?' || c1 == '!') {
            const char *close = nullptr;
            std::size_t skip = 0;
            bool cdata = false;
            if (c1 == '?') {
                close = std::search(p + 2, end, "?>", "?>" + 2);
                skip = 2;
            } else if (end - p >= 4 && std::memcmp(p, "<!--", 4) == 0) {
                close = std::search(p + 4, end, "-->", "-->" + 3);
                skip = 3;
            } else if (end - p >= 9 && std::memcmp(p, "<![CDATA[", 9) == 0) {
                close = std::search(p + 9, end, "]]>", "]]>" + 3);
                skip = 3;
                cdata = true;
            } else if (end - p >= 9) {
                return fail(QStringLiteral("document type declarations are not allowed"), p);
            } else {
                close = end;
            }
            if (close == end) {
                if (final)
                    return fail(QStringLiteral("the document ends inside a comment or declaration"),
                                p);
                break;
            }
            if (cdata && m_stack.empty())
                return fail(QStringLiteral("the part is not XML: character data stands outside "
                                           "any element"),
                            p);
            if (cdata && m_capture != None && (m_capture != T || m_phoneticDepth == 0)) {
                // CDATA text is literal; protect its ampersands from entity decoding
                std::string &target = m_capture == V   ? m_value
                                      : m_capture == F ? m_formula
                                                       : m_inlineText;
                for (const char *q = p + 9; q < close; ++q) {
                    if (*q == '&')
                        target += "&amp;";
                    else if (*q == '<')
                        target += "&lt;";
                    else
                        target += *q;
                }
            }
            p = close + skip;
            continue;
        }
        if (m_inSheetData && !m_inCell && p[1] == 'c' && end - p > 3 &&
            (p[2] == ' ' || p[2] == '>')) {
            const char *next = nullptr;
            m_pos = std::size_t(p - begin);
            if (!fastCell(p, end, &next)) return false;
            if (next) {
                p = next;
                continue;
            }
        }
        // an element tag: find its '>' outside attribute quotes
        const char *q = p + 1;
        if (end - p >= 4 && (p[2] == '>' || (p[1] == '/' && p[3] == '>'))) {
            // "<v>", "</v>", "</c>": the one-letter tags that make up most of cell data
            q = p[2] == '>' ? p + 2 : p + 3;
        } else {
            for (; q < end; ++q) {
                const char c = *q;
                if (c == '>') break;
                if (c == '"' || c == '\'') {
                    while (++q < end && *q != c) {
                    }
                    if (q == end) break;
                } else if (c == '<') {
                    return fail(QStringLiteral("malformed tag"), p);
                }
            }
        }
        if (q == end) {
            if (final) return fail(QStringLiteral("the document ends inside a tag"), p);
            break;
        }
        m_pos = std::size_t(p - begin);
        if (!handleTag(p + 1, q)) return false;
        p = q + 1;
    }
    m_pos = std::size_t(p - begin);
    return true;
}

bool SheetParser::handleTag(const char *b, const char *e)
{
    bool closing = *b == '/';
    if (closing) ++b;
    bool selfClosing = !closing && e > b && e[-1] == '/';
    const char *nameEnd = b;
    while (nameEnd < e && !isSpace(*nameEnd) && *nameEnd != '/')
        ++nameEnd;
    if (nameEnd == b) return fail(QStringLiteral("a tag without a name"), b);
    std::uint64_t hash = nameHash(b, std::size_t(nameEnd - b));
    const char *name = b;
    if (const char *colon = findColon(b, nameEnd)) name = colon + 1;
    std::size_t n = std::size_t(nameEnd - name);
    const char *attrs = nameEnd;
    const char *attrsEnd = selfClosing ? e - 1 : e;

    if (closing) {
        if (m_stack.empty() || m_stack.back() != hash)
            return fail(QStringLiteral("the end tag </%1> does not match its start tag")
                            .arg(QString::fromUtf8(b, nameEnd - b)),
                        b);
        m_stack.pop_back();
        if (is(name, n, "c")) return m_inCell ? endCell() : true;
        if (is(name, n, "v") || is(name, n, "f") || is(name, n, "t")) {
            if (!(is(name, n, "t") && m_phoneticDepth > 0)) m_capture = None;
        } else if (is(name, n, "rPh")) {
            --m_phoneticDepth;
        } else if (is(name, n, "is")) {
            m_inInline = false;
        } else if (is(name, n, "row")) {
            m_rowCells = nullptr;
        } else if (is(name, n, "sheetData")) {
            m_inSheetData = false;
        }
        return true;
    }

    if (m_stack.empty() && !startRoot(name, n, b)) return false;
    if (!selfClosing) {
        if (int(m_stack.size()) >= m_maxDepth)
            return fail(QStringLiteral("elements are nested deeper than %1 levels").arg(m_maxDepth),
                        b);
        m_stack.push_back(hash);
    }

    if (m_inCell) {
        if (is(name, n, "v")) {
            m_hasValue = true;
            m_value.clear();
            if (!selfClosing) m_capture = V;
        } else if (is(name, n, "f")) {
            m_hasFormula = true;
            m_formula.clear();
            if (!startFormula(attrs, attrsEnd)) return false;
            if (!selfClosing) m_capture = F;
        } else if (is(name, n, "is")) {
            m_inInline = !selfClosing;
            m_hasValue = true;
            m_inlineText.clear();
        } else if (is(name, n, "rPh")) {
            if (!selfClosing) ++m_phoneticDepth;
        } else if (is(name, n, "t") && m_inInline) {
            if (!selfClosing && m_phoneticDepth == 0) m_capture = T;
        }
        return true;
    }
    if (m_inSheetData) {
        if (is(name, n, "c")) {
            if (!startCell(attrs, attrsEnd)) return false;
            if (selfClosing) return endCell();
            return true;
        }
        if (is(name, n, "row")) {
            if (!startRow(attrs, attrsEnd)) return false;
            if (selfClosing) m_rowCells = nullptr;
            return true;
        }
        return true;
    }
    if (is(name, n, "sheetData")) {
        m_inSheetData = !selfClosing;
    } else if (is(name, n, "mergeCell")) {
        QString ref;
        forEachAttribute(attrs, attrsEnd,
                         [&](const char *an, std::size_t al, const char *v, std::size_t vl) {
                             if (is(an, al, "ref")) ref = QString::fromUtf8(v, qsizetype(vl));
                         });
        CellRect rect;
        if (!CellAddress::parseRange(ref, &rect))
            return fail(QStringLiteral("bad merged range \"%1\"").arg(ref), b);
        if (rect.firstRow != rect.lastRow || rect.firstColumn != rect.lastColumn)
            m_sheet->merges.push_back(rect);
    } else if (is(name, n, "sheetFormatPr")) {
        forEachAttribute(
            attrs, attrsEnd, [&](const char *an, std::size_t al, const char *v, std::size_t vl) {
                double h;
                if (is(an, al, "defaultRowHeight") && parseDouble(v, vl, &h) && h > 0 && h < 1000)
                    m_sheet->defaultRowHeight = h;
                else if (is(an, al, "customHeight"))
                    m_sheet->defaultRowHeightSet = (vl == 1 && *v == '1') || is(v, vl, "true");
                else if (is(an, al, "defaultColWidth") && parseDouble(v, vl, &h) && h >= 0 &&
                         h <= 255)
                    m_sheet->defaultColumnWidth = SheetMetrics::pointsOfCharacterWidth(h);
                else if (is(an, al, "baseColWidth") && parseDouble(v, vl, &h) && h >= 0 &&
                         h <= 255 && !m_defaultWidthGiven)
                    m_sheet->defaultColumnWidth = SheetMetrics::pointsOfBaseWidth(int(h));
                if (is(an, al, "defaultColWidth")) m_defaultWidthGiven = true;
            });
    } else if (is(name, n, "dimension") && m_sheet->rows.empty()) {
        // Room for the rows the sheet says it uses, so that the row table does not grow step
        // by step. Only a hint: a wrong one costs address space, never a wrong cell.
        forEachAttribute(
            attrs, attrsEnd, [&](const char *an, std::size_t al, const char *v, std::size_t vl) {
                CellRect rect;
                if (is(an, al, "ref") &&
                    CellAddress::parseRange(QString::fromUtf8(v, qsizetype(vl)), &rect) &&
                    rect.lastRow >= 1 && rect.lastRow <= CellAddress::MaxRows)
                    m_sheet->rows.reserve(std::size_t(rect.lastRow));
            });
    } else if (is(name, n, "col")) {
        readColumn(attrs, attrsEnd);
    }
    return true;
}

void SheetParser::readColumn(const char *attrs, const char *end)
{
    int first = 0, last = 0;
    double width = -1;
    bool hidden = false;
    forEachAttribute(attrs, end,
                     [&](const char *an, std::size_t al, const char *v, std::size_t vl) {
                         if (is(an, al, "min"))
                             parseInt(v, vl, &first);
                         else if (is(an, al, "max"))
                             parseInt(v, vl, &last);
                         else if (is(an, al, "width"))
                             parseDouble(v, vl, &width);
                         else if (is(an, al, "hidden"))
                             hidden = vl == 1 && (v[0] == '1' || v[0] == 't');
                     });
    // Widths only change how the sheet is shown: a column range that makes no sense is skipped.
    if (first < 1 || last < first || first > CellAddress::MaxColumns) return;
    last = std::min(last, CellAddress::MaxColumns);
    if (!hidden && !(width >= 0 && width <= 255)) return;
    const double points = hidden ? 0.0 : SheetMetrics::pointsOfCharacterWidth(width);
    for (int c = first; c <= last; ++c)
        m_sheet->columnWidths[c] = points;
}

bool SheetParser::startRow(const char *attrs, const char *end)
{
    int row = m_row + 1;
    double height = -1;
    bool bad = false;
    bool ok = forEachAttribute(attrs, end,
                               [&](const char *an, std::size_t al, const char *v, std::size_t vl) {
                                   if (is(an, al, "r")) {
                                       if (!parseInt(v, vl, &row)) bad = true;
                                   } else if (is(an, al, "ht")) {
                                       if (!parseDouble(v, vl, &height)) height = -1;
                                   }
                               });
    if (!ok) return fail(QStringLiteral("malformed attributes of a row"), attrs);
    if (bad || row < 1 || row > CellAddress::MaxRows)
        return fail(
            QStringLiteral("row number out of range: %1")
                .arg(QString::fromUtf8(attrs, std::min<qsizetype>(end - attrs, 40)).trimmed()),
            attrs);
    m_row = row;
    m_column = 0;
    if (m_sheet->rows.size() < std::size_t(row)) {
        if (m_sheet->rows.capacity() < std::size_t(row))
            m_sheet->rows.reserve(
                std::max<std::size_t>(std::size_t(row), m_sheet->rows.capacity() * 2));
        m_sheet->rows.resize(std::size_t(row));
    }
    m_rowCells = &m_sheet->rows[std::size_t(row - 1)];
    if (m_rowCells->capacity() == 0 && m_lastRowSize) m_rowCells->reserve(m_lastRowSize);
    if (height >= 0 && height < 1000 && height != m_sheet->defaultRowHeight)
        m_sheet->rowHeights[row] = height;
    return true;
}

bool SheetParser::startCell(const char *attrs, const char *end)
{
    if (!m_rowCells) return fail(QStringLiteral("a cell outside a row"), attrs);
    int row = m_row, column = m_column + 1;
    bool badRef = false, badStyle = false;
    m_type = 'n';
    m_style = 0;
    bool ok = forEachAttribute(attrs, end,
                               [&](const char *an, std::size_t al, const char *v, std::size_t vl) {
                                   if (al != 1) return;
                                   switch (an[0]) {
                                   case 'r':
                                       if (!parseReference(v, vl, &row, &column)) badRef = true;
                                       break;
                                   case 's':
                                       if (!parseStyleIndex(v, vl, &m_style)) badStyle = true;
                                       break;
                                   case 't':
                                       if (vl == 1)
                                           m_type = v[0] == 's'   ? 's'
                                                    : v[0] == 'n' ? 'n'
                                                    : v[0] == 'b' ? 'b'
                                                    : v[0] == 'e' ? 'e'
                                                    : v[0] == 'd' ? 'd'
                                                                  : '?';
                                       else if (vl == 3 && std::memcmp(v, "str", 3) == 0)
                                           m_type = 't';
                                       else if (vl == 9 && std::memcmp(v, "inlineStr", 9) == 0)
                                           m_type = 'i';
                                       else
                                           m_type = '?';
                                       break;
                                   }
                               });
    if (!ok) return fail(QStringLiteral("malformed attributes of a cell"), attrs);
    if (badRef || row != m_row || column > CellAddress::MaxColumns)
        return fail(
            QStringLiteral("bad cell reference in row %1: %2")
                .arg(m_row)
                .arg(QString::fromUtf8(attrs, std::min<qsizetype>(end - attrs, 40)).trimmed()),
            attrs);
    if (badStyle || m_style >= m_book->styles.size())
        return fail(QStringLiteral("cell %1%2 names a style that does not exist")
                        .arg(CellAddress::columnLetters(column))
                        .arg(row),
                    attrs);
    if (m_type == '?')
        return fail(QStringLiteral("cell %1%2 has an unknown type")
                        .arg(CellAddress::columnLetters(column))
                        .arg(row),
                    attrs);
    m_column = column;
    m_inCell = true;
    m_hasValue = m_hasFormula = false;
    m_sharedChild = m_sharedMaster = false;
    m_sharedIndex = -1;
    m_capture = None;
    return true;
}

bool SheetParser::fastCell(const char *p, const char *end, const char **next)
{
    // The common shape of a cell taken in one go: <c ...><v>value</v></c>, the value without
    // markup or entities, the whole cell in this window. Any other shape (a formula, an inline
    // string, an empty cell, a cell cut by the chunk's end) goes the general way, which also
    // finds every fault; this path checks what that one would.
    *next = nullptr;
    if (m_stack.size() + 2 > std::size_t(m_maxDepth)) return true;
    const char *q = p + 2;
    for (; q < end && *q != '>'; ++q) {
        if (*q == '"' || *q == '\'') {
            const char quote = *q;
            while (++q < end && *q != quote) {
            }
            if (q == end) return true;
        } else if (*q == '<') {
            return true;
        }
    }
    if (q == end || q[-1] == '/') return true;
    const char *value = q + 1;
    if (end - value < 3 || std::memcmp(value, "<v>", 3) != 0) return true;
    value += 3;
    const char *valueEnd =
        static_cast<const char *>(std::memchr(value, '<', std::size_t(end - value)));
    if (!valueEnd || end - valueEnd < 8 || std::memcmp(valueEnd, "</v></c>", 8) != 0) return true;
    if (std::memchr(value, '&', std::size_t(valueEnd - value))) return true;
    if (!startCell(p + 2, q)) return false;
    m_hasValue = true;
    m_pos = std::size_t(valueEnd + 4 - m_begin); // faults of the value are told at </c>
    if (!storeCell(std::string_view(value, std::size_t(valueEnd - value)))) return false;
    *next = valueEnd + 8;
    return true;
}

bool SheetParser::startFormula(const char *attrs, const char *end)
{
    bool shared = false;
    bool hasRef = false;
    int si = -1;
    forEachAttribute(attrs, end,
                     [&](const char *an, std::size_t al, const char *v, std::size_t vl) {
                         if (is(an, al, "t"))
                             shared = vl == 6 && std::memcmp(v, "shared", 6) == 0;
                         else if (is(an, al, "si"))
                             parseInt(v, vl, &si);
                         else if (is(an, al, "ref"))
                             hasRef = true;
                     });
    if (shared) {
        m_sharedIndex = si;
        m_sharedMaster = hasRef;
        m_sharedChild = !hasRef;
    }
    return true;
}

bool SheetParser::endCell()
{
    return storeCell(std::string_view(m_value));
}

bool SheetParser::storeCell(std::string_view value)
{
    m_inCell = false;
    m_capture = None;
    const int row = m_row, column = m_column;
    Cell cell;
    std::int32_t formula = -1;
    cell.column = std::uint16_t(column);
    cell.style = m_style;
    auto where = [&] {
        return QStringLiteral("cell %1%2").arg(CellAddress::columnLetters(column)).arg(row);
    };

    if (m_hasFormula) {
        QString text;
        if (!XmlText::decode(m_formula.data(), m_formula.size(), &text))
            return fail(where() + QStringLiteral(": bad character reference in its formula"),
                        nullptr);
        if (m_sharedIndex >= 0 &&
            (m_sharedMaster || (!text.isEmpty() && !m_shared.count(m_sharedIndex)))) {
            m_shared[m_sharedIndex] = SharedFormula{text, row, column};
        } else if (m_sharedChild && text.isEmpty()) {
            auto it = m_shared.find(m_sharedIndex);
            if (it == m_shared.end())
                return fail(
                    where() +
                        QStringLiteral(": shared formula %1 is not defined").arg(m_sharedIndex),
                    nullptr);
            text = FormulaText::shift(it->second.text, row - it->second.row,
                                      column - it->second.column);
        }
        if (!text.isEmpty()) {
            if (m_sheet->formulas.size() >= std::size_t(Cell::MaxFormulas))
                return fail(where() + QStringLiteral(": the sheet holds more than %1 formulas")
                                          .arg(Cell::MaxFormulas),
                            nullptr);
            formula = std::int32_t(m_sheet->formulas.size());
            m_sheet->formulas.push_back(QLatin1Char('=') + text);
        }
    }

    if (m_hasValue) {
        switch (m_type) {
        case 'n': {
            if (value.empty()) break;
            double number = 0;
            if (!parseDouble(value.data(), value.size(), &number))
                return fail(where() + QStringLiteral(": bad number \"%1\"")
                                          .arg(QString::fromUtf8(value.substr(0, 40))),
                            nullptr);
            cell.setNumber(number);
            break;
        }
        case 's': {
            std::uint32_t index = 0;
            const bool number = parseInt(value.data(), value.size(), &index);
            if (number && index >= m_sharedCount && m_waitForShared)
                m_sharedCount = m_waitForShared(index);
            if (!number || index >= m_sharedCount)
                return fail(where() + QStringLiteral(": shared string %1 does not exist")
                                          .arg(QString::fromUtf8(value.substr(0, 20))),
                            nullptr);
            cell.setString(index);
            break;
        }
        case 'b':
            cell.setBoolean(value == "1" || value == "true");
            break;
        case 'e': {
            QString t = QString::fromUtf8(value).trimmed();
            const std::int32_t code = XmlText::errorCode(t);
            cell.setError(code ? code : 2015);
            break;
        }
        case 'd': {
            double d;
            if (!parseIsoDate(std::string(value), &d))
                return fail(where() + QStringLiteral(": bad date \"%1\"")
                                          .arg(QString::fromUtf8(value.substr(0, 40))),
                            nullptr);
            cell.setNumber(d);
            break;
        }
        case 't':
        case 'i': {
            const std::string_view raw = m_type == 'i' ? std::string_view(m_inlineText) : value;
            QString text;
            if (!XmlText::decode(raw.data(), raw.size(), &text))
                return fail(where() + QStringLiteral(": bad character reference in its text"),
                            nullptr);
            cell.setString(std::uint32_t(m_book->strings.size()) |
                           (m_deferred ? DeferredString : 0u));
            if (m_deferred) {
                m_deferred->push_back(CellPlace{m_sheet, row, column});
            }
            m_book->strings.push_back(XmlText::unescapeStringValue(text));
            break;
        }
        }
    }

    CellRow &cells = *m_rowCells;
    Cell *stored = nullptr;
    if (cells.empty() || cells.back().column < cell.column) {
        stored = &cells.emplace_back(cell);
    } else {
        auto it = cells.lowerBound(cell.column);
        if (it != cells.end() && it->column == cell.column) {
            cells.setFormula(*it, -1); // a cell given twice: the later one stands
            *it = cell;
            stored = &*it;
        } else {
            stored = &*cells.insert(it, cell);
        }
    }
    if (formula >= 0) cells.setFormula(*stored, formula);
    m_lastRowSize = std::max(m_lastRowSize, cells.size());
    m_maxRow = std::max(m_maxRow, row);
    m_maxColumn = std::max(m_maxColumn, column);
    return true;
}

} // namespace excel
