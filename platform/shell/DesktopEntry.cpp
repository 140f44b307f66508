#include "platform/shell/DesktopEntry.h"

namespace shell {

QString DesktopEntry::stringValue(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar ch = text[i];
        if (ch == QLatin1Char('\\'))
            out += QStringLiteral("\\\\");
        else if (ch == QLatin1Char('\n'))
            out += QStringLiteral("\\n");
        else if (ch == QLatin1Char('\t'))
            out += QStringLiteral("\\t");
        else if (ch == QLatin1Char('\r'))
            out += QStringLiteral("\\r");
        else if (ch == QLatin1Char(' ') && i == 0)
            out += QStringLiteral("\\s");
        else
            out += ch;
    }
    return out;
}

QString DesktopEntry::execArgument(const QString &argument)
{
    QString quoted = QStringLiteral("\"");
    for (const QChar ch : argument) {
        if (ch == QLatin1Char('"') || ch == QLatin1Char('`') || ch == QLatin1Char('$') ||
            ch == QLatin1Char('\\'))
            quoted += QLatin1Char('\\');
        if (ch == QLatin1Char('%')) quoted += QLatin1Char('%');
        quoted += ch;
    }
    quoted += QLatin1Char('"');
    return stringValue(quoted);
}

QString DesktopEntry::listValue(const QStringList &items)
{
    QString out;
    for (const QString &item : items) {
        QString escaped = stringValue(item);
        escaped.replace(QLatin1Char(';'), QStringLiteral("\\;"));
        out += escaped + QLatin1Char(';');
    }
    return out;
}

} // namespace shell
