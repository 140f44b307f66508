#include "core/ClsLogFile.h"

#include "platform/text/AnsiText.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

ClsLogFile::ClsLogFile() = default;

ClsLogFile::~ClsLogFile()
{
    CloseFile();
}

bool ClsLogFile::open(const QString &path, QIODevice::OpenMode mode)
{
    CloseFile();
    m_lostLines = 0;
    m_pendingLines = 0;
    if (path.isEmpty()) return false;
    auto file = std::make_unique<QFile>(path);
    if (!file->open(mode)) return false;
    m_file = std::move(file);
    return true;
}

bool ClsLogFile::SetFileName(const QString &path)
{
    CloseFile();
    m_lostLines = 0;
    m_pendingLines = 0;
    m_error.clear();
    if (path.isEmpty() || path.contains(QChar(0))) {
        m_error = QStringLiteral("the name is empty or holds a NUL character");
        return false;
    }
    const QByteArray name = QFile::encodeName(path);
    // O_EXCL creates the file only where no entry is, and refuses a link there, dangling or not.
    // An entry that reappears after the removal (someone racing for the name) is removed again,
    // a few times; then the write is refused rather than made through it.
    int fd = -1;
    for (int attempt = 0; attempt < 4 && fd < 0; ++attempt) {
        ::unlink(name.constData()); // a failure shows when the file is created
        fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) {
            m_error = QString::fromLocal8Bit(std::strerror(errno));
            return false;
        }
    }
    if (fd < 0) {
        m_error = QString::fromLocal8Bit(std::strerror(EEXIST));
        return false;
    }
    auto file = std::make_unique<QFile>();
    if (!file->open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle)) {
        m_error = file->errorString();
        ::close(fd);
        return false;
    }
    m_file = std::move(file);
    return true;
}

bool ClsLogFile::CreateFile(const QString &path)
{
    return open(path, QIODevice::WriteOnly | QIODevice::Append);
}

void ClsLogFile::CloseFile()
{
    if (!m_file) return;
    // Lines still in the buffer are lost when the final flush fails (disk full).
    if (!m_file->flush()) m_lostLines += m_pendingLines;
    m_pendingLines = 0;
    m_file->close();
    m_file.reset();
}

void ClsLogFile::WriteLine(const QString &text)
{
    if (!m_file) {
        ++m_lostLines;
        return;
    }
    const QByteArray bytes = AnsiText::encode(text + QStringLiteral("\r\n"));
    if (m_file->write(bytes) != bytes.size()) {
        ++m_lostLines;
        return;
    }
    ++m_pendingLines;
    // QFile writes its buffer out once it is full; keep the count of unconfirmed lines small.
    if (m_file->bytesToWrite() == 0) m_pendingLines = 0;
}
