#include "SetupSrc/Include/CorvaleGlobal.h"

#include "platform/shell/ShellExecute.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace CorvaleGlobal {

namespace {

FolderBrowser &folderBrowser()
{
    static FolderBrowser browser;
    return browser;
}

QString errnoText(int err)
{
    return QString::fromLocal8Bit(strerror(err));
}

void setProblem(QString *problem, const QString &text)
{
    if (problem) *problem = text;
}

// The executable of a process of this user, or "" for another user's process, a kernel thread
// or a process that is gone.
QString ownExecutable(pid_t pid)
{
    const QByteArray dir = "/proc/" + QByteArray::number(pid);
    struct stat st;
    if (::stat(dir.constData(), &st) != 0 || st.st_uid != ::geteuid()) return QString();
    char buf[4096];
    const ssize_t n = ::readlink((dir + "/exe").constData(), buf, sizeof buf - 1);
    if (n <= 0) return QString();
    QString exe = QFile::decodeName(QByteArray(buf, n));
    // The link of a program whose file was replaced or deleted carries this mark.
    if (exe.endsWith(QLatin1String(" (deleted)"))) exe.chop(10);
    return exe;
}

// Running: still in /proc and not a zombie waiting for its parent.
bool processRuns(pid_t pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly)) return false;
    const QByteArray text = stat.read(1024);
    const qsizetype close = text.lastIndexOf(')');
    if (close < 0 || close + 2 >= text.size()) return false;
    return text[close + 2] != 'Z' && text[close + 2] != 'X';
}

bool busyError(int err)
{
    return err == EBUSY || err == ETXTBSY;
}

} // namespace

QString XdgDataHome()
{
    const QString data = qEnvironmentVariable("XDG_DATA_HOME");
    if (data.startsWith(QLatin1Char('/'))) return data;
    const QString home = qEnvironmentVariable("HOME");
    if (!home.startsWith(QLatin1Char('/'))) return QString();
    return home + QStringLiteral("/.local/share");
}

QString GetSystemDir()
{
    QString dir = qEnvironmentVariable("QUORVA_SYSTEM_DIR");
    if (dir.isEmpty()) {
        const QString data = XdgDataHome();
        if (data.isEmpty()) return QString();
        dir = data + QStringLiteral("/quorva/system");
    }
    while (dir.size() > 1 && dir.endsWith(QLatin1Char('/')))
        dir.chop(1);
    return dir;
}

qint64 GetFileSizeOf(const QString &path)
{
    QFile f(path);
    if (!QFileInfo(path).isFile() || !f.open(QIODevice::ReadOnly)) return 0;
    return f.size();
}

QString ExtractNameParts(const QString &path, QString *name)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    if (name) *name = path.mid(slash + 1);
    return path.left(slash + 1);
}

void SetFolderBrowser(FolderBrowser browser)
{
    folderBrowser() = std::move(browser);
}

QString BrowseForFolder(QObject *owner, const QString &prompt)
{
    return folderBrowser() ? folderBrowser()(owner, prompt) : QString();
}

int KillProcessByName(const QString &executableName, QStringList *executables)
{
    const QString wanted = QFileInfo(executableName).fileName();
    if (wanted.isEmpty()) return 0;
    const pid_t self = ::getpid();
    QList<pid_t> ended;
    QDirIterator it(QStringLiteral("/proc"), QDir::Dirs | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        it.next();
        bool numeric = false;
        const pid_t pid = pid_t(it.fileName().toLongLong(&numeric));
        if (!numeric || pid <= 0 || pid == self) continue;
        const QString exe = ownExecutable(pid);
        if (exe.isEmpty() || QFileInfo(exe).fileName().compare(wanted, Qt::CaseInsensitive) != 0)
            continue;
        if (::kill(pid, SIGTERM) != 0) continue;
        ended.append(pid);
        if (executables) executables->append(exe);
    }
    // Give them time to end cleanly; whatever is still running then is killed.
    for (int waited = 0; waited < 2000; waited += 50) {
        bool any = false;
        for (pid_t pid : ended)
            any = any || processRuns(pid);
        if (!any) break;
        QThread::msleep(50);
    }
    for (pid_t pid : ended)
        if (processRuns(pid)) ::kill(pid, SIGKILL);
    return int(ended.size());
}

bool DeleteLockedFile(const QString &path, const QString &executableName)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat st;
    if (::lstat(name.constData(), &st) != 0 && errno == ENOENT) return true;
    if (::unlink(name.constData()) == 0) return true;
    if (!busyError(errno)) return false;
    QStringList executables;
    const int ended = KillProcessByName(executableName, &executables);
    if (ended > 0) QThread::msleep(3000);
    const bool gone = ::unlink(name.constData()) == 0 || errno == ENOENT;
    if (ended > 0) StartFile(executables.first());
    return gone;
}

