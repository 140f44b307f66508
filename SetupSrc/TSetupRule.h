#pragma once

#include "SetupSrc/Include/TKoSetupBase.h"
#include "SetupSrc/InstallLog.h"

#include <QList>
#include <QMutex>
#include <QString>
#include <QStringList>
#include <memory>

class RegistryAccess;

// The rules of one installation, read from "Setup.rul", and the install actions that follow
// the copy: registry values, COM servers, shortcuts and the programs to start afterwards, each
// recorded in the uninstall log "Uninst.isu" in the install folder. What happens is written to
// the install log (Log()), whose problems the finish page shows.
//
// Threads: the copy thread may call GetFilePaths, WriteUninstallLog and Log() while the window's
// thread waits for it; the install actions run after it has ended, on one thread. They wait for
// each regsvr32 run (ServerTimeout()), so a wizard that must stay responsive runs them on a
// worker thread; they touch no window.
class TSetupRule : public TKoSetupBase
{
public:
    static constexpr const char *RulesFileTitle = "Setup.rul";
    static constexpr const char *UninstallLogTitle = "Uninst.isu";
    static constexpr const char *LanguageFileTitle = "DefLang.ini";

    // The source folder is the rules file's own folder: the installer stands beside it.
    explicit TSetupRule(const QString &rulesPath);
    ~TSetupRule() override;

    // Reads [ShowDialog] and [Setup]; the constructor has done so already.
    void LoadSetupOptions();

    // {TARGETDIR} (exactly so) followed by a path: the install folder and the path, one "/"
    // between them ("\" in the path becomes "/"). Another macro expands to nothing; a text that
    // does not start with "{" stays as it is.
    QString ExpandMacro(const QString &text, QString *macroName = nullptr,
                        QString *remainder = nullptr) const override;

    bool SdLicense() const { return m_sdLicense; }
    bool SdAskDestPath() const { return m_sdAskDestPath; }
    QString Caption() const { return m_caption; }
    QString AppName() const { return m_appName; }
    QString LicenseFile() const { return m_licenseFile; } // source folder + LicenseFile
    QString WizardImageFile() const { return m_wizardImageFile; }
    QString WhenFinishLaunchApp() const { return m_whenFinishLaunchApp; }
    bool LaunchAppDefault() const { return m_launchAppDefault; }
    QString SourceDir() const { return m_sourceDir; }           // ends in "/"
    QString DefaultDirName() const { return m_defaultDirName; } // expanded
    // The wizard's language file beside the rules file (read with an IniFile; it may be
    // missing, and every text then keeps its default).
    QString LanguageFileName() const { return m_sourceDir + QLatin1String(LanguageFileTitle); }

    // The install folder, ending in "/"; "" when DefaultDirName names none.
    QString InstallDir() const;
    // The folder the user chose (checked with CorvaleGlobal::IsValidPath); a "/" is appended.
    void SetInstallDir(const QString &folder);
    // Whether the install folder can be installed into: an empty DefaultDirName, an unknown
    // macro or a relative result would put the files into the root or the current folder.
    bool InstallDirValid() const;
    // Whether this user may write the install folder (or make it).
    bool InstallDirWritable() const;
    // Why the install folder cannot be used (none, or one this user cannot write), naming the
    // rules file and its value; "" when it can.
    QString InstallDirProblem() const;
    // The destination page is shown when the rules ask for it and also, whatever they say, when
    // the install folder from the rules cannot be used.
    bool NeedsDestPage() const { return m_sdAskDestPath || !InstallDirWritable(); }

    // Why nothing can be installed from the rules file: it cannot be read, or it names no file
    // to install (it is empty, cut short or no rules file at all); "" when it can.
    QString RulesProblem() const;

    // The [Files] lines as written, and their line numbers in the rules file.
    const QStringList &FileLines() const { return m_files; }
    const QList<int> &FileLineNumbers() const { return m_fileLineNumbers; }
    // A [Files] line that ends in "/" or "\" (without "=") names a folder of the installation
    // to make, empty, such as one the program writes in; *folder gets its path inside the
    // install folder (false and *problem when it would leave it).
    bool IsFolderLine(int index) const;
    bool GetFolderPath(int index, QString *folder, QString *problem) const;
    // Sum in bytes of the [Files] sources; a source that cannot be opened counts 0.
    qint64 GetTotalFileSize() const;
    // Source and target of [Files] line `index`: "source" or "source=target", the target
    // relative to the install folder (one leading separator dropped). *folderToCreate gets the
    // target's folder when the line names a target with a folder ("" otherwise). A target that
    // would leave the install folder (absolute, "..") is refused: false, and *problem names the
    // line (*source is set all the same).
    bool GetFilePaths(int index, QString *source, QString *target, QString *folderToCreate,
                      QString *problem) const;

    // The install actions, in this order after the copy. Each skips (and logs as a problem) a
    // line it cannot carry out and goes on. WriteRegistryEntries raises SetupError when a key
    // cannot be created, a value cannot be written or a DWORD's data is no number; the wizard
    // then shows the error and runs no further action.
    void WriteRegistryEntries();
    void RegisterServers();
    void CreateShortcuts();
    void RunPostSetupSteps();
    // The four in order; false with the error's text when one raised.
    bool RunInstallActions(QString *error = nullptr);

    // Writes key `item` with an empty value in section `category` of install folder +
    // "Uninst.isu". False (and a problem logged) when the file refuses it.
    bool WriteUninstallLog(const QString &category, const QString &item);
    QString UninstallLogFileName() const;

    InstallLog &Log() { return m_log; }
    const InstallLog &Log() const { return m_log; }

    // How long one regsvr32 run may take before it is ended (milliseconds).
    int ServerTimeout() const { return m_serverTimeoutMs; }
    void SetServerTimeout(int ms) { m_serverTimeoutMs = ms; }

    // "<rules file>:<line>: [<section>]", the prefix of problems about a rules-file line.
    QString LineRef(const QString &section, int lineNumber) const;

protected:
    void LogRegistryValue(const TRegistryItem &item);
    void LogShortcut(const QString &path);
    void CreateRegistryKeyPath(RegistryAccess &registry, const TRegistryItem &item,
                               QStringList &createdKeys);
    void CreateProgramFolder(const QString &subFolder, int kind, QStringList &createdFolders);

private:
    bool beginAction(const char *name);
    void lineProblem(const QString &section, int lineNumber, const QString &line,
                     const QString &why);
    void registerServer(const QString &tool, const QString &line, int lineNumber);

    bool m_sdLicense = true;
    bool m_sdAskDestPath = true;
    QString m_caption;
    QString m_appName;
    QString m_defaultDirValue; // as written
    QString m_defaultDirName;  // expanded
    QString m_licenseFile;
    QString m_wizardImageFile;
    QString m_whenFinishLaunchApp;
    bool m_launchAppDefault = true;
    QString m_sourceDir;
    QStringList m_files;
    QList<int> m_fileLineNumbers;
    int m_serverTimeoutMs = 120000;

    mutable QMutex m_mutex; // the install folder and the uninstall log
    QString m_installDir;
    std::unique_ptr<TKoIniFile> m_uninstallLog;
    bool m_logFileRecorded = false;
    InstallLog m_log;
};
