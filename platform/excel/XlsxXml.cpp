#include "platform/excel/XlsxXml.h"

#include "platform/excel/FormulaText.h"
#include "platform/excel/XmlText.h"

#include <QRegularExpression>
#include <QSet>
#include <QStringDecoder>
#include <pugixml.hpp>

#include <algorithm>
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
                } else if (local == "sheetData") {
                    // Cell data cannot nest and is by far the largest element: jump to its end.
                    const QByteArray close = "</" + qname + '>';
                    const void *hit =
                        memmem(d + end, size_t(n - end), close.constData(), size_t(close.size()));
                    if (!hit) {
                        if (error) *error = QStringLiteral("the cell data is not closed");
                        return false;
                    }
                    qsizetype closeAt = static_cast<const char *>(hit) - d;
                    layout->children.push_back({local, pos, closeAt + close.size()});
                    pos = closeAt + close.size();
                    continue;
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

QString XlsxXml::fileFormula(const QString &formula)
{
    static const QSet<QString> future = {
        QStringLiteral("AGGREGATE"),      QStringLiteral("BITAND"),
        QStringLiteral("BITOR"),          QStringLiteral("BITXOR"),
        QStringLiteral("CEILING.MATH"),   QStringLiteral("CHOOSECOLS"),
        QStringLiteral("CHOOSEROWS"),     QStringLiteral("CONCAT"),
        QStringLiteral("DAYS"),           QStringLiteral("DROP"),
        QStringLiteral("EXPAND"),         QStringLiteral("FLOOR.MATH"),
        QStringLiteral("FORMULATEXT"),    QStringLiteral("HSTACK"),
        QStringLiteral("IFNA"),           QStringLiteral("IFS"),
        QStringLiteral("ISFORMULA"),      QStringLiteral("ISOWEEKNUM"),
        QStringLiteral("LAMBDA"),         QStringLiteral("LET"),
        QStringLiteral("MAXIFS"),         QStringLiteral("MINIFS"),
        QStringLiteral("MODE.MULT"),      QStringLiteral("MODE.SNGL"),
        QStringLiteral("NORM.DIST"),      QStringLiteral("NORM.INV"),
        QStringLiteral("NORM.S.DIST"),    QStringLiteral("NORM.S.INV"),
        QStringLiteral("NUMBERVALUE"),    QStringLiteral("PERCENTILE.EXC"),
        QStringLiteral("PERCENTILE.INC"), QStringLiteral("QUARTILE.EXC"),
        QStringLiteral("QUARTILE.INC"),   QStringLiteral("RANDARRAY"),
        QStringLiteral("RANK.AVG"),       QStringLiteral("RANK.EQ"),
        QStringLiteral("SEQUENCE"),       QStringLiteral("SHEET"),
        QStringLiteral("SHEETS"),         QStringLiteral("SORTBY"),
        QStringLiteral("STDEV.P"),        QStringLiteral("STDEV.S"),
        QStringLiteral("SWITCH"),         QStringLiteral("T.DIST"),
        QStringLiteral("T.INV"),          QStringLiteral("T.TEST"),
        QStringLiteral("TAKE"),           QStringLiteral("TEXTAFTER"),
        QStringLiteral("TEXTBEFORE"),     QStringLiteral("TEXTJOIN"),
        QStringLiteral("TEXTSPLIT"),      QStringLiteral("TOCOL"),
        QStringLiteral("TOROW"),          QStringLiteral("UNIQUE"),
        QStringLiteral("VAR.P"),          QStringLiteral("VAR.S"),
        QStringLiteral("VSTACK"),         QStringLiteral("WRAPCOLS"),
        QStringLiteral("WRAPROWS"),       QStringLiteral("XLOOKUP"),
        QStringLiteral("XMATCH"),         QStringLiteral("XOR"),
    };
    static const QSet<QString> worksheetFuture = {QStringLiteral("FILTER"), QStringLiteral("SORT")};
    QString out;
    out.reserve(formula.size() + 16);
    const qsizetype n = formula.size();
    for (qsizetype i = 0; i < n;) {
        const QChar c = formula[i];
        if (c == QLatin1Char('"') || c == QLatin1Char('\'')) { // a text or a quoted sheet name
            const qsizetype j = FormulaText::closingQuote(formula, i);
            out += QStringView(formula).mid(i, std::min(j + 1, n) - i);
            i = j + 1;
            continue;
        }
        if (c.isLetter() || c == QLatin1Char('_')) {
            qsizetype j = i;
            while (j < n && (formula[j].isLetterOrNumber() || formula[j] == QLatin1Char('_') ||
                             formula[j] == QLatin1Char('.')))
                ++j;
            const QString name = formula.mid(i, j - i);
            const bool call = j < n && formula[j] == QLatin1Char('(');
            const bool prefixed =
                i > 0 && (formula[i - 1] == QLatin1Char('.') || formula[i - 1] == QLatin1Char('!'));
            if (call && !prefixed) {
                const QString upper = name.toUpper();
                if (future.contains(upper))
                    out += QStringLiteral("_xlfn.");
                else if (worksheetFuture.contains(upper))
                    out += QStringLiteral("_xlfn._xlws.");
            }
            out += name;
            i = j;
            continue;
        }
        out += c;
        ++i;
    }
    return out;
}

bool XlsxXml::parse(pugi::xml_document &doc, const QByteArray &data, unsigned options, int maxDepth,
                    QString *error)
{
    const pugi::xml_parse_result r =
        doc.load_buffer(data.constData(), std::size_t(data.size()), options | pugi::parse_doctype,
                        pugi::encoding_auto);
    auto failed = [&](const QString &what) {
        if (error) *error = what;
        return false;
    };
    if (!r) {
        const qsizetype at = std::clamp<qsizetype>(qsizetype(r.offset), 0, data.size());
        return failed(QStringLiteral("malformed XML at line %1: %2")
                          .arg(data.left(at).count('\n') + 1)
                          .arg(QString::fromUtf8(r.description())));
    }
    for (pugi::xml_node n = doc.first_child(); n; n = n.next_sibling())
        if (n.type() == pugi::node_doctype)
            return failed(QStringLiteral("document type declarations are not allowed"));
    // pugixml builds the tree without recursion; bound the nesting before anyone walks it.
    std::vector<std::pair<pugi::xml_node, int>> stack{{doc.document_element(), 1}};
    while (!stack.empty()) {
        auto [node, depth] = stack.back();
        stack.pop_back();
        if (depth > maxDepth)
            return failed(
                QStringLiteral("elements are nested deeper than %1 levels").arg(maxDepth));
        for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling())
            if (c.type() == pugi::node_element) stack.push_back({c, depth + 1});
    }
    return true;
}

