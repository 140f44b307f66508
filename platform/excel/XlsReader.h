#pragma once

#include "platform/excel/WorkbookData.h"
#include "platform/excel/XlsFormula.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <map>
#include <vector>

namespace excel {

class BiffRecord;
class BiffStream;

// Reads a legacy workbook (.xls: BIFF8 records in a compound file) into the cell store: sheets
// with their visibility, cells with cached formula results, formula texts, comments, merged
// ranges, row heights, and the formats that matter (number format, font colour, fill). Older
// formats (before Excel 97) and encrypted workbooks are refused. Every error message names the
// file.
class XlsReader
{
public:
    static bool read(const QString &path, WorkbookData *out, QString *error);
    // The same from bytes in memory; `fileName` is what messages call the file.
    static bool readBytes(const QByteArray &bytes, WorkbookData *out, QString *error,
                          const QString &fileName = QString());

    // Limits that keep a damaged or hostile file from exhausting memory.
    static constexpr qint64 kMaxCells = 32 * 1024 * 1024;
    static constexpr int kMaxRows = 65536;
    static constexpr int kMaxColumns = 16384;

private:
    struct Font
    {
        int color = 0x7FFF;
    };
    struct Xf
    {
        int font = 0;
        int format = 0;
        bool isStyle = false;
        int pattern = 0;
        int foreColor = 64;
    };
    struct SharedFormula
    {
        int firstRow = 0, lastRow = 0, firstColumn = 0, lastColumn = 0;
        QByteArray tokens, extra;
        bool isArray = false;
    };
    // A formula record's cell and its formula's number, joined to the cell once the sheet's
    // cells are sorted.
    struct CellFormula
    {
        int row = 0, column = 0, slot = 0;
    };
    struct PendingFormula
    {
        int row = 0, column = 0, masterRow = 0, masterColumn = 0, slot = 0, cellIndex = 0;
    };
    struct BoundSheet
    {
        QString name;
        std::uint32_t position = 0;
        int visible = -1;
        int type = 0;
    };

    XlsReader(WorkbookData *out, const QString &fileName) : m_out(out), m_fileName(fileName) {}

    bool run(const QByteArray &bytes);
    bool fail(const QString &message);
    bool failRecord(const BiffRecord &record, const QString &what);
    bool readGlobals(BiffStream &stream);
    bool readSheet(BiffStream &stream, const BoundSheet &bound);
    bool checkBof(const BiffRecord &record, bool globals);
    void buildStyles();
    int colorOf(int index) const;

    bool addCell(SheetData &sheet, const BiffRecord &record, int row, int column, int xf,
                 Cell cell);
    int formulaSlot(SheetData &sheet, const QString &text);
    bool readFormula(SheetData &sheet, BiffRecord &record);
    void resolvePending(SheetData &sheet);
    void finishSheet(SheetData &sheet);

    WorkbookData *m_out;
    QString m_fileName;
    std::vector<BoundSheet> m_boundSheets;
    std::vector<std::uint32_t> m_sst; // shared string index -> WorkbookData::strings index
    std::map<int, QString> m_formats;
    std::vector<Font> m_fonts;
    std::vector<Xf> m_xfs;
    std::vector<std::uint32_t> m_xfStyle; // XF index -> WorkbookData::styles index
    std::vector<int> m_palette;
    XlsFormula::Context m_context;
    qint64 m_cellCount = 0;
    std::map<qsizetype, qsizetype> m_sheetRanges; // stream ranges of the sheets read
    QString m_error;

    // Per sheet.
    std::map<std::uint32_t, SharedFormula> m_shared; // key: (row << 16) | column of the master
    std::vector<PendingFormula> m_pending;
    std::vector<CellFormula> m_cellFormulas;
    QHash<QString, int> m_formulaSlots;
    std::map<int, QString> m_objectTexts; // OBJ id -> TXO text
    int m_lastObjectId = -1;
    int m_activeTab = 0;  // the sheet entry in front when the file was saved
    int m_stringRow = -1; // a formula cell waiting for its STRING record
    std::size_t m_stringCell = 0;
};

} // namespace excel
