#include "platform/excel/XlsxXml.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace excel {

namespace {

bool isNameEnd(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '/' || c == '>';
}

// Finds the end of the markup that starts at xml[pos] == '<'; returns the index just past it,
// or -1. Quoted attribute values may hold '>'.
qsizetype markupEnd(const QByteArray &xml, qsizetype pos)
{
    const char *d = xml.constData();
    const qsizetype n = xml.size();
    if (pos + 3 < n && std::memcmp(d + pos, "<!--", 4) == 0) {
        qsizetype e = xml.indexOf("-->", pos + 4);
        return e < 0 ? -1 : e + 3;
    }
    if (pos + 8 < n && std::memcmp(d + pos, "<![CDATA[", 9) == 0) {
        qsizetype e = xml.indexOf("]]>", pos + 9);
        return e < 0 ? -1 : e + 3;
    }
    if (pos + 1 < n && d[pos + 1] == '?') {
        qsizetype e = xml.indexOf("?>", pos + 2);
        return e < 0 ? -1 : e + 2;
    }
    char quote = 0;
    for (qsizetype i = pos + 1; i < n; ++i) {
        char c = d[i];
        if (quote) {
            if (c == quote) quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '>') {
            return i + 1;
        }
    }
    return -1;
}

bool isHex(QChar c)
{
    char16_t u = c.unicode();
    return (u >= '0' && u <= '9') || (u >= 'a' && u <= 'f') || (u >= 'A' && u <= 'F');
}

} // namespace

bool XlsxXml::scan(const QByteArray &xml, Layout *layout, QString *error)
{
    *layout = Layout{};
    const char *d = xml.constData();
    const qsizetype n = xml.size();
    int depth = 0;
    qsizetype childBegin = -1;
    QByteArray childName;
    qsizetype pos = 0;
    bool rootSeen = false;
    while (true) {
        const void *lt = std::memchr(d + pos, '<', size_t(n - pos));
        if (!lt) break;
        pos = static_cast<const char *>(lt) - d;
        qsizetype end = markupEnd(xml, pos);
        if (end < 0) {
            if (error) *error = QStringLiteral("unterminated markup at byte %1").arg(pos);
            return false;
        }
        char c1 = pos + 1 < n ? d[pos + 1] : 0;
        if (c1 == '!' || c1 == '?') {
            pos = end;
            continue;
        }
        bool closing = c1 == '/';
        bool selfClosing = !closing && d[end - 2] == '/';
        qsizetype nameStart = pos + (closing ? 2 : 1);
        qsizetype nameEnd = nameStart;
        while (nameEnd < n && !isNameEnd(d[nameEnd]))
            ++nameEnd;
        QByteArray qname(d + nameStart, nameEnd - nameStart);
        qsizetype colon = qname.indexOf(':');
        QByteArray local = colon < 0 ? qname : qname.mid(colon + 1);
        if (closing) {
            --depth;
            if (depth == 1 && childBegin >= 0) {
                layout->children.push_back({childName, childBegin, end});
                childBegin = -1;
            } else if (depth == 0) {
                layout->endTagBegin = pos;
                return true;
            } else if (depth < 0) {
                break;
            }
        } else {
            if (depth == 0) {
                if (rootSeen) break;
                rootSeen = true;
                layout->prefix = colon < 0 ? QByteArray() : qname.left(colon + 1);
                layout->startTagEnd = end;
                if (selfClosing) {
                    layout->endTagBegin = end;
                    return true;
                }
                depth = 1;
            } else if (depth == 1) {
                if (selfClosing) {
                    layout->children.push_back({local, pos, end});
                } else {
                    childBegin = pos;
                    childName = local;
                    depth = 2;
                }
            } else if (!selfClosing) {
                ++depth;
            }
        }
        pos = end;
    }
    if (error) *error = QStringLiteral("the root element is not closed");
    return false;
}