bool IsValidPath(const QString &path)
{
    if (!path.startsWith(QLatin1Char('/'))) return false;
    for (QChar ch : path)
        if (ch.unicode() < 0x20 || ch.unicode() == 0x7F) return false;
    return CleanAbsolutePath(path) != QLatin1String("/");
}

bool FolderWritable(const QString &folder)
{
    QString path = CleanAbsolutePath(folder);
    for (;;) {
        const QFileInfo info(path);
        if (info.exists())
            return info.isDir() && ::access(QFile::encodeName(path).constData(), W_OK | X_OK) == 0;
        if (path == QLatin1String("/")) return false;
        path = QFileInfo(path).path();
    }
}

QString CleanAbsolutePath(const QString &path)
{
    QStringList levels;
    for (const QString &level : path.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (level == QLatin1String(".")) continue;
        if (level == QLatin1String("..")) {
            if (!levels.isEmpty()) levels.removeLast();
            continue;
        }
        levels.append(level);
    }
    return QLatin1Char('/') + levels.join(QLatin1Char('/'));
}

bool TextToInteger(const QString &text, qint32 *value)
{
    const QString t = text.trimmed();
    bool ok = false;
    qint64 n = 0;
    if (t.startsWith(QLatin1Char('$')) || t.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
        const QString digits = t.mid(t.startsWith(QLatin1Char('$')) ? 1 : 2);
        if (digits.isEmpty() || digits.size() > 8 || digits.startsWith(QLatin1Char('+')) ||
            digits.startsWith(QLatin1Char('-')))
            return false;
        n = qint64(digits.toUInt(&ok, 16));
        if (!ok) return false;
        *value = qint32(quint32(n));
        return true;
    }
    if (t.isEmpty() || t.size() > 12) return false;
    for (qsizetype i = 0; i < t.size(); ++i)
        if (!(t[i].isDigit() && t[i].unicode() < 0x80) &&
            !(i == 0 && (t[i] == QLatin1Char('-') || t[i] == QLatin1Char('+'))))
            return false;
    n = t.toLongLong(&ok);
    if (!ok || n < INT32_MIN || n > INT32_MAX) return false;
    *value = qint32(n);
    return true;
}

QString ToSlashes(const QString &path)
{
    QString out = path;
    out.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return out;
}

bool JoinInside(const QString &folder, const QString &relative, QString *joined, QString *problem)
{
    const QString rel = ToSlashes(relative);
    if (rel.isEmpty()) {
        setProblem(problem, QStringLiteral("empty path"));
        return false;
    }
    if (rel.contains(QChar(0)) || rel.contains(QLatin1Char('\n')) ||
        rel.contains(QLatin1Char('\r'))) {
        setProblem(problem, QStringLiteral("the path holds a control character"));
        return false;
    }
    if (rel.startsWith(QLatin1Char('/'))) {
        setProblem(problem, QStringLiteral("absolute path \"%1\"").arg(relative));
        return false;
    }
    const QStringList parts = rel.split(QLatin1Char('/'));
    if (parts.contains(QStringLiteral(".."))) {
        setProblem(problem, QStringLiteral("\"%1\" leaves its folder").arg(relative));
        return false;
    }
    if (joined) *joined = folder + rel;
    return true;
}

