#include "platform/text/ColumnLetters.h"

QString ColumnLetters::fromNumber(int column)
{
    if (column < 1 || column > MaxColumn) return QString();
    QChar out[3];
    int n = 0;
    while (column > 0) {
        out[n++] = QChar(u'A' + (column - 1) % 26);
        column = (column - 1) / 26;
    }
    QString s;
    s.reserve(n);
    for (int i = n - 1; i >= 0; --i)
        s += out[i];
    return s;
}

int ColumnLetters::toNumber(QStringView letters)
{
    if (letters.isEmpty() || letters.size() > 3) return 0;
    int n = 0;
    for (QChar c : letters) {
        char16_t u = c.unicode();
        // ASCII only: no letter may turn into A-Z by a case change ("ſ", "ı").
        if (u >= u'a' && u <= u'z') u = char16_t(u - u'a' + u'A');
        if (u < u'A' || u > u'Z') return 0;
        n = n * 26 + (u - u'A' + 1);
    }
    return n <= MaxColumn ? n : 0;
}
