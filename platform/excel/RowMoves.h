#pragma once

#include "platform/excel/FormulaText.h"
#include "platform/excel/SheetData.h"

#include <QByteArray>
#include <QString>
#include <vector>

namespace pugi {
class xml_document;
}

namespace excel {

// What the rows inserted and deleted in a sheet since it was read do to the row numbers that a
// save keeps from its file: the attributes of its rows, its array formulas, the references of
// its sheet part outside the cell data (hyperlinks, validations, conditional formats, filters,
// selections, row breaks, tables; a frozen pane stays where it is) and those of the workbook's
// defined names. Without this they would stay on the row numbers they had and land on other rows.
class RowMoves
{
public:
    explicit RowMoves(const std::vector<RowMove> &moves) : m_moves(moves) {}

    bool empty() const { return m_moves.empty(); }
    // The row an original row is at now; 0 when it was deleted.
    int row(int original) const;
    // The rows of an original range now; false when every one of them was deleted.
    bool rows(int *first, int *last) const;
    // A list of cell references and ranges separated by blanks ("A1:B5 $C$7"), as a sheet part
    // writes them, with their rows moved; a range deleted whole is left out, whole columns stay.
    QByteArray references(const QByteArray &list) const;
    // A formula's references into the sheet moved; one into a deleted row becomes #REF!.
    QString formula(const QString &text, FormulaText::Scope scope, const QString &sheetName) const;
    // A sheet part's XML before and after its cell data (head and tail, as the splice cuts
    // them) with every reference moved. False when the two do not make a part that parses.
    bool sheetXml(QByteArray *head, QByteArray *tail, const QString &sheetName) const;
    // A part of the sheet's own (a table) with its references moved; false when it does not
    // parse.
    bool partXml(QByteArray *xml, const QString &sheetName) const;

private:
    // Moves the references of a parsed part; true when anything changed.
    bool moveTree(pugi::xml_document &doc, const QString &sheetName) const;

    const std::vector<RowMove> &m_moves;
};

} // namespace excel
