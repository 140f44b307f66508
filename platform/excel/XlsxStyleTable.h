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
class XlsxStyleTable
{
public:
    XlsxStyleTable();
    ~XlsxStyleTable();

    // Starts from a file's styles part; themeXml (may be empty) resolves theme colours.
    bool load(const QByteArray &stylesXml, const QByteArray &themeXml, QString *error);

    // The cell format index for a store style: the style's own source format when it is
    // unchanged, else a format derived from it (or from the default) with the store's number
    // format, font colour and fill.
    int formatIndex(const std::vector<CellStyle> &styles, std::uint32_t styleIndex);

    // True once a format was added, so the part must be written.
    bool changed() const { return m_changed; }
    QByteArray xml() const;

private:
    struct Decoded
    {
        int numFmtId = 0;
        std::int32_t fontColor = -1; // -2: cannot tell
        bool fontIsText = false;     // the theme's text colour, which reads as automatic too
        QString pattern;             // patternType, "none" when absent
        std::int32_t fillColor = -1; // -2: cannot tell
    };

    void index();
    Decoded decode(int xf) const;
    std::int32_t decodeColor(const pugi::xml_node &color) const;
    int wantedNumFmt(const CellStyle &style, bool add);
    static QString wantedPattern(const CellStyle &style);
    static std::int32_t wantedColor(std::int32_t color, int colorIndex);
    static bool fontMatches(const Decoded &d, std::int32_t wanted);
    bool matches(const CellStyle &style, int xf);
    int derive(const CellStyle &style, int baseXf);
    int addFont(int baseFont, const CellStyle &style);
    int addFill(const CellStyle &style);

    std::unique_ptr<pugi::xml_document> m_doc;
    std::vector<std::int32_t> m_theme; // theme colour index -> 0xRRGGBB
    QHash<int, QString> m_customFormats;
    QHash<QString, int> m_formatIds;
    QHash<QString, int> m_derived; // key -> xf
    QHash<QString, int> m_fills;   // key -> fill id
    QHash<QString, int> m_fonts;   // key -> font id
    std::vector<int> m_map;        // store style -> xf, -1 unknown
    int m_nextFormatId = 164;
    bool m_changed = false;
};

} // namespace excel
