#include "SetupSrc/TCorvaleCopyFileThread.h"

#include "SetupSrc/Include/CorvaleGlobal.h"
#include "SetupSrc/Include/IniFile.h"
#include "SetupSrc/Include/SetupError.h"
#include "SetupSrc/SetupMessage.h"
#include "SetupSrc/TSetupRule.h"
#include "platform/win/MessageBox.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <exception>
#include <sys/stat.h>

namespace {

// Creates a folder with every missing level; the reason of a failure goes to *problem.
bool makeFolders(const QString &folder, QString *problem)
{
    if (QFileInfo(folder).isDir()) return true;
    const QString clean = CorvaleGlobal::CleanAbsolutePath(folder);
    QString path;
    for (const QString &level : clean.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        path += QLatin1Char('/') + level;
        if (::mkdir(QFile::encodeName(path).constData(), 0777) != 0 && errno != EEXIST) {
            *problem = QStringLiteral("the folder %1 cannot be created: %2")
                           .arg(path, QString::fromLocal8Bit(strerror(errno)));
            return false;
        }
    }
    if (QFileInfo(clean).isDir()) return true;
    *problem = QStringLiteral("%1 is a file, not a folder").arg(path);
    return false;
}

QString fileNameOf(const QString &path)
{
    QString name;
    CorvaleGlobal::ExtractNameParts(path, &name);
    return name;
}

} // namespace

TCorvaleCopyFileThread::TCorvaleCopyFileThread(QObject *window, TSetupRule &rules,
                                               const IniFile &language, Prompt prompt,
                                               QObject *parent)
    : QThread(parent), m_window(window), m_rules(rules), m_language(language),
      m_prompt(std::move(prompt)), m_deleteLockedFile(CorvaleGlobal::DeleteLockedFile),
      m_sourceDir(rules.SourceDir()), m_installDir(rules.InstallDir())
{
}

TCorvaleCopyFileThread::~TCorvaleCopyFileThread()
{
    wait();
}

QString TCorvaleCopyFileThread::AbortReason() const
{
    QMutexLocker lock(&m_mutex);
    return m_abortReason;
}

bool TCorvaleCopyFileThread::CopyOneFile(const QString &source, const QString &target,
                                         QString *problem)
{
    // A read-only target is replaced all the same: its mark is cleared first.
    const QByteArray name = QFile::encodeName(target);
    struct stat st;
    if (::lstat(name.constData(), &st) == 0 && S_ISREG(st.st_mode) && !(st.st_mode & S_IWUSR))
        ::chmod(name.constData(), (st.st_mode & 07777) | S_IWUSR);
    return CorvaleGlobal::CopyFileReplacing(source, target, false, problem);
}

bool TCorvaleCopyFileThread::IsSameSize(const QString &target, const QString &source)
{
    const QFileInfo t(target), s(source);
    return t.isFile() && s.isFile() && t.size() == s.size();
}

void TCorvaleCopyFileThread::run()
{
    // Whatever happens, the window hears DONE or ABORT: it waits for one of them.
    try {
        Execute();
    } catch (const SetupError &e) {
        abort(quint64(m_current), e.message());
    } catch (const std::exception &e) {
        abort(quint64(m_current), QStringLiteral("the copy stopped on an error: %1")
                                      .arg(QString::fromLocal8Bit(e.what())));
    } catch (...) {
        abort(quint64(m_current), QStringLiteral("the copy stopped on an unknown error"));
    }
}

void TCorvaleCopyFileThread::Execute()
{
    InstallLog &log = m_rules.Log();
    // A rules file that names nothing to install is damaged: nothing is made, not even the
    // install folder.
    const QString damaged = m_rules.RulesProblem();
    if (!damaged.isEmpty()) throw SetupError(damaged);
    if (m_installDir.isEmpty()) throw SetupError(m_rules.InstallDirProblem());
    QString problem;
    if (!makeFolders(m_installDir, &problem))
        throw SetupError(
            QStringLiteral("The install folder %1 cannot be used: %2").arg(m_installDir, problem));
    log.Info(QStringLiteral("copying files from %1 to %2").arg(m_sourceDir, m_installDir));

    // The shipped log template first, so that what it holds stays; then the folder itself. Both
    // the template and the uninstaller are optional.
    const QString logTemplate = m_sourceDir + QLatin1String(TSetupRule::UninstallLogTitle);
    if (QFileInfo(logTemplate).isFile() &&
        !CopyOneFile(logTemplate, m_installDir + QLatin1String(TSetupRule::UninstallLogTitle),
                     &problem))
        log.Problem(QStringLiteral("the uninstall log template was not copied: %1").arg(problem));
    m_rules.WriteUninstallLog(QStringLiteral("Files"), m_installDir);
    const QString uninstaller = m_sourceDir + QLatin1String(UninstallerTitle);
    if (QFileInfo(uninstaller).isFile() &&
        !CopyOneFile(uninstaller, m_installDir + QLatin1String(UninstallerTitle), &problem))
        log.Problem(QStringLiteral("the uninstaller was not copied: %1").arg(problem));

    const int count = int(m_rules.FileLines().size());
    for (int i = 0; i < count; ++i) {
        if (m_stop) {
            abort(quint64(i), QStringLiteral("cancelled by the user"), true);
            return;
        }
        m_current = i;
        post(WM_COPYFILE_BEGIN, quint64(i));
        if (copyLine(i) == LineResult::Aborted) return;
    }
    if (m_stop) {
        abort(quint64(count), QStringLiteral("cancelled by the user"), true);
        return;
    }
    // Every line failed and was ignored: nothing is installed, so nothing may be registered or
    // started, and the finish page must not say that the program is installed.
    if (m_installed == 0) {
        abort(quint64(count),
              QStringLiteral("No file was installed: every file that %1 names failed to copy.")
                  .arg(m_rules.RulesFile().FileName()));
        return;
    }
    log.Info(QStringLiteral("%1 of %2 files installed").arg(m_installed).arg(count));
    post(WM_COPYFILE_DONE, 0);
}