void XlsxXml::toUtf8(QByteArray &xml)
{
    const bool little = xml.startsWith("\xFF\xFE");
    const bool big = xml.startsWith("\xFE\xFF");
    if (xml.startsWith("\xEF\xBB\xBF")) {
        xml.remove(0, 3);
        return;
    }
    if (!little && !big) return;
    QStringDecoder decode(little ? QStringConverter::Utf16LE : QStringConverter::Utf16BE);
    QString text = decode(QByteArrayView(xml.constData() + 2, xml.size() - 2));
    if (text.startsWith(QLatin1String("<?xml"))) {
        const qsizetype end = text.indexOf(QLatin1String("?>"));
        static const QRegularExpression encoding(
            QStringLiteral("encoding\\s*=\\s*[\"'][^\"']*[\"']"));
        if (end > 0)
            text.replace(0, end,
                         text.left(end).replace(encoding, QStringLiteral("encoding=\"UTF-8\"")));
    }
    xml = text.toUtf8();
}

void XlsxXml::declareUtf8(pugi::xml_document &doc)
{
    pugi::xml_node first = doc.first_child();
    if (first.type() == pugi::node_declaration && first.attribute("encoding"))
        first.attribute("encoding").set_value("UTF-8");
}

namespace {

bool hasLocalName(const pugi::xml_node &n, const char *local)
{
    const char *name = n.name();
    const char *colon = std::strrchr(name, ':');
    return std::strcmp(colon ? colon + 1 : name, local) == 0;
}

} // namespace

QString XlsxXml::elementText(const pugi::xml_node &element)
{
    QString text;
    for (pugi::xml_node c = element.first_child(); c; c = c.next_sibling())
        if (c.type() == pugi::node_pcdata || c.type() == pugi::node_cdata)
            text += QString::fromUtf8(c.value());
    return text;
}

QString XlsxXml::stringItemText(const pugi::xml_node &item)
{
    QString text;
    for (pugi::xml_node c = item.first_child(); c; c = c.next_sibling()) {
        if (c.type() != pugi::node_element) continue;
        if (hasLocalName(c, "t")) {
            text += elementText(c);
        } else if (hasLocalName(c, "r")) {
            for (pugi::xml_node t = c.first_child(); t; t = t.next_sibling())
                if (t.type() == pugi::node_element && hasLocalName(t, "t")) text += elementText(t);
        }
    }
    return XmlText::unescapeStringValue(text);
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