void XlsxXml::appendEscaped(QByteArray &out, const QString &text, bool attribute)
{
    const QChar *p = text.constData();
    const qsizetype n = text.size();
    qsizetype runStart = 0;
    auto flush = [&](qsizetype upTo) {
        if (upTo > runStart) out += QStringView(p + runStart, upTo - runStart).toUtf8();
    };
    for (qsizetype i = 0; i < n; ++i) {
        char16_t c = p[i].unicode();
        const char *rep = nullptr;
        char buf[16];
        if (c == '&') {
            rep = "&amp;";
        } else if (c == '<') {
            rep = "&lt;";
        } else if (c == '>') {
            rep = "&gt;";
        } else if (c == '"' && attribute) {
            rep = "&quot;";
        } else if (attribute && (c == '\n' || c == '\r' || c == '\t')) {
            std::snprintf(buf, sizeof buf, "&#%d;", int(c));
            rep = buf;
        } else if ((c < 0x20 && c != '\n' && c != '\r' && c != '\t') || c == 0xFFFE ||
                   c == 0xFFFF) {
            std::snprintf(buf, sizeof buf, "_x%04X_", unsigned(c));
            rep = buf;
        } else if (c == '_' && i + 6 < n && p[i + 1] == QLatin1Char('x') &&
                   p[i + 6] == QLatin1Char('_') && isHex(p[i + 2]) && isHex(p[i + 3]) &&
                   isHex(p[i + 4]) && isHex(p[i + 5])) {
            // A literal "_xHHHH_" would read back as one character: escape its underscore.
            rep = "_x005F_";
        }
        if (rep) {
            flush(i);
            out += rep;
            runStart = i + 1;
        }
    }
    flush(n);
}

QByteArray XlsxXml::escaped(const QString &text, bool attribute)
{
    QByteArray out;
    appendEscaped(out, text, attribute);
    return out;
}

void XlsxXml::appendColumnName(QByteArray &out, int column)
{
    char buf[8];
    int len = 0;
    while (column > 0 && len < 8) {
        int rem = (column - 1) % 26;
        buf[len++] = char('A' + rem);
        column = (column - 1) / 26;
    }
    while (len > 0)
        out += buf[--len];
}

QByteArray XlsxXml::cellReference(int row, int column)
{
    QByteArray out;
    appendColumnName(out, column);
    out += QByteArray::number(row);
    return out;
}

QByteArray XlsxXml::rangeReference(int firstRow, int firstColumn, int lastRow, int lastColumn)
{
    QByteArray out = cellReference(firstRow, firstColumn);
    if (lastRow != firstRow || lastColumn != firstColumn) {
        out += ':';
        out += cellReference(lastRow, lastColumn);
    }
    return out;
}

void XlsxXml::appendNumber(QByteArray &out, double value)
{
    if (!std::isfinite(value)) value = 0.0; // a file cannot hold NaN or infinity
    if (value == 0.0) value = 0.0;          // no "-0"
    char buf[32];
    auto res = std::to_chars(buf, buf + sizeof buf, value);
    out.append(buf, res.ptr - buf);
}

std::vector<std::pair<QByteArray, QByteArray>> XlsxXml::attributes(const QByteArray &startTag)
{
    std::vector<std::pair<QByteArray, QByteArray>> out;
    const char *d = startTag.constData();
    const qsizetype n = startTag.size();
    qsizetype i = 1;
    while (i < n && !isNameEnd(d[i]))
        ++i;
    while (i < n) {
        while (i < n && (d[i] == ' ' || d[i] == '\t' || d[i] == '\r' || d[i] == '\n'))
            ++i;
        if (i >= n || d[i] == '/' || d[i] == '>') break;
        qsizetype nameStart = i;
        while (i < n && d[i] != '=' && d[i] != ' ' && d[i] != '\t' && d[i] != '\r' &&
               d[i] != '\n' && d[i] != '>' && d[i] != '/')
            ++i;
        QByteArray name(d + nameStart, i - nameStart);
        while (i < n && d[i] != '=' && d[i] != '>')
            ++i;
        if (i >= n || d[i] != '=') break;
        ++i;
        while (i < n && (d[i] == ' ' || d[i] == '\t' || d[i] == '\r' || d[i] == '\n'))
            ++i;
        if (i >= n || (d[i] != '"' && d[i] != '\'')) break;
        char q = d[i++];
        qsizetype valueStart = i;
        while (i < n && d[i] != q)
            ++i;
        out.emplace_back(name, QByteArray(d + valueStart, i - valueStart));
        ++i;
    }
    return out;
}

} // namespace excel
