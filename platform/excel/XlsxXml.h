#pragma once

#include <QByteArray>
#include <QString>
#include <vector>

namespace pugi {
class xml_document;
class xml_node;
} // namespace pugi

namespace excel {

// Small helpers for writing SpreadsheetML text and for finding elements in an existing part
// without building a tree (sheet parts can be very large).
class XlsxXml
{
public:
    // One child element of the document's root element: its local name and its byte span
    // (from '<' to just after the closing '>').
    struct Child
    {
        QByteArray localName;
        qsizetype begin = 0;
        qsizetype end = 0;
    };

    // The root element of a part: its prefix ("" or "x:"), where its start tag ends and where
    // its end tag begins, and its children in document order.
    struct Layout
    {
        QByteArray prefix;
        qsizetype startTagEnd = 0;
        qsizetype endTagBegin = 0;
        std::vector<Child> children;
    };

    // Scans a well-formed part; returns false (with *error) when it cannot find its structure.
    static bool scan(const QByteArray &xml, Layout *layout, QString *error);

    // Text escaped for element content or for a double-quoted attribute. Characters XML 1.0
    // cannot carry are written in the workbook's own _xHHHH_ form.
    static void appendEscaped(QByteArray &out, const QString &text, bool attribute = false);
    static QByteArray escaped(const QString &text, bool attribute = false);

    // "A", "Z", "AA", ... for a 1-based column.
    static void appendColumnName(QByteArray &out, int column);
    static QByteArray cellReference(int row, int column);
    static QByteArray rangeReference(int firstRow, int firstColumn, int lastRow, int lastColumn);

    // The shortest text that reads back as the same double.
    static void appendNumber(QByteArray &out, double value);

    // A formula as the file format wants it: functions newer than the format's first version
    // carry the "_xlfn." prefix (some "_xlfn._xlws."), without which spreadsheet programs read
    // them as unknown names. Prefixes already there are left alone.
    static QString fileFormula(const QString &formula);

    // Parses a small part into a tree (pugixml options as given). Document type declarations
    // are refused in every part, as the worksheet tokenizer refuses them, and so is nesting
    // deeper than maxDepth. False with *error saying what and where.
    static bool parse(pugi::xml_document &doc, const QByteArray &data, unsigned options,
                      int maxDepth, QString *error);

    // A part in UTF-16 (which XML allows) becomes UTF-8, declaration included, so that UTF-8
    // text can be spliced into it.
    static void toUtf8(QByteArray &xml);
    // A parsed part is written back as UTF-8 whatever it was: its declaration must say so.
    static void declareUtf8(pugi::xml_document &doc);

    // The text of a string item (a shared string, a comment's text): its plain <t>, or the <t>
    // of each rich-text run, phonetic runs left out, with the _xHHHH_ escapes resolved. A <t>
    // keeps every character it holds, white space included: a cell of one blank is not empty.
    static QString stringItemText(const pugi::xml_node &item);
    // Every character of an element's own text and CDATA children.
    static QString elementText(const pugi::xml_node &element);

    // The attributes of a start tag as (qualified name, raw value) pairs.
    static std::vector<std::pair<QByteArray, QByteArray>> attributes(const QByteArray &startTag);
};

} // namespace excel
