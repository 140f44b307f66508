#pragma once

#include <QMutex>
#include <QObject>
#include <QString>
#include <QThread>
#include <atomic>
#include <functional>

class IniFile;
class TSetupRule;

// Copies the [Files] lines of the rules file from the source folder into the install folder on
// its own thread, so that the wizard stays responsive. It reports to the window only by posting
// WM_COPYFILE_BEGIN, _STEP, _DONE and _ABORT (SetupMessage.h); its last message is always DONE
// or ABORT, also when something unexpected went wrong. Every installed file goes into the
// uninstall log.
//
// A failed copy asks the user Abort, Retry or Ignore through the prompt given at construction,
// which runs on this thread: the wizard's prompt hands the question to the window's thread and
// waits there for the answer. The window never waits for this thread while it may be asking.
//
// RequestStop() lets the thread finish the file it copies, then post ABORT and end; the window
// closes only after that ABORT, so that nothing the thread uses goes away under it.
class TCorvaleCopyFileThread : public QThread
{
    Q_OBJECT

public:
    // The answer: win::vbAbort, win::vbRetry or win::vbIgnore. `text` says which file failed and
    // why; `index` is its [Files] line.
    using Prompt = std::function<int(const QString &text, int index)>;
    // Frees a module a running program holds, so that a retried copy can replace it.
    using LockedFileDeleter =
        std::function<bool(const QString &path, const QString &executableName)>;

    // The module of the context-menu extension, which the file manager's helper may hold, and
    // that helper's executable name.
    static constexpr const char *LockedModuleName = "Menulet.so";
    static constexpr const char *LockedModuleHolder = "shellhost";
    // The uninstaller, copied beside its log when the source folder holds one.
    static constexpr const char *UninstallerTitle = "Uninst";

    // The window must outlive the thread; the rules and the language file too. The thread reads
    // the [Files] lines and the folders from the rules and writes their logs.
    TCorvaleCopyFileThread(QObject *window, TSetupRule &rules, const IniFile &language,
                           Prompt prompt, QObject *parent = nullptr);
    // Waits for the thread: destroy it only after its DONE or ABORT has arrived.
    ~TCorvaleCopyFileThread() override;

    void SetLockedFileDeleter(LockedFileDeleter deleter)
    {
        m_deleteLockedFile = std::move(deleter);
    }

    // Ends the run after the current file; any thread may call it.
    void RequestStop() { m_stop = true; }
    bool StopRequested() const { return m_stop; }

    // Why the run ended with ABORT: the user's Abort on a named file, a stop request, or an
    // error; "" before then.
    QString AbortReason() const;
    // The ABORT came from RequestStop.
    bool Cancelled() const { return m_cancelled; }

    // Copies one file over its target, whose read-only mark is cleared first; the reason of a
    // failure goes to *problem.
    static bool CopyOneFile(const QString &source, const QString &target,
                            QString *problem = nullptr);
    // Both files exist and have the same size.
    static bool IsSameSize(const QString &target, const QString &source);

protected:
    void run() override;

private:
    enum class LineResult { Done, Aborted };
    void Execute();
    LineResult copyLine(int index);
    LineResult makeFolderLine(int index);
    void abort(quint64 index, const QString &reason, bool cancelled = false);
    void post(int message, quint64 wParam);

    QObject *m_window;
    TSetupRule &m_rules;
    const IniFile &m_language;
    Prompt m_prompt;
    LockedFileDeleter m_deleteLockedFile;
    QString m_sourceDir;
    QString m_installDir;
    int m_current = 0;   // the line being copied (this thread only)
    int m_installed = 0; // lines copied or kept (this thread only)
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_cancelled{false};
    mutable QMutex m_mutex;
    QString m_abortReason;
};
