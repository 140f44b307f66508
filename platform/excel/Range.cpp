#include "platform/excel/Range.h"

#include "platform/com/VariantArray.h"
#include "platform/excel/CellStore.h"
#include "platform/excel/Comment.h"
#include "platform/excel/Font.h"
#include "platform/excel/FormulaText.h"
#include "platform/excel/Interior.h"
#include "platform/excel/ModelErrors.h"
#include "platform/excel/SheetMetrics.h"
#include "platform/excel/StyleCodes.h"
#include "platform/excel/Worksheet.h"
#include "platform/excel/XmlText.h"
#include "platform/text/BasicText.h"

#include <algorithm>

namespace excel {

namespace {

// Reading or writing more cells than this in one call is refused rather than exhausting memory.
constexpr std::int64_t kMaxCellsPerCall = std::int64_t(1) << 25;

std::int64_t cellCount(const CellRect &r)
{
    return std::int64_t(r.lastRow - r.firstRow + 1) *
           std::int64_t(r.lastColumn - r.firstColumn + 1);
}

void checkSize(const CellRect &r, const Range &range)
{
    if (cellCount(r) > kMaxCellsPerCall)
        throw BasicError(
            BasicError::OutOfMemory,
            QStringLiteral(
                "The range %1 holds %2 cells; at most %3 can be read or written at once.")
                .arg(range.Address())
                .arg(cellCount(r))
                .arg(kMaxCellsPerCall));
}

// Writes one value into a cell; Empty and Null clear it.
void writeCell(WorkbookData &book, SheetData &sheet, int row, int column, const com::Variant &v)
{
    if (v.isEmpty() || v.isNull()) {
        Cell *cell = CellStore::find(sheet, row, column);
        if (!cell) return;
        if (cell->style == 0 || cell->style >= book.styles.size())
            CellStore::erase(sheet, row, column);
        else {
            cell->setBlank();
            sheet.rows[std::size_t(row - 1)].setFormula(*cell, -1);
        }
        return;
    }
    if (v.isArray() || v.isObject())
        throw BasicError(
            BasicError::TypeMismatch,
            QStringLiteral("A cell cannot hold an %1.")
                .arg(v.isArray() ? QStringLiteral("array") : QStringLiteral("object")));
    Cell &cell = CellStore::obtain(sheet, row, column);
    sheet.rows[std::size_t(row - 1)].setFormula(cell, -1);
    switch (v.type()) {
    case com::vbString:
        cell.setString(CellStore::addString(book, v.stringValue()));
        break;
    case com::vbBoolean:
        cell.setBoolean(v.boolValue());
        break;
    case com::vbError:
        cell.setError(v.errorCode());
        break;
    case com::vbDate: {
        double serial = v.dateValue() - (book.date1904 ? 1462.0 : 0.0);
        cell.setNumber(serial);
        bool hasTime = serial != std::floor(serial);
        cell.style = CellStore::deriveStyle(book, cell.style, [&](CellStyle &s) {
            if (s.isDate) return;
            s.numberFormatId = hasTime ? 22 : 14;
            s.numberFormat = StyleCodes::builtinFormat(s.numberFormatId);
            s.isDate = true;
        });
        break;
    }
    default:
        cell.setNumber(v.numberValue());
        break;
    }
}

// A constant typed into a cell: a number, TRUE/FALSE, an error text, else text; a leading
// apostrophe keeps the rest as text.
com::Variant enteredConstant(const QString &text)
{
    if (text.isEmpty()) return com::Variant();
    if (text.startsWith(u'\'')) return com::Variant(text.mid(1));
    double number;
    if (!text.trimmed().startsWith(u'&') && BasicText::tryParseNumber(text, &number))
        return com::Variant(number);
    if (text.compare(QLatin1String("TRUE"), Qt::CaseInsensitive) == 0) return com::Variant(true);
    if (text.compare(QLatin1String("FALSE"), Qt::CaseInsensitive) == 0) return com::Variant(false);
    if (int code = XmlText::errorCode(text.trimmed())) return com::Variant::fromError(code);
    return com::Variant(text);
}

} // namespace

Range::Range(std::shared_ptr<excel::Worksheet> sheet, const CellRect &rect, CountBy countBy)
    : m_sheet(std::move(sheet)), m_rect(rect), m_countBy(countBy)
{
}

void Range::checkLive() const
{
    if (!m_sheet)
        throw BasicError(BasicError::ObjectVariableNotSet, QStringLiteral("The range is Nothing."));
    m_sheet->data();
}

CellAddress::Kind Range::shape() const
{
    if (m_rect.firstColumn == 1 && m_rect.lastColumn == CellAddress::MaxColumns)
        return CellAddress::Kind::WholeRows;
    if (m_rect.firstRow == 1 && m_rect.lastRow == CellAddress::MaxRows)
        return CellAddress::Kind::WholeColumns;
    return CellAddress::Kind::Cells;
}

CellRect Range::formatTargets() const
{
    CellRect r = m_rect;
    const bool wholeRows = r.firstColumn == 1 && r.lastColumn == CellAddress::MaxColumns;
    const bool wholeColumns = r.firstRow == 1 && r.lastRow == CellAddress::MaxRows;
    // Only whole rows or columns need the used area, which costs a walk over the sheet: a
    // single cell's format must cost what its value costs.
    if (!wholeRows && !wholeColumns) return r;
    CellRect used{1, 1, 1, 1};
    bool any = CellStore::usedArea(m_sheet->data(), &used);
    if (wholeRows) r.lastColumn = std::max(any ? used.lastColumn : 1, CellAddress::GridColumns);
    if (wholeColumns) r.lastRow = any ? used.lastRow : 1;
    return r;
}

Range Range::Cells(int row, int column) const
{
    checkLive();
    int r = m_rect.firstRow + row - 1, c = m_rect.firstColumn + column - 1;
    if (r < 1 || r > CellAddress::MaxRows || c < 1 || c > CellAddress::MaxColumns)
        ModelErrors::refuse(QStringLiteral("Cells(%1, %2) of %3 lies outside the sheet.")
                                .arg(row)
                                .arg(column)
                                .arg(Address()));
    return Range(m_sheet, CellRect{r, c, r, c});
}

Range Range::Cells() const
{
    return Range(m_sheet, m_rect, CountBy::Cells);
}

com::Variant Range::Value() const
{
    checkLive();
    const SheetData &sheet = m_sheet->data();
    const WorkbookData &book = m_sheet->book();
    const CellRect &r = m_rect;
    if (r.firstRow == r.lastRow && r.firstColumn == r.lastColumn) {
        const CellRect *m = CellStore::mergeAt(sheet, r.firstRow, r.firstColumn);
        if (m && (m->firstRow != r.firstRow || m->firstColumn != r.firstColumn))
            return com::Variant();
        return CellStore::value(book, sheet, r.firstRow, r.firstColumn);
    }
    checkSize(r, *this);
    const int rows = r.lastRow - r.firstRow + 1, columns = r.lastColumn - r.firstColumn + 1;
    auto grid = com::VariantArray::grid(rows, columns);
    const int lastStored = std::min<int>(r.lastRow, int(sheet.rows.size()));
    for (int row = r.firstRow; row <= lastStored; ++row) {
        const CellRow &cells = sheet.rows[std::size_t(row - 1)];
        auto it = cells.lowerBound(std::uint32_t(r.firstColumn));
        const std::size_t base = std::size_t(row - r.firstRow) * std::size_t(columns);
        for (; it != cells.end() && it->column <= r.lastColumn; ++it)
            grid->flat(base + std::size_t(it->column - r.firstColumn)) =
                CellStore::value(book, *it);
    }
    for (const CellRect &m : sheet.merges) {
        if (!CellStore::intersects(m, r)) continue;
        for (int row = std::max(m.firstRow, r.firstRow); row <= std::min(m.lastRow, r.lastRow);
             ++row)
            for (int col = std::max(m.firstColumn, r.firstColumn);
                 col <= std::min(m.lastColumn, r.lastColumn); ++col)
                if (row != m.firstRow || col != m.firstColumn)
                    grid->flat(std::size_t(row - r.firstRow) * std::size_t(columns) +
                               std::size_t(col - r.firstColumn)) = com::Variant();
    }
    return com::Variant(grid);
}

void Range::setValue(const com::Variant &value)
{
    checkLive();
    SheetData &sheet = m_sheet->data();
    WorkbookData &book = m_sheet->book();
    const CellRect &r = m_rect;
    checkSize(r, *this);
    if (value.isArray()) {
        std::shared_ptr<com::VariantArray> a = value.array();
        int rowsA, colsA, lb1, lb2;
        if (a->dimensions() == 1) {
            rowsA = 1, lb1 = 0;
            lb2 = a->lbound(1), colsA = a->ubound(1) - lb2 + 1;
        } else if (a->dimensions() == 2) {
            lb1 = a->lbound(1), rowsA = a->ubound(1) - lb1 + 1;
            lb2 = a->lbound(2), colsA = a->ubound(2) - lb2 + 1;
        } else {
            ModelErrors::refuse(
                QStringLiteral("Only one- and two-dimensional arrays can be written into cells."));
        }
        const com::Variant notAvailable = com::Variant::fromError(2042);
        for (int row = r.firstRow; row <= r.lastRow; ++row) {
            int i = rowsA == 1 ? 0 : row - r.firstRow;
            for (int col = r.firstColumn; col <= r.lastColumn; ++col) {
                int j = colsA == 1 ? 0 : col - r.firstColumn;
                if (i >= rowsA || j >= colsA)
                    writeCell(book, sheet, row, col, notAvailable);
                else
                    writeCell(book, sheet, row, col,
                              a->dimensions() == 1 ? a->at(lb2 + j) : a->at(lb1 + i, lb2 + j));
            }
        }
    } else {
        for (int row = r.firstRow; row <= r.lastRow; ++row)
            for (int col = r.firstColumn; col <= r.lastColumn; ++col)
                writeCell(book, sheet, row, col, value);
    }
    m_sheet->markChanged();
    m_sheet->fireChange(*this);
}

void Range::ClearContents()
{
    setValue(com::Variant());
}

QString Range::Formula() const
{
    checkLive();
    const SheetData &sheet = m_sheet->data();
    const WorkbookData &book = m_sheet->book();
    const Cell *cell = CellStore::find(sheet, m_rect.firstRow, m_rect.firstColumn);
    if (!cell) return QString();
    if (const QString *formula = CellStore::formula(sheet, m_rect.firstRow, *cell)) return *formula;
    switch (cell->kind()) {
    case CellKind::Number:
        return CellStore::value(book, *cell).toText();
    case CellKind::String:
        return cell->string() < book.strings.size() ? book.strings[cell->string()] : QString();
    case CellKind::Boolean:
        return cell->boolean() ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
    case CellKind::Error:
        return XmlText::errorText(cell->error());
    case CellKind::Blank:
        break;
    }
    return QString();
}

void Range::setFormula(const QString &formula)
{
    checkLive();
    SheetData &sheet = m_sheet->data();
    WorkbookData &book = m_sheet->book();
    const CellRect &r = m_rect;
    checkSize(r, *this);
    if (formula.size() > 1 && formula.startsWith(u'=')) {
        const QString body = formula.mid(1);
        if (double(sheet.formulas.size()) +
                double(r.lastRow - r.firstRow + 1) * (r.lastColumn - r.firstColumn + 1) >
            double(Cell::MaxFormulas))
            ModelErrors::refuse(
                QStringLiteral("A sheet can hold at most %1 formulas.").arg(Cell::MaxFormulas));
        for (int row = r.firstRow; row <= r.lastRow; ++row)
            for (int col = r.firstColumn; col <= r.lastColumn; ++col) {
                Cell &cell = CellStore::obtain(sheet, row, col);
                sheet.rows[std::size_t(row - 1)].setFormula(cell,
                                                            std::int32_t(sheet.formulas.size()));
                sheet.formulas.push_back(
                    QLatin1Char('=') +
                    FormulaText::shift(body, row - r.firstRow, col - r.firstColumn));
            }
    } else {
        const com::Variant v = enteredConstant(formula);
        for (int row = r.firstRow; row <= r.lastRow; ++row)
            for (int col = r.firstColumn; col <= r.lastColumn; ++col)
                writeCell(book, sheet, row, col, v);
    }
    m_sheet->markChanged();
    m_sheet->fireChange(*this);
}

std::shared_ptr<Comment> Range::Comment() const
{
    checkLive();
    const SheetData &sheet = m_sheet->data();
    if (!sheet.comments.count(SheetData::commentKey(m_rect.firstRow, m_rect.firstColumn)))
        return nullptr;
    return std::make_shared<excel::Comment>(m_sheet, m_rect.firstRow, m_rect.firstColumn);
}

std::shared_ptr<Comment> Range::AddComment(const QString &text)
{
    checkLive();
    SheetData &sheet = m_sheet->data();
    const std::uint64_t key = SheetData::commentKey(m_rect.firstRow, m_rect.firstColumn);
    if (sheet.comments.count(key))
        ModelErrors::refuse(QStringLiteral("Cell %1 has a comment already.")
                                .arg(Cells(1, 1).Address(false, false)));
    sheet.comments[key] = CellComment{text, QString()};
    m_sheet->markChanged();
    return std::make_shared<excel::Comment>(m_sheet, m_rect.firstRow, m_rect.firstColumn);
}

void Range::ClearComments()
{
    checkLive();
    SheetData &sheet = m_sheet->data();
    for (auto it = sheet.comments.begin(); it != sheet.comments.end();) {
        int row = int(it->first >> 16), col = int(it->first & 0xFFFF);
        if (row >= m_rect.firstRow && row <= m_rect.lastRow && col >= m_rect.firstColumn &&
            col <= m_rect.lastColumn)
            it = sheet.comments.erase(it);
        else
            ++it;
    }
    m_sheet->markChanged();
}

com::Variant Range::MergeCells() const
{
    checkLive();
    const SheetData &sheet = m_sheet->data();
    std::int64_t covered = 0;
    for (const CellRect &m : sheet.merges) {
        if (!CellStore::intersects(m, m_rect)) continue;
        covered += cellCount(CellRect{
            std::max(m.firstRow, m_rect.firstRow), std::max(m.firstColumn, m_rect.firstColumn),
            std::min(m.lastRow, m_rect.lastRow), std::min(m.lastColumn, m_rect.lastColumn)});
    }
    if (covered == 0) return com::Variant(false);
    if (covered == cellCount(m_rect)) return com::Variant(true);
    return com::Variant::null();
}

void Range::setMergeCells(bool merge)
{
    checkLive();
    SheetData &sheet = m_sheet->data();
    WorkbookData &book = m_sheet->book();
    std::vector<CellRect> kept;
    for (const CellRect &m : sheet.merges)
        if (!CellStore::intersects(m, m_rect)) kept.push_back(m);
    if (merge && cellCount(m_rect) > 1) {
        checkSize(m_rect, *this);
        // only the top-left cell keeps its value, as when merging by hand
        for (int row = m_rect.firstRow;
             row <= std::min<int>(m_rect.lastRow, int(sheet.rows.size())); ++row)
            for (int col = m_rect.firstColumn; col <= m_rect.lastColumn; ++col)
                if (row != m_rect.firstRow || col != m_rect.firstColumn)
                    writeCell(book, sheet, row, col, com::Variant());
        kept.push_back(m_rect);
    }
    sheet.merges = std::move(kept);
    m_sheet->markChanged();
}

Range Range::MergeArea() const
{
    checkLive();
    const CellRect *m = CellStore::mergeAt(m_sheet->data(), m_rect.firstRow, m_rect.firstColumn);
    if (m && m_rect.lastRow <= m->lastRow && m_rect.lastColumn <= m->lastColumn)
        return Range(m_sheet, *m);
    return *this;
}

QString Range::Address(bool rowAbsolute, bool columnAbsolute) const
{
    return CellAddress::address(m_rect, shape(), rowAbsolute, columnAbsolute);
}

Range Range::Rows() const
{
    return Range(m_sheet, m_rect, CountBy::Rows);
}

Range Range::Rows(int index) const
{
    checkLive();
    int row = m_rect.firstRow + index - 1;
    if (row < 1 || row > CellAddress::MaxRows)
        ModelErrors::refuse(
            QStringLiteral("Row %1 of %2 lies outside the sheet.").arg(index).arg(Address()));
    return Range(m_sheet, CellRect{row, m_rect.firstColumn, row, m_rect.lastColumn}, CountBy::Rows);
}

Range Range::Columns() const
{
    return Range(m_sheet, m_rect, CountBy::Columns);
}

Range Range::Columns(int index) const
{
    checkLive();
    int col = m_rect.firstColumn + index - 1;
    if (col < 1 || col > CellAddress::MaxColumns)
        ModelErrors::refuse(
            QStringLiteral("Column %1 of %2 lies outside the sheet.").arg(index).arg(Address()));
    return Range(m_sheet, CellRect{m_rect.firstRow, col, m_rect.lastRow, col}, CountBy::Columns);
}

Range Range::EntireRow() const
{
    return Range(m_sheet, CellRect{m_rect.firstRow, 1, m_rect.lastRow, CellAddress::MaxColumns},
                 CountBy::Rows);
}

Range Range::EntireColumn() const
{
    return Range(m_sheet, CellRect{1, m_rect.firstColumn, CellAddress::MaxRows, m_rect.lastColumn},
                 CountBy::Columns);
}

int Range::Count() const
{
    switch (m_countBy) {
    case CountBy::Rows:
        return m_rect.lastRow - m_rect.firstRow + 1;
    case CountBy::Columns:
        return m_rect.lastColumn - m_rect.firstColumn + 1;
    case CountBy::Cells:
        break;
    }
    std::int64_t n = cellCount(m_rect);
    if (n > 0x7FFFFFFF)
        throw BasicError(
            BasicError::Overflow,
            QStringLiteral("%1 holds %2 cells, more than a Long can count.").arg(Address()).arg(n));
    return int(n);
}

Font Range::Font() const
{
    checkLive();
    return excel::Font(m_sheet, formatTargets());
}

Interior Range::Interior() const
{
    checkLive();
    return excel::Interior(m_sheet, formatTargets());
}

com::Variant Range::RowHeight() const
{
    checkLive();
    const SheetData &sheet = m_sheet->data();
    bool have = false, mixed = false;
    double height = 0;
    auto consider = [&](double h) {
        if (!have) {
            height = h;
            have = true;
        } else if (h != height) {
            mixed = true;
        }
    };
    std::int64_t listed = 0;
    for (auto it = sheet.rowHeights.lower_bound(m_rect.firstRow);
         it != sheet.rowHeights.end() && it->first <= m_rect.lastRow; ++it) {
        consider(it->second);
        ++listed;
    }
    if (listed < m_rect.lastRow - m_rect.firstRow + 1) consider(sheet.defaultRowHeight);
    return mixed ? com::Variant::null() : com::Variant(height);
}

void Range::setRowHeight(double points)
{
    checkLive();
    if (!(points >= 0 && points <= 409.5))
        ModelErrors::refuse(
            QStringLiteral("A row height must lie between 0 and 409.5 points; %1 was given.")
                .arg(points));
    SheetData &sheet = m_sheet->data();
    if (m_rect.firstRow == 1 && m_rect.lastRow == CellAddress::MaxRows) {
        sheet.defaultRowHeight = points;
        sheet.defaultRowHeightSet = true;
        sheet.rowHeights.clear();
    } else {
        for (int row = m_rect.firstRow; row <= m_rect.lastRow; ++row)
            sheet.rowHeights[row] = points;
    }
    m_sheet->markChanged();
}

double Range::Left() const
{
    checkLive();
    return SheetMetrics::left(m_sheet->data(), m_rect.firstColumn);
}

double Range::Top() const
{
    checkLive();
    return SheetMetrics::top(m_sheet->data(), m_rect.firstRow);
}

double Range::Width() const
{
    checkLive();
    const SheetData &sheet = m_sheet->data();
    return SheetMetrics::left(sheet, m_rect.lastColumn + 1) -
           SheetMetrics::left(sheet, m_rect.firstColumn);
}

double Range::Height() const
{
    checkLive();
    const SheetData &sheet = m_sheet->data();
    return SheetMetrics::top(sheet, m_rect.lastRow + 1) - SheetMetrics::top(sheet, m_rect.firstRow);
}

namespace {

// The last row that holds a value, a formula or a comment; 0 when none does. Formats alone do
// not count: a blank formatted cell may be pushed on.
int lastFilledRow(const SheetData &sheet)
{
    int last = 0;
    for (std::size_t i = sheet.rows.size(); i-- > 0 && !last;)
        for (const Cell &c : sheet.rows[i])
            if (c.kind() != CellKind::Blank || c.hasFormula) {
                last = int(i + 1);
                break;
            }
    if (!sheet.comments.empty()) last = std::max(last, int(sheet.comments.rbegin()->first >> 16));
    return last;
}

} // namespace

void Range::Insert()
{
    checkLive();
    if (shape() != CellAddress::Kind::WholeRows)
        ModelErrors::refuse(
            QStringLiteral("Only whole rows can be inserted (%1 is not); use EntireRow.")
                .arg(Address()));
    const int count = m_rect.lastRow - m_rect.firstRow + 1;
    // A sheet whose data fits the comparison grid stays inside it, so that what is compared and
    // shown is never pushed out of reach; a sheet that already reaches beyond it is limited
    // by the file format only.
    const int filled = lastFilledRow(m_sheet->data());
    if (filled >= m_rect.firstRow && filled <= CellAddress::GridRows &&
        filled + count > CellAddress::GridRows)
        ModelErrors::refuse(QStringLiteral("Cannot insert %1 rows at row %2 of sheet \"%3\": "
                                           "row %4 holds data that would be pushed past row %5.")
                                .arg(count)
                                .arg(m_rect.firstRow)
                                .arg(m_sheet->Name())
                                .arg(filled)
                                .arg(CellAddress::GridRows));
    if (!CellStore::insertRows(m_sheet->book(), m_sheet->data(), m_rect.firstRow, count))
        ModelErrors::refuse(QStringLiteral("Cannot insert %1 rows at row %2 of sheet \"%3\": "
                                           "filled cells would be pushed past the last row (%4).")
                                .arg(count)
                                .arg(m_rect.firstRow)
                                .arg(m_sheet->Name())
                                .arg(CellAddress::MaxRows));
    m_sheet->markChanged();
    m_sheet->fireChange(*this);
}

void Range::Delete()
{
    checkLive();
    if (shape() != CellAddress::Kind::WholeRows)
        ModelErrors::refuse(
            QStringLiteral("Only whole rows can be deleted (%1 is not); use EntireRow.")
                .arg(Address()));
    CellStore::deleteRows(m_sheet->book(), m_sheet->data(), m_rect.firstRow,
                          m_rect.lastRow - m_rect.firstRow + 1);
    m_sheet->markChanged();
    m_sheet->fireChange(*this);
}

void Range::Select() const
{
    checkLive();
    m_sheet->Activate();
    m_sheet->setSelection(*this);
}

void Range::Activate() const
{
    Select();
}

bool Range::operator==(const Range &o) const
{
    return m_sheet == o.m_sheet && m_rect.firstRow == o.m_rect.firstRow &&
           m_rect.lastRow == o.m_rect.lastRow && m_rect.firstColumn == o.m_rect.firstColumn &&
           m_rect.lastColumn == o.m_rect.lastColumn;
}

} // namespace excel
