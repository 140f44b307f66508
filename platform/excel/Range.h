#pragma once

#include "platform/com/Variant.h"
#include "platform/com/VariantArray.h"
#include "platform/excel/CellAddress.h"
#include "platform/excel/Comment.h"
#include "platform/excel/Font.h"
#include "platform/excel/Interior.h"
#include "platform/excel/SheetData.h"

#include <QString>
#include <memory>

namespace excel {

class Worksheet;

// A rectangle of cells on a worksheet. Ranges are values; they read and write the worksheet's
// cell store when their members are called, so they see later changes.
class Range
{
public:
    // What Count counts.
    enum class CountBy { Cells, Rows, Columns };

    Range() = default;
    Range(std::shared_ptr<excel::Worksheet> sheet, const CellRect &rect,
          CountBy countBy = CountBy::Cells);

    bool isNull() const { return !m_sheet; }
    std::shared_ptr<excel::Worksheet> Worksheet() const { return m_sheet; }
    const CellRect &rect() const { return m_rect; }

    // The default member: the cell at (row, column) counted from this range's top-left cell.
    Range operator()(int row, int column) const { return Cells(row, column); }
    Range Item(int row, int column) const { return Cells(row, column); }
    Range Cells(int row, int column) const;
    Range Cells() const;

    // One cell: its value (a formula gives its cached result, a number in a date format a
    // Date, an empty cell or a covered cell of a merged area Empty). A block: a 2-D array
    // (1..rows, 1..columns) of such values.
    com::Variant Value() const;
    // A scalar fills the range; an array fills it cell by cell (cells beyond a smaller array
    // get #N/A). Texts are stored as texts, never as formulas. Empty clears values.
    void setValue(const com::Variant &value);
    // "=..." for a formula, the constant as text otherwise ("TRUE", "#N/A", "1.5"), "" for an
    // empty cell; the top-left cell's for a block.
    QString Formula() const;
    // Text beginning with "=" becomes a formula (its cached result is the cell's value until
    // the file is recalculated); other text is entered as a constant: a number, TRUE/FALSE,
    // an error text, or text. A block gets the formula with relative references moved per cell.
    void setFormula(const QString &formula);
    // Removes values and formulas, keeps formats and comments.
    void ClearContents();

    // The top-left cell's comment, null when it has none.
    std::shared_ptr<excel::Comment> Comment() const;
    // Raises 1004 when the cell has a comment already.
    std::shared_ptr<excel::Comment> AddComment(const QString &text = QString());
    void ClearComments();

    // True when every cell lies in a merged area, False when none does, Null when mixed.
    com::Variant MergeCells() const;
    void setMergeCells(bool merge);
    // The merged area that holds the top-left cell (when the range lies inside it), else the
    // range itself.
    Range MergeArea() const;

    // "$C$5", "$A$1:$C$5", "$3:$4" for whole rows, "$A:$C" for whole columns.
    QString Address(bool rowAbsolute = true, bool columnAbsolute = true) const;
    Range Rows() const;
    Range Rows(int index) const;
    Range Columns() const;
    Range Columns(int index) const;
    Range EntireRow() const;
    Range EntireColumn() const;
    // Rows for Rows and EntireRow, columns for Columns and EntireColumn, cells otherwise
    // (raises 6 beyond 2^31 - 1).
    int Count() const;
    int Row() const { return m_rect.firstRow; }
    int Column() const { return m_rect.firstColumn; }

    excel::Font Font() const;
    excel::Interior Interior() const;

    // The rows' height in points; Null when they differ.
    com::Variant RowHeight() const;
    // 0 to 409 points; other values raise.
    void setRowHeight(double points);
    // Where the range lies on its sheet, in points from the top-left corner of A1, and its size.
    double Left() const;
    double Top() const;
    double Width() const;
    double Height() const;

    // Inserts (or deletes) the range's rows: cells, comments, merged areas, row heights and
    // formula references shift. Inserting raises when filled cells would pass the last row, or
    // row 65,536 on a sheet whose values, formulas and comments all lie within it.
    void Insert();
    void Delete();

    void Select() const;
    void Activate() const;

    bool operator==(const Range &o) const;

private:
    // The cells a format change reaches: whole rows stop at the wider of the used area and
    // the comparison grid, whole columns at the used area.
    CellRect formatTargets() const;
    void checkLive() const;
    CellAddress::Kind shape() const;

    std::shared_ptr<excel::Worksheet> m_sheet;
    CellRect m_rect{1, 1, 1, 1};
    CountBy m_countBy = CountBy::Cells;
};

} // namespace excel
