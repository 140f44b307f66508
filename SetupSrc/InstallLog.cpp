#include "SetupSrc/InstallLog.h"

#include "SetupSrc/Include/CorvaleGlobal.h"

#include <QDateTime>
#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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
    // The log is the installer's own file in the install folder: a link planted in its place is
    // removed, never written through, and a pipe there cannot hold the installer up.
    if (!CorvaleGlobal::ClearForOwnFile(m_fileName)) return false;
    const int fd =
        ::open(QFile::encodeName(m_fileName).constData(),
               O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    struct stat st;
    QByteArray bytes;
    for (const QString &line : std::as_const(m_pending))
        bytes += line.toUtf8() + '\n';
    bool written = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    for (qsizetype done = 0; written && done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR) continue;
        written = n > 0;
        done += n;
    }
    ::close(fd);
    if (!written) return false;
    m_pending.clear();
    return true;
}
