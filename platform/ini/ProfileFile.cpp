#include "platform/ini/ProfileFile.h"

#include "platform/files/FileSystem.h"
#include "platform/text/AnsiText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace win {

namespace {

const QByteArray Utf8Bom("\xEF\xBB\xBF");

// Holds flock() on the folder of a profile file for its lifetime. The folder, not the file: a
// save replaces the file by a new one, so a lock on the old file would guard nothing, and a
// companion lock file would litter the folders of users' project files.
class FolderLock
{
public:
    explicit FolderLock(const QString &file)
    {
        // A save through a link replaces the link's target: lock the target's folder.
        QFileInfo info(file);
        const QString target = info.exists() ? info.canonicalFilePath() : info.absoluteFilePath();
        const QByteArray folder = QFile::encodeName(QFileInfo(target).absolutePath());
        m_fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (m_fd < 0) return;
        int r;
        do {
            r = ::flock(m_fd, LOCK_EX);
        } while (r != 0 && errno == EINTR);
        if (r == 0) return;
        // A file system without locks (some network mounts) is written as before, unguarded.
        m_unsupported = errno == ENOLCK || errno == EOPNOTSUPP || errno == EBADF;
        ::close(m_fd);
        m_fd = -1;
    }
    ~FolderLock()
    {
        if (m_fd >= 0) ::close(m_fd); // closing releases the lock
    }
    FolderLock(const FolderLock &) = delete;
    FolderLock &operator=(const FolderLock &) = delete;
    bool usable() const { return m_fd >= 0 || m_unsupported; }

private:
    int m_fd = -1;
    bool m_unsupported = false;
};

bool sameName(const QString &a, const QString &b)
{
    return QString::compare(a, b, Qt::CaseInsensitive) == 0;
}

} // namespace

bool ProfileFile::isHeader(const QString &trimmedLine)
{
    return trimmedLine.startsWith(QLatin1Char('['));
}

QString ProfileFile::headerName(const QString &trimmedLine)
{
    int close = trimmedLine.indexOf(QLatin1Char(']'));
    QString name = close < 0 ? trimmedLine.mid(1) : trimmedLine.mid(1, close - 1);
    return name.trimmed();
}

QString ProfileFile::entryKey(const QString &trimmedLine)
{
    if (trimmedLine.isEmpty() || trimmedLine.startsWith(QLatin1Char(';')) || isHeader(trimmedLine))
        return QString();
    int eq = trimmedLine.indexOf(QLatin1Char('='));
    if (eq < 0) return QString();
    QString key = trimmedLine.left(eq).trimmed();
    return key.isNull() ? QString(QLatin1String("")) : key;
}

ProfileFile ProfileFile::load(const QString &path)
{
    ProfileFile f;
    f.m_path = path;
    // A pipe, device or folder at the path is unreadable rather than waited on or read for ever.
    const files::ReadResult read = files::readFile(path, MaxFileSize);
    switch (read.error) {
    case files::ReadError::None:
        break;
    case files::ReadError::Missing:
        f.m_state = State::Missing;
        return f;
    case files::ReadError::TooLarge:
        f.m_state = State::TooLarge;
        f.m_problem = QStringLiteral("the file is larger than %1 MB").arg(MaxFileSize >> 20);
        return f;
    case files::ReadError::Folder:
        f.m_state = State::Unreadable;
        f.m_problem = QStringLiteral("a folder has that name");
        return f;
    case files::ReadError::NotAFile:
        f.m_state = State::Unreadable;
        f.m_problem = QStringLiteral("it is a device or pipe, not a file");
        return f;
    case files::ReadError::Failed:
        f.m_state = State::Unreadable;
        f.m_problem = read.reason;
        return f;
    }
    const QByteArray &bytes = read.bytes;
    f.m_state = State::Ok;
    f.m_bom = bytes.startsWith(Utf8Bom);
    const QString text = AnsiText::decode(bytes, &f.m_exact);
    qsizetype start = 0;
    const qsizetype n = text.size();
    while (start < n) {
        qsizetype i = start;
        while (i < n && text[i] != QLatin1Char('\r') && text[i] != QLatin1Char('\n'))
            ++i;
        Line line;
        line.text = text.mid(start, i - start);
        if (i < n) {
            if (text[i] == QLatin1Char('\r') && i + 1 < n && text[i + 1] == QLatin1Char('\n')) {
                line.end = QStringLiteral("\r\n");
                i += 2;
            } else {
                line.end = text.mid(i, 1);
                ++i;
            }
        }
        f.m_lines.push_back(std::move(line));
        start = i;
    }
    return f;
}

int ProfileFile::findSection(const QString &section) const
{
    const QString want = section.trimmed();
    for (int i = 0; i < int(m_lines.size()); ++i) {
        const QString t = m_lines[i].text.trimmed();
        if (isHeader(t) && sameName(headerName(t), want)) return i;
    }
    return -1;
}

int ProfileFile::sectionEnd(int header) const
{
    int i = header + 1;
    while (i < int(m_lines.size()) && !isHeader(m_lines[i].text.trimmed()))
        ++i;
    return i;
}

int ProfileFile::findKey(int header, const QString &key) const
{
    const QString want = key.trimmed();
    const int end = sectionEnd(header);
    for (int i = header + 1; i < end; ++i) {
        const QString k = entryKey(m_lines[i].text.trimmed());
        if (!k.isNull() && sameName(k, want)) return i;
    }
    return -1;
}

QString ProfileFile::valueAt(int line) const
{
    const QString &t = m_lines[line].text;
    return t.mid(t.indexOf(QLatin1Char('=')) + 1).trimmed();
}

