#include "core/ModString.h"

#include "core/TextRules.h"
#include "platform/text/AnsiText.h"
#include "platform/text/BasicError.h"

#include <QSet>

namespace ModString {

int GetAnsiByteLength(const QString &text)
{
    return AnsiText::byteLength(text);
}

QString NextNumberedName(const QString &text)
{
    qsizetype at = text.lastIndexOf(QLatin1Char('_'));
    double n;
    if (at < 0 || !TextRules::parsePlainNumber(text.mid(at + 1), &n))
        return text + QStringLiteral("_1");
    return text.left(at) + QLatin1Char('_') + QString::number(TextRules::toLong(n + 1, text));
}

QString ExtractBetween(const QString &text, const QString &first, const QString &second,
                       const QString &third)
{
    qsizetype a = text.indexOf(first, 0, Qt::CaseInsensitive);
    if (a < 0) return QString();
    qsizetype b = text.indexOf(second, a + first.size(), Qt::CaseSensitive);
    if (b < 0) return QString();
    qsizetype start = b + second.size();
    qsizetype c = text.indexOf(third, start, Qt::CaseInsensitive);
    return TextRules::trimBlanks(c < 0 ? text.mid(start) : text.mid(start, c - start));
}

bool FindInArray(const QStringList &array, const QString &text, int &index)
{
    QString key = text.toUpper();
    for (qsizetype i = 0; i < array.size(); ++i) {
        if (array.at(i).toUpper() == key) {
            index = int(i);
            return true;
        }
    }
    return false;
}

void RemoveDuplicates(QStringList &array)
{
    // Same result as searching the kept texts with FindInArray, without the quadratic walk.
    QSet<QString> seen;
    QStringList kept;
    for (const QString &s : array) {
        QString key = s.toUpper();
        if (!seen.contains(key)) {
            seen.insert(key);
            kept.append(s);
        }
    }
    array = kept;
}

int SplitToArray(const QString &text, const QString &delimiter, QStringList &out)
{
    out.clear();
    if (text.isEmpty()) return -1;
    if (delimiter.isEmpty())
        out.append(text);
    else
        out = text.split(delimiter, Qt::KeepEmptyParts, Qt::CaseSensitive);
    return int(out.size()) - 1;
}

QString TrimAtNull(const QString &text)
{
    qsizetype at = text.indexOf(QChar(0));
    return at < 0 ? text : text.left(at);
}

int JoinAsRanges(const QList<int> &rows, QStringList &out)
{
    out.clear();
    if (rows.isEmpty())
        throw BasicError(BasicError::SubscriptOutOfRange,
                         QStringLiteral("Subscript out of range: no rows to join"));
    int first = rows.at(0), previous = rows.at(0);
    auto close = [&] {
        out.append(QString::number(first) + QLatin1Char('-') + QString::number(previous));
    };
    for (qsizetype i = 1; i < rows.size(); ++i) {
        int row = rows.at(i);
        if (qint64(row) != qint64(previous) + 1) {
            close();
            first = row;
        }
        previous = row;
    }
    close();
    return int(out.size()) - 1;
}

} // namespace ModString
