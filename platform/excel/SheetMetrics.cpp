#include "platform/excel/SheetMetrics.h"

#include <algorithm>
#include <cmath>

namespace excel {

namespace {
constexpr double kDigitPixels = 7.0;
constexpr double kPointsPerPixel = 0.75; // at 96 dots per inch
} // namespace

double SheetMetrics::rowHeight(const SheetData &sheet, int row)
{
    auto it = sheet.rowHeights.find(row);
    return it == sheet.rowHeights.end() ? sheet.defaultRowHeight : it->second;
}

double SheetMetrics::columnWidth(const SheetData &sheet, int column)
{
    auto it = sheet.columnWidths.find(column);
    return it == sheet.columnWidths.end() ? sheet.defaultColumnWidth : it->second;
}

double SheetMetrics::top(const SheetData &sheet, int row)
{
    double points = double(row - 1) * sheet.defaultRowHeight;
    for (auto it = sheet.rowHeights.begin(); it != sheet.rowHeights.end() && it->first < row; ++it)
        points += it->second - sheet.defaultRowHeight;
    return points;
}

double SheetMetrics::left(const SheetData &sheet, int column)
{
    double points = double(column - 1) * sheet.defaultColumnWidth;
    for (auto it = sheet.columnWidths.begin(); it != sheet.columnWidths.end() && it->first < column;
         ++it)
        points += it->second - sheet.defaultColumnWidth;
    return points;
}

void SheetMetrics::gridExtent(const SheetData &sheet, int *rows, int *columns)
{
    int lastColumn = 0;
    for (const auto &row : sheet.rows)
        if (!row.empty()) lastColumn = std::max<int>(lastColumn, row.back().column);
    for (const CellRect &m : sheet.merges)
        lastColumn = std::max(lastColumn, m.lastColumn);
    *rows = std::max<int>(StandardRows, int(sheet.rows.size()));
    *columns = std::max(StandardColumns, lastColumn);
}

double SheetMetrics::pointsOfCharacterWidth(double characters)
{
    const double pixels =
        std::floor((256.0 * characters + std::floor(128.0 / kDigitPixels)) / 256.0 * kDigitPixels);
    return std::max(0.0, pixels) * kPointsPerPixel;
}

double SheetMetrics::pointsOfBaseWidth(int characters)
{
    const double pixels = std::ceil((characters * kDigitPixels + 5.0) / 8.0) * 8.0;
    return pixels * kPointsPerPixel;
}

} // namespace excel
