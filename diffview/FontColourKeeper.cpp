#include "diffview/FontColourKeeper.h"

#include "platform/excel/Font.h"
#include "platform/excel/Range.h"
#include "platform/excel/Worksheet.h"
#include "platform/text/BasicError.h"

#include <algorithm>

namespace {

constexpr int RedIndex = 3;
constexpr int AutomaticIndex = -4105;

excel::Range rowPart(const FontColourKeeper::SheetRef &sheet, int row, int first, int last)
{
    return sheet->Range(sheet->Cells(row, first), sheet->Cells(row, last));
}

bool isRed(const com::Variant &index)
{
    return !index.isNull() && index.toLong() == RedIndex;
}

} // namespace

void FontColourKeeper::remember(const SheetRef &sheet, int row, int first, int last,
                                std::vector<Span> &into)
{
    const excel::Font font = rowPart(sheet, row, first, last).Font();
    const com::Variant index = font.ColorIndex();
    const com::Variant colour = font.Color();
    if (!index.isNull() && !colour.isNull()) {
        into.push_back(Span{first, last, index.toLong(), qint64(colour.toDouble())});
        return;
    }
    // Cells of different colours: one span per run of equal colour.
    const std::size_t start = into.size();
    for (int column = first; column <= last; ++column) {
        const excel::Font cell = sheet->Cells(row, column).Font();
        const Span one{column, column, cell.ColorIndex().toLong(), qint64(cell.Color().toDouble())};
        if (into.size() > start && into.back().last == column - 1 &&
            into.back().colorIndex == one.colorIndex && into.back().colour == one.colour)
            into.back().last = column;
        else
            into.push_back(one);
    }
}

void FontColourKeeper::paintRed(const SheetRef &sheet, int row, int firstColumn, int lastColumn)
{
    if (!sheet || firstColumn > lastColumn || firstColumn < 1) return;
    std::vector<Span> added;
    auto found = m_rows.find(row);
    int next = firstColumn; // the first column not yet looked at
    if (found != m_rows.end())
        for (const Span &s : found->second) {
            if (s.last < next) continue;
            if (s.first > lastColumn) break;
            if (s.first > next) remember(sheet, row, next, s.first - 1, added);
            next = s.last + 1;
        }
    if (next <= lastColumn) remember(sheet, row, next, lastColumn, added);
    excel::Font font = rowPart(sheet, row, firstColumn, lastColumn).Font();
    // Marks are drawn again and again; cells that are red already are left alone, so that the
    // workbook does not count as changed each time.
    if (added.empty() && isRed(font.ColorIndex())) return;
    font.setColorIndex(RedIndex);
    if (added.empty()) return;
    std::vector<Span> &spans = m_rows[row];
    spans.insert(spans.end(), added.begin(), added.end());
    std::sort(spans.begin(), spans.end(),
              [](const Span &a, const Span &b) { return a.first < b.first; });
}

void FontColourKeeper::restore(const SheetRef &sheet)
{
    if (sheet) {
        auto giveBack = [](const excel::Range &range, const Span &s) {
            excel::Font font = range.Font();
            if (s.colorIndex == AutomaticIndex || (s.colorIndex >= 1 && s.colorIndex <= 56)) {
                font.setColorIndex(s.colorIndex);
                if (s.colorIndex == AutomaticIndex) return;
            }
            // the palette holds the nearest colour; the cell had this one exactly
            if (qint64(font.Color().toDouble()) != s.colour) font.setColor(std::int32_t(s.colour));
        };
        for (const auto &[row, spans] : m_rows)
            for (const Span &s : spans) {
                try {
                    const excel::Range part = rowPart(sheet, row, s.first, s.last);
                    const com::Variant now = part.Font().ColorIndex();
                    if (!now.isNull()) {
                        if (isRed(now)) giveBack(part, s);
                        continue;
                    }
                    for (int column = s.first; column <= s.last; ++column) {
                        const excel::Range cell = sheet->Cells(row, column);
                        if (isRed(cell.Font().ColorIndex())) giveBack(cell, s);
                    }
                } catch (const BasicError &) {
                    // a cell that cannot be reached keeps the colour it has
                }
            }
    }
    m_rows.clear();
}
