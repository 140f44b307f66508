#include "core/ModCommon.h"

#include "core/TextRules.h"
#include "platform/text/AnsiText.h"
#include "platform/text/BasicError.h"
#include "platform/text/BasicText.h"
#include "platform/text/ColumnLetters.h"
#include "platform/win/MessageBox.h"

#include <cmath>
#include <utility>

namespace ModCommon {

namespace {

bool isAsciiDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// The number of GetNumberInString, rounded but kept as a double so that comparing two long
// digit runs cannot overflow.
double numberInString(const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i)
        if (isAsciiDigit(text.at(i))) return BasicText::roundHalfEven(BasicText::val(text.mid(i)));
    return -1;
}

void checkLast(qsizetype size, int last)
{
    if (last >= size)
        throw BasicError(
            BasicError::SubscriptOutOfRange,
            QStringLiteral("Subscript out of range: sort up to index %1 of %2 elements")
                .arg(last)
                .arg(size));
}

} // namespace

int UBoundStrArray(const QStringList &array)
{
    return int(array.size()) - 1;
}

int UBoundLongArray(const QList<int> &array)
{
    return int(array.size()) - 1;
}

bool SplitOnce(const QString &text, const QString &separator, QString &left, QString &right)
{
    qsizetype at = text.indexOf(separator, 0, Qt::CaseSensitive);
    if (at < 0) return false;
    left = text.left(at);
    right = text.mid(at + separator.size());
    return true;
}

int GetNumberInString(const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i)
        if (isAsciiDigit(text.at(i))) return TextRules::toLong(BasicText::val(text.mid(i)), text);
    return -1;
}

bool IsStrLess(const QString &a, const QString &b)
{
    if (a.size() != b.size()) return a.size() < b.size();
    for (qsizetype i = 0; i < a.size(); ++i) {
        QChar ca = a.at(i), cb = b.at(i);
        if (isAsciiDigit(ca) && isAsciiDigit(cb)) {
            double na = numberInString(a), nb = numberInString(b);
            if (na != nb) return na < nb;
        } else if (ca != cb) {
            return ca.unicode() < cb.unicode();
        }
    }
    return false;
}

void SortStrArray(QStringList &array, int last)
{
    checkLast(array.size(), last);
    for (int n = 0; n <= last; ++n) {
        int m = n;
        for (int i = n + 1; i <= last; ++i)
            if (IsStrLess(array.at(i), array.at(m))) m = i;
        if (m != n) array.swapItemsAt(n, m);
    }
}

void SortLongArray(QList<int> &array, int last)
{
    checkLast(array.size(), last);
    for (int n = 0; n <= last; ++n) {
        int m = n;
        for (int i = n + 1; i <= last; ++i)
            if (array.at(i) < array.at(m)) m = i;
        if (m != n) array.swapItemsAt(n, m);
    }
}

int ShowMsg(const QString &prompt, int buttons, const QString &title)
{
    return win::MsgBox(prompt, buttons, title);
}

bool IsStrArrayEmpty(const QStringList &array)
{
    for (const QString &s : array)
        if (!s.isEmpty()) return false;
    return true;
}

int MinLong(int a, int b)
{
    return a < b ? a : b;
}

int MaxLong(int a, int b)
{
    return a > b ? a : b;
}

QString PadToWidth(const QString &text, int width)
{
    int bytes = AnsiText::byteLength(text);
    if (bytes >= width) return text;
    return text + QString(width - bytes, QLatin1Char(' '));
}

QString GetColumnLetter(int column)
{
    // Two letters at most, unlike the sheet addresses ("ZZ" is the last).
    if (column < 1 || column > 702) return QString();
    return ColumnLetters::fromNumber(column);
}

int ColumnLetterToNumber(const QString &text)
{
    QString t = TextRules::trimBlanks(text);
    if (t.isEmpty())
        throw BasicError(BasicError::InvalidCall,
                         QStringLiteral("Invalid procedure call or argument: empty column name"));
    if (t.size() > 2) return 0;
    // Only the letters A to Z (either case) name a column: "A1" is not column K, and no letter
    // may grow when upper-cased ("ß").
    return ColumnLetters::toNumber(t);
}

int ParseColumn(const QString &text)
{
    double v;
    if (TextRules::parsePlainNumber(text, &v)) return TextRules::toLong(v, text);
    return ColumnLetterToNumber(text);
}

} // namespace ModCommon
