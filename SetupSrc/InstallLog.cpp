#include "SetupSrc/InstallLog.h"

#include "SetupSrc/Include/CorvaleGlobal.h"

#include <QDateTime>
#include <QFile>
#include <QSaveFile>

void InstallLog::SetFileName(const QString &path)
{
    QMutexLocker lock(&m_mutex);
    if (path == m_fileName) return;
    m_fileName = path;
    m_fileRead = false;
    m_fileBytes.clear();
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
    // The log is the installer's own file in the install folder: a link or a pipe planted in its
    // place is removed, never written through.
    if (!CorvaleGlobal::ClearForOwnFile(m_fileName)) return false;
    if (!m_fileRead) {
        // A log of an earlier install stays at the top.
        QFile old(m_fileName);
        if (old.size() <= MaxKeptBytes && old.open(QIODevice::ReadOnly))
            m_fileBytes = old.readAll();
        m_fileRead = true;
    }
    QByteArray bytes = m_fileBytes;
    for (const QString &line : std::as_const(m_pending))
        bytes += line.toUtf8() + '\n';
    // The whole log replaces the file at once: a full disk leaves the log as it was before,
    // never cut short or empty.
    QSaveFile file(m_fileName);
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.flush()) {
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) return false;
    m_fileBytes = bytes;
    m_pending.clear();
    return true;
}