bool CopyFileReplacing(const QString &source, const QString &target, bool failIfExists,
                       QString *problem)
{
    const QByteArray src = QFile::encodeName(source);
    const QByteArray dst = QFile::encodeName(target);
    const int in = ::open(src.constData(), O_RDONLY | O_CLOEXEC);
    if (in < 0) {
        setProblem(problem, QStringLiteral("cannot open %1: %2").arg(source, errnoText(errno)));
        return false;
    }
    struct stat st;
    if (::fstat(in, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(in);
        setProblem(problem, QStringLiteral("%1 is no regular file").arg(source));
        return false;
    }
    struct stat existing;
    if (failIfExists && ::lstat(dst.constData(), &existing) == 0) {
        ::close(in);
        setProblem(problem, QStringLiteral("%1 exists already").arg(target));
        return false;
    }
    QString folder = ExtractNameParts(target);
    QString name;
    ExtractNameParts(target, &name);
    QByteArray temp =
        QFile::encodeName(folder + QLatin1Char('.') + name + QStringLiteral(".XXXXXX"));
    const int out = ::mkostemp(temp.data(), O_CLOEXEC);
    if (out < 0) {
        const int err = errno;
        ::close(in);
        setProblem(
            problem,
            QStringLiteral("cannot write in the folder of %1: %2").arg(target, errnoText(err)));
        return false;
    }
    auto fail = [&](const QString &why) {
        ::close(in);
        ::close(out);
        ::unlink(temp.constData());
        setProblem(problem, why);
        return false;
    };
    char buf[1 << 16];
    for (;;) {
        const ssize_t n = ::read(in, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return fail(QStringLiteral("cannot read %1: %2").arg(source, errnoText(errno)));
        if (n == 0) break;
        for (ssize_t done = 0; done < n;) {
            const ssize_t w = ::write(out, buf + done, size_t(n - done));
            if (w < 0 && errno == EINTR) continue;
            if (w < 0)
                return fail(QStringLiteral("cannot write %1: %2").arg(target, errnoText(errno)));
            done += w;
        }
    }
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    if (::fchmod(out, st.st_mode & 0777) != 0 || ::futimens(out, times) != 0 || ::fsync(out) != 0)
        return fail(QStringLiteral("cannot write %1: %2").arg(target, errnoText(errno)));
    ::close(in);
    if (::close(out) != 0) {
        const int err = errno;
        ::unlink(temp.constData());
        setProblem(problem, QStringLiteral("cannot write %1: %2").arg(target, errnoText(err)));
        return false;
    }
    // link() refuses an existing name, so a file that appeared meanwhile is kept too.
    const int rc = failIfExists ? ::link(temp.constData(), dst.constData())
                                : ::rename(temp.constData(), dst.constData());
    const int err = errno;
    if (failIfExists || rc != 0) ::unlink(temp.constData());
    if (rc != 0) {
        setProblem(problem,
                   err == EEXIST
                       ? QStringLiteral("%1 exists already").arg(target)
                       : QStringLiteral("cannot replace %1: %2").arg(target, errnoText(err)));
        return false;
    }
    return true;
}

QString LinkedFolderBelow(const QString &folder, const QString &path)
{
    if (!path.startsWith(folder)) return QString();
    QString level = folder;
    const QStringList parts = path.mid(folder.size()).split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (qsizetype i = 0; i + 1 < parts.size(); ++i) {
        level += parts[i];
        struct stat st;
        if (::lstat(QFile::encodeName(level).constData(), &st) != 0) return QString();
        if (S_ISLNK(st.st_mode)) return level;
        level += QLatin1Char('/');
    }
    return QString();
}

bool ClearForOwnFile(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat st;
    if (::lstat(name.constData(), &st) != 0) return errno == ENOENT;
    if (S_ISREG(st.st_mode)) return true;
    if (S_ISDIR(st.st_mode)) return false;
    return ::unlink(name.constData()) == 0;
}

QString FindProgram(const QString &name, const QString &folder)
{
    if (!folder.isEmpty()) {
        const QFileInfo beside(QDir(folder).filePath(name));
        if (beside.isFile() && beside.isExecutable()) return beside.absoluteFilePath();
    }
    return QStandardPaths::findExecutable(name);
}

bool RunAndWait(const QString &program, const QStringList &arguments, int timeoutMs, int *exitCode,
                QString *problem)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, arguments);
    if (!p.waitForStarted(30000)) {
        setProblem(problem, QStringLiteral("could not be started: %1").arg(p.errorString()));
        return false;
    }
    p.closeWriteChannel();
    auto tail = [&p] {
        const QString out = QString::fromLocal8Bit(p.readAll()).trimmed();
        return out.isEmpty() ? QString() : QStringLiteral(" (output: %1)").arg(out.right(400));
    };
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished(5000);
        setProblem(problem, QStringLiteral("did not finish within %1 s and was ended%2")
                                .arg(timeoutMs / 1000)
                                .arg(tail()));
        return false;
    }
    if (p.exitStatus() == QProcess::CrashExit) {
        setProblem(problem, QStringLiteral("crashed%1").arg(tail()));
        return false;
    }
    if (exitCode) *exitCode = p.exitCode();
    setProblem(problem, tail());
    return true;
}

bool StartFile(const QString &path, QString *problem)
{
    const QFileInfo info(path);
    if (!info.exists()) {
        setProblem(problem, QStringLiteral("%1 does not exist").arg(path));
        return false;
    }
    const bool started = info.isFile() && info.isExecutable()
                             ? shell::StartProgram(info.absoluteFilePath(), {})
                             : shell::ShellOpen(info.absoluteFilePath());
    if (!started) setProblem(problem, QStringLiteral("%1 could not be started").arg(path));
    return started;
}

} // namespace CorvaleGlobal
