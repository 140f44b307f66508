#include "SetupSrc/Include/TWy_GlobalBcbString.h"

#include <QFileInfo>

namespace {

// A run of decimal digits advanced by one, keeping its width unless every digit carries.
QString incrementDigits(const QString &digits)
{
    QString out = digits;
    for (qsizetype i = out.size() - 1; i >= 0; --i) {
        if (out[i] != QLatin1Char('9')) {
            out[i] = QChar(out[i].unicode() + 1);
            return out;
        }
        out[i] = QLatin1Char('0');
    }
    return QLatin1Char('1') + out;
}

// Two runs of digits compared as numbers of any length.
int compareDigits(QString a, QString b)
{
    while (a.size() > 1 && a.startsWith(QLatin1Char('0')))
        a.remove(0, 1);
    while (b.size() > 1 && b.startsWith(QLatin1Char('0')))
        b.remove(0, 1);
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    const int c = a.compare(b);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

} // namespace

QString TWy_GlobalBcbString::S_STR(const QVariant &value)
{
    if (!value.isValid() || value.isNull()) return QString();
    return value.toString();
}

bool TWy_GlobalBcbString::IsNumeric(QChar ch)
{
    return ch >= QLatin1Char('0') && ch <= QLatin1Char('9');
}

QChar TWy_GlobalBcbString::ConvertStringToChar(const QString &text)
{
    return text.isEmpty() ? QChar(0) : text[0];
}

QString TWy_GlobalBcbString::CreateString(int count, QChar ch)
{
    return count > 0 ? QString(count, ch) : QString();
}

QString TWy_GlobalBcbString::CreateString(const QList<qint32> &numbers, int count,
                                          const QString &separator)
{
    QString out;
    const qsizetype n = qMin<qsizetype>(qMax(count, 0), numbers.size());
    for (qsizetype i = 0; i < n; ++i) {
        if (i > 0) out += separator;
        out += QString::number(numbers[i]);
    }
    return out;
}

int TWy_GlobalBcbString::SplitString(const QString &text, QStringList &list,
                                     const QString &separator)
{
    list.clear();
    if (text.isEmpty()) return 0;
    if (separator.isEmpty()) {
        list.append(text);
        return 1;
    }
    list = text.split(separator, Qt::KeepEmptyParts, Qt::CaseSensitive);
    return int(list.size());
}

int TWy_GlobalBcbString::FindPos(const QString &text, const QString &sought, int start)
{
    if (start < 1 || text.size() < start) return 0;
    const qsizetype at = text.indexOf(sought, start - 1, Qt::CaseSensitive);
    return at < 0 ? 0 : int(at + 1);
}

int TWy_GlobalBcbString::ReverseFind(const QString &text, QChar ch)
{
    return int(text.lastIndexOf(ch) + 1);
}

void TWy_GlobalBcbString::SplitStringtoStrAndNum(const QString &text, QString &textPart,
                                                 QString &numberPart)
{
    qsizetype i = text.size();
    while (i > 0 && IsNumeric(text[i - 1]))
        --i;
    textPart = text.left(i);
    numberPart = text.mid(i);
}

void TWy_GlobalBcbString::SplitStringtoNumAndStr(const QString &text, QString &numberPart,
                                                 QString &textPart)
{
    qsizetype i = 0;
    while (i < text.size() && IsNumeric(text[i]))
        ++i;
    numberPart = text.left(i);
    textPart = text.mid(i);
}

int TWy_GlobalBcbString::KoCompareString(const QString &a, const QString &b)
{
    QString textA, numA, textB, numB;
    SplitStringtoStrAndNum(a, textA, numA);
    SplitStringtoStrAndNum(b, textB, numB);
    if (textA.compare(textB, Qt::CaseInsensitive) != 0) {
        const int c = a.compare(b, Qt::CaseInsensitive);
        return c < 0 ? -1 : (c > 0 ? 1 : 0);
    }
    // A name without a number sorts before the same name with one.
    if (numA.isEmpty() || numB.isEmpty())
        return numA.isEmpty() == numB.isEmpty() ? 0 : (numA.isEmpty() ? -1 : 1);
    return compareDigits(numA, numB);
}

QString TWy_GlobalBcbString::AddCommaToStr(const QString &digits)
{
    QString out = digits;
    for (qsizetype i = out.size() - 3; i > 0; i -= 3)
        out.insert(i, QLatin1Char(','));
    return out;
}

QString TWy_GlobalBcbString::FormatFileSize(quint64 size)
{
    QString text = QString::asprintf("%.2f", double(size) / 1024.0);
    while (text.endsWith(QLatin1Char('0')))
        text.chop(1);
    if (text.endsWith(QLatin1Char('.'))) text.chop(1);
    const qsizetype dot = text.indexOf(QLatin1Char('.'));
    return dot < 0 ? AddCommaToStr(text) : AddCommaToStr(text.left(dot)) + text.mid(dot);
}

QString TWy_GlobalBcbString::GetNextCode(const QString &code)
{
    if (code.isEmpty()) return QString();
    const QChar last = code.back();
    if (IsNumeric(last)) {
        QString textPart, digits;
        SplitStringtoStrAndNum(code, textPart, digits);
        // A run led by "0" keeps its width (A09 -> A10); the increment does that by itself.
        return textPart + incrementDigits(digits);
    }
    if (last == QLatin1Char('Z')) return code + QLatin1Char('A');
    if (last == QLatin1Char('z')) return code + QLatin1Char('a');
    return code + QChar(last.unicode() + 1);
}

QString TWy_GlobalBcbString::GetNextName(const QString &name)
{
    const qsizetype us = name.lastIndexOf(QLatin1Char('_'));
    if (us < 0) return name + QStringLiteral("_1");
    const QString code = name.mid(us + 1);
    // "a_" would advance to itself, and a caller looking for a free name would never stop.
    if (code.isEmpty()) return name + QLatin1Char('1');
    return name.left(us + 1) + GetNextCode(code);
}

QString TWy_GlobalBcbString::GetNotRepeatFileName(const QString &path)
{
    if (!QFileInfo::exists(path)) return path;
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    const QString folder = path.left(slash + 1);
    QString name = path.mid(slash + 1);
    for (int attempt = 0; attempt < 100000; ++attempt) {
        name = GetNextName(name);
        if (!QFileInfo::exists(folder + name)) return folder + name;
    }
    return QString();
}
