#include "platform/excel/CellStore.h"

#include "platform/excel/CellAddress.h"
#include "platform/excel/FormulaText.h"
#include "platform/excel/ModelErrors.h"

#include <algorithm>

namespace excel {

const Cell *CellStore::find(const SheetData &sheet, int row, int column)
{
    if (row < 1 || std::size_t(row) > sheet.rows.size()) return nullptr;
    return sheet.rows[std::size_t(row - 1)].find(std::uint32_t(column));
}

const QString *CellStore::formula(const SheetData &sheet, int row, const Cell &cell)
{
    if (!cell.hasFormula || row < 1 || std::size_t(row) > sheet.rows.size()) return nullptr;
    const std::int32_t index = sheet.rows[std::size_t(row - 1)].formulaOf(cell);
    return index >= 0 && std::size_t(index) < sheet.formulas.size()
               ? &sheet.formulas[std::size_t(index)]
               : nullptr;
}

Cell *CellStore::find(SheetData &sheet, int row, int column)
{
    return const_cast<Cell *>(find(static_cast<const SheetData &>(sheet), row, column));
}

Cell &CellStore::obtain(SheetData &sheet, int row, int column)
{
    if (std::size_t(row) > sheet.rows.size()) sheet.rows.resize(std::size_t(row));
    CellRow &cells = sheet.rows[std::size_t(row - 1)];
    auto it = cells.lowerBound(std::uint32_t(column));
    if (it != cells.end() && it->column == std::uint32_t(column)) return *it;
    Cell cell;
    cell.column = std::uint16_t(column);
    return *cells.insert(it, cell);
}

void CellStore::erase(SheetData &sheet, int row, int column)
{
    if (row < 1 || std::size_t(row) > sheet.rows.size()) return;
    CellRow &cells = sheet.rows[std::size_t(row - 1)];
    auto it = cells.lowerBound(std::uint32_t(column));
    if (it == cells.end() || it->column != std::uint32_t(column)) return;
    cells.setFormula(*it, -1);
    cells.erase(it);
}

com::Variant CellStore::value(const WorkbookData &book, const Cell &cell)
{
    switch (cell.kind()) {
    case CellKind::Number:
        if (cell.style < book.styles.size() && book.styles[cell.style].isDate)
            return com::Variant::fromDate(cell.number() + (book.date1904 ? 1462.0 : 0.0));
        return com::Variant(cell.number());
    case CellKind::String:
        return cell.string() < book.strings.size() ? com::Variant(book.strings[cell.string()])
                                                   : com::Variant(QString());
    case CellKind::Boolean:
        return com::Variant(cell.boolean());
    case CellKind::Error:
        return com::Variant::fromError(cell.error());
    case CellKind::Blank:
        break;
    }
    return com::Variant();
}

com::Variant CellStore::value(const WorkbookData &book, const SheetData &sheet, int row, int column)
{
    const Cell *cell = find(sheet, row, column);
    return cell ? value(book, *cell) : com::Variant();
}

bool CellStore::usedArea(const SheetData &sheet, CellRect *area)
{
    int firstRow = 0, lastRow = 0, firstColumn = 0, lastColumn = 0;
    auto take = [&](int r1, int c1, int r2, int c2) {
        if (!firstRow) {
            firstRow = r1, lastRow = r2, firstColumn = c1, lastColumn = c2;
            return;
        }
        firstRow = std::min(firstRow, r1);
        lastRow = std::max(lastRow, r2);
        firstColumn = std::min(firstColumn, c1);
        lastColumn = std::max(lastColumn, c2);
    };
    for (std::size_t i = 0; i < sheet.rows.size(); ++i) {
        const std::vector<Cell> &cells = sheet.rows[i];
        if (!cells.empty()) take(int(i + 1), cells.front().column, int(i + 1), cells.back().column);
    }
    for (const auto &[key, comment] : sheet.comments) {
        int r = int(key >> 16), c = int(key & 0xFFFF);
        take(r, c, r, c);
    }
    for (const CellRect &m : sheet.merges)
        take(m.firstRow, m.firstColumn, m.lastRow, m.lastColumn);
    if (!firstRow) return false;
    *area = CellRect{firstRow, firstColumn, lastRow, lastColumn};
    return true;
}

const CellRect *CellStore::mergeAt(const SheetData &sheet, int row, int column)
{
    for (const CellRect &m : sheet.merges)
        if (row >= m.firstRow && row <= m.lastRow && column >= m.firstColumn &&
            column <= m.lastColumn)
            return &m;
    return nullptr;
}

namespace {

void adjustFormulas(WorkbookData &book, SheetData &sheet, int row, int count)
{
    for (auto &other : book.sheets) {
        bool own = other.get() == &sheet;
        bool changed = false;
        for (QString &f : other->formulas) {
            QString moved = FormulaText::insertRows(
                f, row, count, own ? FormulaText::Scope::OwnSheet : FormulaText::Scope::OtherSheet,
                sheet.name);
            if (moved != f) {
                f = moved;
                changed = true;
            }
        }
        if (changed) other->modified = true;
    }
}

} // namespace

bool CellStore::insertRows(WorkbookData &book, SheetData &sheet, int row, int count)
{
    if (count <= 0 || row < 1 || row > CellAddress::MaxRows) return count == 0;
    // what would pass the last row: cells, comments, merged areas
    const int limit = CellAddress::MaxRows - count; // rows above this may still move
    for (std::size_t i = std::size_t(std::max(limit, row - 1)); i < sheet.rows.size(); ++i)
        if (!sheet.rows[i].empty()) return false;
    for (const auto &[key, c] : sheet.comments)
        if (int(key >> 16) >= row && int(key >> 16) > limit) return false;
    for (const CellRect &m : sheet.merges)
        if (m.lastRow >= row && m.lastRow > limit) return false;

    if (std::size_t(row - 1) < sheet.rows.size())
        sheet.rows.insert(sheet.rows.begin() + (row - 1), std::size_t(count), CellRow());
    std::map<std::uint64_t, CellComment> comments;
    for (auto &[key, c] : sheet.comments) {
        int r = int(key >> 16), col = int(key & 0xFFFF);
        comments[SheetData::commentKey(r >= row ? r + count : r, col)] = std::move(c);
    }
    sheet.comments = std::move(comments);
    for (CellRect &m : sheet.merges) {
        if (m.firstRow >= row) m.firstRow += count;
        if (m.lastRow >= row) m.lastRow += count;
    }
    std::map<int, double> heights;
    for (const auto &[r, h] : sheet.rowHeights)
        heights[r >= row ? r + count : r] = h;
    sheet.rowHeights = std::move(heights);
    adjustFormulas(book, sheet, row, count);
    sheet.rowMoves.push_back(RowMove{row, count});
    sheet.modified = true;
    return true;
}

void CellStore::deleteRows(WorkbookData &book, SheetData &sheet, int row, int count)
{
    if (count <= 0 || row < 1) return;
    const int last = row + count - 1;
    if (std::size_t(row - 1) < sheet.rows.size()) {
        std::size_t end = std::min(sheet.rows.size(), std::size_t(last));
        sheet.rows.erase(sheet.rows.begin() + (row - 1), sheet.rows.begin() + std::ptrdiff_t(end));
    }
    std::map<std::uint64_t, CellComment> comments;
    for (auto &[key, c] : sheet.comments) {
        int r = int(key >> 16), col = int(key & 0xFFFF);
        if (r < row)
            comments[key] = std::move(c);
        else if (r > last)
            comments[SheetData::commentKey(r - count, col)] = std::move(c);
    }
    sheet.comments = std::move(comments);
    std::vector<CellRect> merges;
    for (CellRect m : sheet.merges) {
        auto moveRow = [&](int r, bool first) {
            if (r < row) return r;
            if (r > last) return r - count;
            return first ? row : row - 1; // inside the deleted rows
        };
        m.firstRow = moveRow(m.firstRow, true);
        m.lastRow = moveRow(m.lastRow, false);
        if (m.lastRow >= m.firstRow && (m.lastRow > m.firstRow || m.lastColumn > m.firstColumn))
            merges.push_back(m);
    }
    sheet.merges = std::move(merges);
    std::map<int, double> heights;
    for (const auto &[r, h] : sheet.rowHeights)
        if (r < row || r > last) heights[r > last ? r - count : r] = h;
    sheet.rowHeights = std::move(heights);
    adjustFormulas(book, sheet, row, -count);
    sheet.rowMoves.push_back(RowMove{row, -count});
    sheet.modified = true;
}

std::uint32_t CellStore::deriveStyle(WorkbookData &book, std::uint32_t base,
                                     const std::function<void(CellStyle &)> &change)
{
    if (base >= book.styles.size()) base = 0;
    CellStyle wanted = book.styles[base];
    change(wanted);
    if (wanted.sameFormat(book.styles[base])) return base;
    const CellStyle &b = book.styles[base];
    wanted.derivedFrom = b.sourceIndex >= 0 ? b.sourceIndex : b.derivedFrom;
    wanted.sourceIndex = -1;
    for (std::size_t i = 0; i < book.styles.size(); ++i) {
        const CellStyle &s = book.styles[i];
        bool sameBase = s.sourceIndex >= 0 ? s.sourceIndex == wanted.derivedFrom
                                           : s.derivedFrom == wanted.derivedFrom;
        if (sameBase && s.sameFormat(wanted)) return std::uint32_t(i);
    }
    if (book.styles.size() >= Cell::MaxStyles)
        ModelErrors::refuse(
            QStringLiteral("A workbook can hold at most %1 cell formats.").arg(Cell::MaxStyles));
    book.styles.push_back(wanted);
    return std::uint32_t(book.styles.size() - 1);
}

std::uint32_t CellStore::addString(WorkbookData &book, const QString &text)
{
    book.strings.push_back(text);
    return std::uint32_t(book.strings.size() - 1);
}

} // namespace excel
