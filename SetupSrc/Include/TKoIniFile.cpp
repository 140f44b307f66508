#include "SetupSrc/Include/TKoIniFile.h"

#include "platform/text/AnsiText.h"

#include <QFile>
#include <QFileInfo>

bool TKoIniFile::CheckReadable(QString *problem) const
{
    const QFileInfo info(FileName());
    QString why;
    if (!info.isFile())
        why = QStringLiteral("%1 cannot be read: there is no such file").arg(FileName());
    else if (info.size() > MaxFileSize)
        why = QStringLiteral("%1 is larger than %2 MiB and is not read")
                  .arg(FileName())
                  .arg(MaxFileSize / (1024 * 1024));
    else if (!info.isReadable())
        why = QStringLiteral("%1 cannot be read: no permission").arg(FileName());
    if (problem) *problem = why;
    return why.isEmpty();
}

bool TKoIniFile::ReadSectionLines(const QString &section, QStringList &list,
                                  QList<int> *lineNumbers, QString *problem) const
{
    list.clear();
    if (lineNumbers) lineNumbers->clear();
    if (!CheckReadable(problem)) return false;
    QFile f(FileName());
    if (!f.open(QIODevice::ReadOnly)) {
        if (problem)
            *problem = QStringLiteral("%1 cannot be read: %2").arg(FileName(), f.errorString());
        return false;
    }
    // The size was checked; a file that grows meanwhile is cut at the limit.
    SectionLinesOf(f.read(qMin(f.size(), MaxFileSize)), section, list, lineNumbers);
    return true;
}

void TKoIniFile::SectionLinesOf(const QByteArray &bytes, const QString &section, QStringList &list,
                                QList<int> *lineNumbers)
{
    list.clear();
    if (lineNumbers) lineNumbers->clear();
    const QString header = QLatin1Char('[') + section.toUpper() + QLatin1Char(']');
    const QString text = AnsiText::decode(bytes);
    bool inSection = false;
    int lineNo = 0;
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = start;
        while (end < text.size() && text[end] != QLatin1Char('\r') &&
               text[end] != QLatin1Char('\n'))
            ++end;
        QString line = text.mid(start, end - start);
        start = end;
        if (start < text.size()) {
            const bool crlf = text[start] == QLatin1Char('\r') && start + 1 < text.size() &&
                              text[start + 1] == QLatin1Char('\n');
            start += crlf ? 2 : 1;
        }
        ++lineNo;
        if (line.startsWith(QLatin1Char('['))) line = line.trimmed();
        if (line.toUpper() == header) {
            inSection = true;
            continue;
        }
        if (!inSection) continue;
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) break;
        if (line.isEmpty() || line.startsWith(QLatin1Char(';'))) continue;
        list.append(line);
        if (lineNumbers) lineNumbers->append(lineNo);
    }
}
