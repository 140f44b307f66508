#include "platform/excel/CellAddress.h"

#include "platform/text/ColumnLetters.h"

#include <algorithm>

namespace excel {

static_assert(CellAddress::MaxColumns == ColumnLetters::MaxColumn);

QString CellAddress::columnLetters(int column)
{
    return ColumnLetters::fromNumber(column);
}

int CellAddress::columnNumber(QStringView letters)
{
    return ColumnLetters::toNumber(letters);
}

namespace {

// Splits "$AB$12" into its column part and its row part; either may be empty.
void splitRef(QStringView text, QStringView *letters, QStringView *digits)
{
    qsizetype i = 0;
    if (i < text.size() && text[i] == u'$') ++i;
    qsizetype ls = i;
    while (i < text.size() && text[i].isLetter() && text[i].unicode() < 128)
        ++i;
    *letters = text.mid(ls, i - ls);
    if (i < text.size() && text[i] == u'$' && !letters->isEmpty()) ++i;
    *digits = text.mid(i);
}

bool parseRow(QStringView digits, int *row)
{
    if (digits.isEmpty() || digits.size() > 7) return false;
    int n = 0;
    for (QChar c : digits) {
        if (c < u'0' || c > u'9') return false;
        n = n * 10 + (c.unicode() - u'0');
    }
    if (n < 1 || n > CellAddress::MaxRows) return false;
    *row = n;
    return true;
}

} // namespace

bool CellAddress::parseCell(QStringView text, int *row, int *column)
{
    QStringView letters, digits;
    splitRef(text.trimmed(), &letters, &digits);
    int c = columnNumber(letters);
    int r = 0;
    if (c == 0 || !parseRow(digits, &r)) return false;
    *row = r;
    *column = c;
    return true;
}

bool CellAddress::parseCell(const char *text, std::size_t length, int *row, int *column)
{
    std::size_t i = 0;
    int c = 0;
    while (i < length && i < 3) {
        char ch = text[i];
        if (ch >= 'A' && ch <= 'Z')
            c = c * 26 + (ch - 'A' + 1);
        else if (ch >= 'a' && ch <= 'z')
            c = c * 26 + (ch - 'a' + 1);
        else
            break;
        ++i;
    }
    if (i == 0 || c > MaxColumns) return false;
    std::size_t digitsStart = i;
    int r = 0;
    while (i < length && text[i] >= '0' && text[i] <= '9' && i - digitsStart < 8)
        r = r * 10 + (text[i++] - '0');
    if (i != length || i == digitsStart || r < 1 || r > MaxRows) return false;
    *row = r;
    *column = c;
    return true;
}

bool CellAddress::parseRange(QStringView text, CellRect *rect, Kind *kind)
{
    text = text.trimmed();
    qsizetype colon = text.indexOf(u':');
    QStringView a = colon < 0 ? text : text.left(colon);
    QStringView b = colon < 0 ? text : text.mid(colon + 1);
    QStringView la, da, lb, db;
    splitRef(a, &la, &da);
    splitRef(b, &lb, &db);
    int r1 = 0, r2 = 0, c1 = 0, c2 = 0;
    Kind k;
    if (!la.isEmpty() && !da.isEmpty() && !lb.isEmpty() && !db.isEmpty()) {
        c1 = columnNumber(la);
        c2 = columnNumber(lb);
        if (!c1 || !c2 || !parseRow(da, &r1) || !parseRow(db, &r2)) return false;
        k = Kind::Cells;
    } else if (colon >= 0 && la.isEmpty() && lb.isEmpty()) {
        if (!parseRow(da, &r1) || !parseRow(db, &r2)) return false;
        c1 = 1;
        c2 = MaxColumns;
        k = Kind::WholeRows;
    } else if (colon >= 0 && da.isEmpty() && db.isEmpty()) {
        c1 = columnNumber(la);
        c2 = columnNumber(lb);
        if (!c1 || !c2) return false;
        r1 = 1;
        r2 = MaxRows;
        k = Kind::WholeColumns;
    } else {
        return false;
    }
    rect->firstRow = std::min(r1, r2);
    rect->lastRow = std::max(r1, r2);
    rect->firstColumn = std::min(c1, c2);
    rect->lastColumn = std::max(c1, c2);
    if (kind) *kind = k;
    return true;
}

QString CellAddress::address(const CellRect &rect, Kind kind, bool rowAbsolute, bool columnAbsolute)
{
    const QString rd = rowAbsolute ? QStringLiteral("$") : QString();
    const QString cd = columnAbsolute ? QStringLiteral("$") : QString();
    if (kind == Kind::WholeRows)
        return rd + QString::number(rect.firstRow) + u':' + rd + QString::number(rect.lastRow);
    if (kind == Kind::WholeColumns)
        return cd + columnLetters(rect.firstColumn) + u':' + cd + columnLetters(rect.lastColumn);
    QString first = cd + columnLetters(rect.firstColumn) + rd + QString::number(rect.firstRow);
    if (rect.firstRow == rect.lastRow && rect.firstColumn == rect.lastColumn) return first;
    return first + u':' + cd + columnLetters(rect.lastColumn) + rd + QString::number(rect.lastRow);
}

} // namespace excel