TCorvaleCopyFileThread::LineResult TCorvaleCopyFileThread::copyLine(int index)
{
    InstallLog &log = m_rules.Log();
    const QString line = m_rules.FileLines()[index];
    if (m_rules.IsFolderLine(index)) return makeFolderLine(index);
    QString source, target, folder, problem;
    // A refused line (its target would leave the install folder) cannot be copied at all; the
    // user is asked like for any other failure.
    const bool paths = m_rules.GetFilePaths(index, &source, &target, &folder, &problem);
    const QString name = fileNameOf(target);
    for (;;) {
        bool done = false;
        if (paths) {
            problem.clear();
            // A link planted in the install folder would take the file anywhere.
            const QString link = CorvaleGlobal::LinkedFolderBelow(m_installDir, target);
            if (!link.isEmpty())
                problem = QStringLiteral("%1 is a link; Setup writes no file through it").arg(link);
            else if (folder.isEmpty() || makeFolders(folder, &problem))
                done = CopyOneFile(source, target, &problem);
            // A file that cannot be replaced (a shared runtime in use) counts as installed when
            // it is there with the source's size. A missing source never counts: there is
            // nothing of it to install.
            if (!done && link.isEmpty() && QFileInfo(source).isFile() &&
                (name.compare(QLatin1String("msvbvm60.dll"), Qt::CaseInsensitive) == 0 ||
                 IsSameSize(target, source))) {
                log.Info(QStringLiteral("%1 kept as it is, of the source's size (%2)")
                             .arg(target, problem));
                done = true;
            }
        }
        if (done) {
            if (problem.isEmpty()) log.Info(QStringLiteral("copied %1 to %2").arg(source, target));
            ++m_installed;
            break;
        }
        const QString shown = paths ? target : line;
        // The user asked to quit already: no question about a file that is not wanted.
        if (m_stop) {
            log.Problem(QStringLiteral("%1 was not installed (%2)").arg(shown, problem));
            abort(quint64(index), QStringLiteral("cancelled by the user"), true);
            return LineResult::Aborted;
        }
        const QString text =
            m_language.ReadString(QStringLiteral("Install"), QStringLiteral("CopyOneFailedPrompt"),
                                  QStringLiteral("复制文件失败")) +
            QStringLiteral("\nFileName=") + shown + QLatin1Char('\n') + problem;
        const int answer = m_prompt ? m_prompt(text, index) : int(win::vbAbort);
        if (answer == win::vbRetry) {
            if (paths && name.compare(QLatin1String(LockedModuleName), Qt::CaseInsensitive) == 0 &&
                m_deleteLockedFile)
                m_deleteLockedFile(target, QLatin1String(LockedModuleHolder));
            continue;
        }
        if (answer == win::vbIgnore) {
            log.Problem(QStringLiteral("%1 was not installed (%2); the user chose Ignore")
                            .arg(shown, problem));
            break;
        }
        // Abort, and any answer that is none of the three.
        abort(quint64(index), QStringLiteral("FileName=%1\n%2").arg(shown, problem));
        return LineResult::Aborted;
    }
    // A refused target, or one behind a link, is not logged: the uninstaller would remove a
    // file outside its folder.
    if (paths && CorvaleGlobal::LinkedFolderBelow(m_installDir, target).isEmpty())
        m_rules.WriteUninstallLog(QStringLiteral("Files"), target);
    post(WM_COPYFILE_STEP, quint64(CorvaleGlobal::GetFileSizeOf(source)));
    return LineResult::Done;
}

TCorvaleCopyFileThread::LineResult TCorvaleCopyFileThread::makeFolderLine(int index)
{
    QString folder, problem;
    // A folder behind a link planted in the install folder could be anywhere.
    bool made = m_rules.GetFolderPath(index, &folder, &problem);
    if (made) {
        const QString link =
            CorvaleGlobal::LinkedFolderBelow(m_installDir, folder + QStringLiteral("/x"));
        if (!link.isEmpty())
            problem = QStringLiteral("%1 is a link; Setup makes no folder through it").arg(link);
        made = link.isEmpty() && makeFolders(folder, &problem);
    }
    if (made) {
        m_rules.Log().Info(QStringLiteral("made the folder %1").arg(folder));
        m_rules.WriteUninstallLog(QStringLiteral("Files"), folder);
    } else {
        m_rules.Log().Problem(
            QStringLiteral("the folder %1 was not made: %2").arg(folder, problem));
    }
    post(WM_COPYFILE_STEP, 0);
    return LineResult::Done;
}

void TCorvaleCopyFileThread::abort(quint64 index, const QString &reason, bool cancelled)
{
    {
        QMutexLocker lock(&m_mutex);
        m_abortReason = reason;
    }
    m_cancelled = cancelled;
    if (cancelled)
        m_rules.Log().Info(QStringLiteral("copy stopped: %1").arg(reason));
    else
        m_rules.Log().Problem(QStringLiteral("copy stopped: %1").arg(reason));
    post(WM_COPYFILE_ABORT, index);
}

void TCorvaleCopyFileThread::post(int message, quint64 wParam)
{
    PostSetupMessage(m_window, message, wParam);
}
