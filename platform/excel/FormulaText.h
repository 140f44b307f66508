#pragma once

#include <QString>
#include <functional>

namespace excel {

// Cell references inside A1-style formula texts: shifting relative references when a shared
// formula is expanded to its cells, and moving references when rows are inserted or deleted.
class FormulaText
{
public:
    // One end of a reference. A whole-column reference has row 0, a whole-row reference
    // column 0. The mover sets *ok to false for a reference that falls off the sheet.
    struct Ref
    {
        int row = 0;
        int column = 0;
        bool rowAbsolute = false;
        bool columnAbsolute = false;
    };
    using Mover = std::function<Ref(const Ref &ref, bool *ok)>;

    // Which references a move applies to.
    enum class Scope {
        All,        // every reference
        OwnSheet,   // references without a sheet prefix or with the given sheet's name
        OtherSheet, // only references prefixed with the given sheet's name
    };

    // Applies the mover to every cell, row and column reference outside string literals and
    // quoted sheet names; a range whose end falls off becomes #REF!.
    static QString moveReferences(const QString &formula, const Mover &mover,
                                  Scope scope = Scope::All, const QString &sheetName = QString());

    // A shared formula's text as seen from a cell dRows rows and dColumns columns away from the
    // cell that holds the text: relative references move, absolute ones stay.
    static QString shift(const QString &formula, int dRows, int dColumns);
    // Where the text or quoted sheet name opened by the quote at `open` ends: the index of its
    // closing quote (a doubled quote stands for one), or the formula's length when it never does.
    static qsizetype closingQuote(QStringView formula, qsizetype open);

    // References into rows at or after `row` move by `count` (negative: deleted rows; a
    // reference into a deleted row becomes #REF!). The scope says whether the formula lives on
    // the sheet whose rows move (OwnSheet) or on another sheet (OtherSheet).
    static QString insertRows(const QString &formula, int row, int count, Scope scope,
                              const QString &sheetName);
};

} // namespace excel
