#include "SetupSrc/InstallLog.h"

#include <QDateTime>
#include <QFile>

void InstallLog::SetFileName(const QString &path)
{
    QMutexLocker lock(&m_mutex);
    m_fileName = path;
}

QString InstallLog::FileName() const
{
    QMutexLocker lock(&m_mutex);
    return m_fileName;
}

void InstallLog::Info(const QString &text)
{
    add(text, false);
}

void InstallLog::Problem(const QString &text)
{
    add(text, true);
}

void InstallLog::add(const QString &text, bool problem)
{
    // One entry is one line: a line break in a path or a value must not forge another entry.
    QString line = text;
    line.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    if (problem) line.prepend(QStringLiteral("problem: "));
    QMutexLocker lock(&m_mutex);
    m_lines.append(line);
    if (problem) m_problems.append(line.mid(9));
    m_pending.append(QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss ")) +
                     line);
    writePending();
}

QStringList InstallLog::Lines() const
{
    QMutexLocker lock(&m_mutex);
    return m_lines;
}

QStringList InstallLog::Problems() const
{
    QMutexLocker lock(&m_mutex);
    return m_problems;
}

bool InstallLog::Flush()
{
    QMutexLocker lock(&m_mutex);
    return writePending();
}

bool InstallLog::writePending()
{
    if (m_fileName.isEmpty()) return false;
    QFile f(m_fileName);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Append)) return false;
    QByteArray bytes;
    for (const QString &line : std::as_const(m_pending))
        bytes += line.toUtf8() + '\n';
    if (f.write(bytes) != bytes.size()) return false;
    m_pending.clear();
    return true;
}
