#pragma once

#include <QString>
#include <QStringView>

// Column numbers and their letters: 1 is "A", 26 "Z", 27 "AA", 702 "ZZ", 16384 "XFD". A unit of
// its own, free of the spreadsheet component, so that code without workbooks (the core, the
// windowless programs) can name columns without linking it.
class ColumnLetters
{
public:
    // The last column that three letters can name in a workbook ("XFD").
    static constexpr int MaxColumn = 16384;

    // The letters of a column; "" outside 1..MaxColumn.
    static QString fromNumber(int column);
    // The column of one to three letters A-Z (either case); 0 for any other text and for
    // letters beyond MaxColumn.
    static int toNumber(QStringView letters);
};
