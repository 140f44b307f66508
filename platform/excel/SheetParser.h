#pragma once

#include "platform/excel/SheetData.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace excel {

struct WorkbookData;

// A streaming tokenizer over one worksheet part: fed the inflated XML in chunks of any size, it
// stores cells, formulas (shared ones expanded per cell), merged ranges and row heights into
// the sheet, without building a tree of the document.
class SheetParser
{
public:
    // sharedStringCount: how many strings of the pool came from the shared-string part (cells
    // of type "s" must index below it). maxDepth bounds element nesting.
    SheetParser(SheetData *sheet, WorkbookData *book, std::size_t sharedStringCount,
                int maxDepth = 64);

    // False on malformed data; error() then says what and where.
    bool feed(const char *data, std::size_t size);
    // Call after the last chunk: false when the document ended early or held no worksheet
    // (an empty part, one that is not XML, one whose root element is not <worksheet>).
    bool finish();
    QString error() const { return m_error; }

    // Bottom-right corner of the stored cells (0 when none).
    int maxRow() const { return m_maxRow; }
    int maxColumn() const { return m_maxColumn; }

    // For a sheet read while the shared strings are still being read (on another thread):
    // a cell naming a shared string past the count known so far asks waitFor(index), which
    // returns once the count passed the index or is final, and gives the count then.
    void setSharedCountSource(std::function<std::size_t(std::size_t index)> waitFor)
    {
        m_waitForShared = std::move(waitFor);
    }
    // The texts of inline and formula-string cells then go to the pool before the shared
    // strings are there: each such cell gets its text's index in the pool with DeferredString
    // set, and its place is recorded, so that the reader can move the index past the shared
    // strings once it has them.
    static constexpr std::uint32_t DeferredString = 0x80000000u;
    struct CellPlace
    {
        SheetData *sheet;
        int row;
        int column;
    };
    void deferStrings(std::vector<CellPlace> *places) { m_deferred = places; }

private:
    enum Capture : std::uint8_t { None, V, F, T };
    struct SharedFormula
    {
        QString text;
        int row = 0;
        int column = 0;
    };

    bool parse(bool final);
    bool parseWindow(const char *begin, std::size_t size, bool final, std::size_t *consumed);
    static std::int64_t countNewlines(const char *b, const char *e);
    bool handleTag(const char *begin, const char *end);
    bool startRow(const char *attrs, const char *end);
    void readColumn(const char *attrs, const char *end);
    bool startCell(const char *attrs, const char *end);
    bool startFormula(const char *attrs, const char *end);
    bool endCell();
    bool storeCell(std::string_view value);
    // A whole cell of the common shape; *next is where parsing goes on, null when the cell
    // is to go the general way. False on a fault.
    bool fastCell(const char *p, const char *end, const char **next);
    bool fail(const QString &what, const char *at);
    bool checkOutsideText(const char *b, const char *e);
    bool startRoot(const char *name, std::size_t length, const char *at);

    SheetData *m_sheet;
    WorkbookData *m_book;
    std::size_t m_sharedCount;
    int m_maxDepth;
    std::function<std::size_t(std::size_t)> m_waitForShared;
    std::vector<CellPlace> *m_deferred = nullptr;

    std::string m_buffer;          // an unfinished token carried to the next chunk
    const char *m_begin = nullptr; // the window being parsed
    const char *m_end = nullptr;
    std::size_t m_pos = 0; // parse position in the window
    std::int64_t m_line = 1;
    QString m_error;

    std::vector<std::uint64_t> m_stack; // the open elements' names, as nameHash gives them
    bool m_rootSeen = false;            // the document's element has begun
    std::int64_t m_fed = 0;             // bytes fed so far
    bool m_inSheetData = false;
    bool m_defaultWidthGiven = false; // defaultColWidth wins over baseColWidth
    bool m_inCell = false;
    bool m_inInline = false;
    int m_phoneticDepth = 0;
    Capture m_capture = None;

    int m_row = 0;
    int m_column = 0;
    CellRow *m_rowCells = nullptr;
    int m_maxRow = 0;
    int m_maxColumn = 0;
    std::size_t m_lastRowSize = 0;

    // the cell being read
    char m_type = 'n'; // n s b e i(nline) t(str) d
    std::uint32_t m_style = 0;
    bool m_hasValue = false;
    bool m_hasFormula = false;
    std::string m_value;
    std::string m_formula;
    std::string m_inlineText;
    bool m_sharedChild = false;
    int m_sharedIndex = -1;
    bool m_sharedMaster = false;
    std::unordered_map<int, SharedFormula> m_shared;
};

} // namespace excel
