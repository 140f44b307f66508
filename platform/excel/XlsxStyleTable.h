#pragma once

#include "platform/excel/CellStyle.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <memory>
#include <vector>

namespace pugi {
class xml_document;
class xml_node;
} // namespace pugi

namespace excel {

// The styles part of a workbook being saved. Starts from the file's own styles.xml (so borders,
// alignment, fonts and named styles survive) or from a minimal one for a new workbook, and maps
// each store style to a cell format index, adding formats for styles the file does not have.
//
// A store style that is one of the file's own formats keeps its index, whatever colours (theme
// colours with a tint, gradients) the model could not express. A style the model derived from a
// file format gets a copy of that format in which only what was changed (number format, font
// colour, fill) is replaced.
class XlsxStyleTable
{
public:
    XlsxStyleTable();
    ~XlsxStyleTable();

    // Starts from a file's styles part.
    bool load(const QByteArray &stylesXml, QString *error);

    // The cell format index for a store style.
    int formatIndex(const std::vector<CellStyle> &styles, std::uint32_t styleIndex);

    // True once a format was added, so the part must be written.
    bool changed() const { return m_changed; }
    QByteArray xml() const;

private:
    // What a derived style changes of the format it came from.
    struct Changes
    {
        bool numberFormat = false;
        bool font = false;
        bool fillPattern = false;
        bool fillColor = false;
        bool any() const { return numberFormat || font || fillPattern || fillColor; }
    };

    void index();
    static const CellStyle *fileStyle(const std::vector<CellStyle> &styles, int xf);
    static Changes changesFrom(const CellStyle &style, const CellStyle *base);
    int wantedNumFmt(const CellStyle &style);
    int derive(const CellStyle &style, int baseXf, const Changes &changes);
    int addFont(int baseFont, const CellStyle &style);
    int addFill(int baseFill, const CellStyle &style, const Changes &changes);

    std::unique_ptr<pugi::xml_document> m_doc;
    QHash<int, QString> m_customFormats;
    QHash<QString, int> m_formatIds;
    QHash<QString, int> m_derived; // key -> xf
    QHash<QString, int> m_fills;   // key -> fill id
    QHash<QString, int> m_fonts;   // key -> font id
    std::vector<int> m_map;        // store style -> xf, -1 unknown
    int m_nextFormatId = 164;
    bool m_fromFile = false; // the formats are the source file's, so sourceIndex names them
    bool m_changed = false;
};

} // namespace excel