QStringList ProfileFile::sectionNames() const
{
    QStringList names;
    for (const Line &l : m_lines) {
        const QString t = l.text.trimmed();
        if (!isHeader(t)) continue;
        const QString name = headerName(t);
        if (!names.contains(name, Qt::CaseInsensitive)) names.append(name);
    }
    return names;
}

QStringList ProfileFile::sectionLines(const QString &section) const
{
    QStringList out;
    const int header = findSection(section);
    if (header < 0) return out;
    const int end = sectionEnd(header);
    for (int i = header + 1; i < end; ++i) {
        const QString t = m_lines[i].text.trimmed();
        if (!t.isEmpty() && !t.startsWith(QLatin1Char(';'))) out.append(t);
    }
    return out;
}

QString ProfileFile::newLineEnd() const
{
    for (const Line &l : m_lines)
        if (!l.end.isEmpty()) return l.end;
    return QStringLiteral("\r\n");
}

void ProfileFile::insertLine(int at, const QString &text)
{
    const QString end = newLineEnd();
    // A line put after a last line that has no line end gives that line one first.
    if (at > 0 && m_lines[at - 1].end.isEmpty()) m_lines[at - 1].end = end;
    m_lines.insert(m_lines.begin() + at, Line{text, end});
}

bool ProfileFile::setValue(const QString &section, const QString &key, const QString &value)
{
    const QString sec = section.trimmed();
    const QString k = key.trimmed();
    const QString entry = k + QLatin1Char('=') + value;
    int header = findSection(sec);
    if (header < 0) {
        insertLine(int(m_lines.size()), QLatin1Char('[') + sec + QLatin1Char(']'));
        insertLine(int(m_lines.size()), entry);
        return true;
    }
    const int line = findKey(header, k);
    if (line >= 0) {
        // Replaced in place; the key keeps the spelling the file gave it.
        const QString trimmed = m_lines[line].text.trimmed();
        const QString replaced = entryKey(trimmed) + QLatin1Char('=') + value;
        if (m_lines[line].text == replaced) return false;
        m_lines[line].text = replaced;
        return true;
    }
    // A new key goes after the section's last entry, so that trailing blank lines and comments
    // in front of the next header stay where they are.
    int at = header + 1;
    const int end = sectionEnd(header);
    for (int i = header + 1; i < end; ++i) {
        const QString t = m_lines[i].text.trimmed();
        if (!t.isEmpty() && !t.startsWith(QLatin1Char(';'))) at = i + 1;
    }
    insertLine(at, entry);
    return true;
}

bool ProfileFile::removeKey(const QString &section, const QString &key)
{
    const int header = findSection(section);
    if (header < 0) return false;
    // Every entry of the key goes: a second one further down would otherwise be read next.
    bool removed = false;
    for (int line = findKey(header, key); line >= 0; line = findKey(header, key)) {
        m_lines.erase(m_lines.begin() + line);
        removed = true;
    }
    return removed;
}

bool ProfileFile::removeSection(const QString &section)
{
    // Every occurrence goes: a repeated section further down would otherwise be read next.
    bool removed = false;
    for (int header = findSection(section); header >= 0; header = findSection(section)) {
        m_lines.erase(m_lines.begin() + header, m_lines.begin() + sectionEnd(header));
        removed = true;
    }
    return removed;
}

QString ProfileFile::problem() const
{
    return m_problem;
}

void ProfileFile::takeLinesOf(const ProfileFile &other)
{
    m_lines = other.m_lines;
    m_bom = other.m_bom;
    m_exact = other.m_exact;
    m_state = State::Ok;
}

bool ProfileFile::update(const QString &path, const Change &change, QString *why)
{
    auto fail = [why](const QString &reason) {
        if (why) *why = reason;
        return false;
    };
    if (path.isEmpty()) return fail(QStringLiteral("the file has no name"));
    FolderLock lock(path);
    ProfileFile f = load(path);
    if (!f.usable()) return fail(f.problem());
    if (!change(f)) return true;
    // A folder that is gone is said as such by the save.
    if (!lock.usable() && QFileInfo(path).absoluteDir().exists())
        return fail(QStringLiteral("its folder cannot be locked against other writers"));
    return f.save(why);
}

bool ProfileFile::save(QString *why) const
{
    auto fail = [why](const QString &reason) {
        if (why) *why = reason;
        return false;
    };
    if (!m_refusal.isEmpty()) return fail(m_refusal);
    if (!m_exact)
        return fail(
            QStringLiteral("the file holds bytes that are no text; writing it would change them"));
    QFileInfo info(m_path);
    if (info.exists() && !(info.permissions() & QFileDevice::WriteOwner))
        return fail(QStringLiteral("the file is read-only"));
    if (!info.absoluteDir().exists()) return fail(QStringLiteral("its folder does not exist"));
    // A folder (or pipe) that took the file's place is not replaced by a file.
    if (info.exists() && !info.isFile())
        return fail(QStringLiteral("a folder or device has its name"));
    QString text;
    for (const Line &l : m_lines) {
        text += l.text;
        text += l.end;
    }
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly)) return fail(file.errorString());
    QByteArray bytes = AnsiText::encode(text);
    // Text that begins with U+FEFF (a UTF-16 file's character after its mark, say) needs a mark
    // of its own in front, or the next read takes the character for one and drops it.
    if (m_bom || text.startsWith(QChar(0xFEFF))) bytes.prepend(Utf8Bom);
    // QSaveFile commits what reached the disk even after a failed write (a full disk), so the
    // write is flushed and checked first: the old file stays whole when the new one cannot be.
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return fail(reason);
    }
    if (!file.commit()) return fail(file.errorString());
    return true;
}

} // namespace win
