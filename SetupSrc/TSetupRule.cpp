#include "SetupSrc/TSetupRule.h"

#include "SetupSrc/Include/CorvaleGlobal.h"
#include "SetupSrc/Include/KoShortcut.h"
#include "SetupSrc/Include/RegistryAccess.h"
#include "SetupSrc/Include/SetupError.h"
#include "SetupSrc/Include/TWy_GlobalBcbString.h"
#include "platform/registry/Registry.h"

#include <QDir>
#include <QFileInfo>

namespace {

QString withSlash(const QString &folder)
{
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

bool hasControlCharacter(const QString &text)
{
    for (QChar ch : text)
        if (ch.unicode() < 0x20 || ch.unicode() == 0x7F) return true;
    return false;
}

// What regsvr32's exit codes mean.
QString serverExitMeaning(int code)
{
    switch (code) {
    case 1:
        return QStringLiteral("bad arguments");
    case 3:
        return QStringLiteral("the file could not be loaded");
    case 4:
        return QStringLiteral("the file has no registration entry point");
    case 5:
        return QStringLiteral("the registration failed");
    default:
        return QStringLiteral("failed");
    }
}

// The parts of a "file" or "file=target" line, blanks around each dropped (a file name with
// leading or trailing blanks cannot be meant).
void splitFileLine(const QString &line, QString *file, QString *target, bool *hasTarget)
{
    QStringList parts;
    TWy_GlobalBcbString::SplitString(line, parts, QStringLiteral("="));
    *file = parts.value(0).trimmed();
    *target = parts.value(1).trimmed();
    *hasTarget = parts.size() > 1;
}

} // namespace

TSetupRule::TSetupRule(const QString &rulesPath) : TKoSetupBase(rulesPath)
{
    m_sourceDir = withSlash(QFileInfo(rulesPath).absolutePath());
    QString unreadable;
    if (!RulesFile().CheckReadable(&unreadable)) m_log.Problem(unreadable);
    LoadSetupOptions();
    ReadSection(QStringLiteral("Files"), m_files, &m_fileLineNumbers);
    SetInstallDir(m_defaultDirName);
}

TSetupRule::~TSetupRule() = default;

void TSetupRule::LoadSetupOptions()
{
    const TKoIniFile &rules = RulesFile();
    const QString setup = QStringLiteral("Setup");
    m_sdLicense = rules.ReadInteger(QStringLiteral("ShowDialog"), QStringLiteral("SdLicense"), 1);
    m_sdAskDestPath =
        rules.ReadInteger(QStringLiteral("ShowDialog"), QStringLiteral("SdAskDestPath"), 1);
    m_caption = rules.ReadString(setup, QStringLiteral("Caption"), QString());
    m_appName = rules.ReadString(setup, QStringLiteral("AppName"), QString());
    m_defaultDirValue = rules.ReadString(setup, QStringLiteral("DefaultDirName"), QString());
    m_defaultDirName = ExpandDirMacro(m_defaultDirValue);
    m_licenseFile = m_sourceDir + CorvaleGlobal::ToSlashes(
                                      rules.ReadString(setup, QStringLiteral("LicenseFile"), {}));
    m_wizardImageFile = rules.ReadString(setup, QStringLiteral("WizardImageFile"), QString());
    m_whenFinishLaunchApp =
        rules.ReadString(setup, QStringLiteral("WhenFinishLaunchApp"), QString());
    m_launchAppDefault = rules.ReadInteger(setup, QStringLiteral("LaunchAppDefault"), 1);
}

QString TSetupRule::ExpandMacro(const QString &text, QString *macroName, QString *remainder) const
{
    QString name;
    QString rest = text;
    QString result = text;
    if (text.startsWith(QLatin1Char('{'))) {
        const qsizetype close = text.indexOf(QLatin1Char('}'));
        if (close >= 0) {
            name = text.mid(1, close - 1);
            rest = text.mid(close + 1);
        }
        result = rest;
        if (name == QLatin1String("TARGETDIR")) {
            const QString path = CorvaleGlobal::ToSlashes(rest);
            QString folder = InstallDir();
            if (folder.endsWith(QLatin1Char('/')) && path.startsWith(QLatin1Char('/')))
                folder.chop(1);
            result = folder + path;
        }
    }
    if (macroName) *macroName = name;
    if (remainder) *remainder = rest;
    return result;
}

QString TSetupRule::InstallDir() const
{
    QMutexLocker lock(&m_mutex);
    return m_installDir;
}

void TSetupRule::SetInstallDir(const QString &folder)
{
    const bool valid = CorvaleGlobal::IsValidPath(folder);
    const QString dir = valid ? withSlash(CorvaleGlobal::CleanAbsolutePath(folder)) : QString();
    {
        QMutexLocker lock(&m_mutex);
        m_installDir = dir;
    }
    m_log.SetFileName(valid ? dir + QLatin1String(InstallLog::FileTitle) : QString());
}

bool TSetupRule::InstallDirValid() const
{
    return !InstallDir().isEmpty();
}

bool TSetupRule::InstallDirWritable() const
{
    return InstallDirValid() && CorvaleGlobal::FolderWritable(InstallDir());
}

QString TSetupRule::InstallDirProblem() const
{
    if (InstallDirWritable()) return QString();
    QString why;
    if (InstallDirValid())
        why = QStringLiteral("gives %1, which this user cannot write").arg(InstallDir());
    else if (m_defaultDirValue.isEmpty())
        why = QStringLiteral("is empty");
    else if (m_defaultDirName.isEmpty())
        why = QStringLiteral("names an unknown macro or no Program Files folder");
    else
        why = QStringLiteral("gives \"%1\", which is no absolute folder below the root")
                  .arg(m_defaultDirName);
    return QStringLiteral("%1: [Setup] DefaultDirName=\"%2\" %3; choose the install folder")
        .arg(RulesFile().FileName(), m_defaultDirValue, why);
}

QString TSetupRule::RulesProblem() const
{
    QString unreadable;
    if (!RulesFile().CheckReadable(&unreadable))
        return QStringLiteral("The rules file is damaged: %1").arg(unreadable);
    if (m_files.isEmpty())
        return QStringLiteral("The rules file %1 is damaged: it names no file to install (its "
                              "[Files] section is missing or empty). Nothing was installed.")
            .arg(RulesFile().FileName());
    return QString();
}

qint64 TSetupRule::GetTotalFileSize() const
{
    qint64 total = 0;
    for (qsizetype i = 0; i < m_files.size(); ++i) {
        if (IsFolderLine(int(i))) continue;
        QString file, target;
        bool hasTarget = false;
        splitFileLine(m_files[i], &file, &target, &hasTarget);
        total += CorvaleGlobal::GetFileSizeOf(m_sourceDir + CorvaleGlobal::ToSlashes(file));
    }
    return total;
}

bool TSetupRule::GetFilePaths(int index, QString *source, QString *target, QString *folderToCreate,
                              QString *problem) const
{
    if (index < 0 || index >= m_files.size()) {
        if (problem) *problem = QStringLiteral("no [Files] line %1").arg(index);
        return false;
    }
    const QString &line = m_files[index];
    const QString ref = LineRef(QStringLiteral("Files"), m_fileLineNumbers[index]);
    QString file, relative;
    bool hasTarget = false;
    splitFileLine(line, &file, &relative, &hasTarget);
    relative = CorvaleGlobal::ToSlashes(hasTarget ? relative : file);
    if (hasTarget && relative.startsWith(QLatin1Char('/'))) relative.remove(0, 1);
    // The source is given also when the target is refused: the copy still steps its progress.
    if (source) *source = m_sourceDir + CorvaleGlobal::ToSlashes(file);
    const QString installDir = InstallDir();
    QString joined, why;
    if (installDir.isEmpty()) {
        if (problem) *problem = QStringLiteral("%1 no install folder: %2").arg(ref, line);
        return false;
    }
    if (!CorvaleGlobal::JoinInside(installDir, relative, &joined, &why)) {
        if (problem) *problem = QStringLiteral("%1 target refused (%2): %3").arg(ref, why, line);
        return false;
    }
    if (target) *target = joined;
    if (folderToCreate) {
        const QString folder = CorvaleGlobal::ExtractNameParts(relative);
        *folderToCreate = hasTarget && !folder.isEmpty() ? installDir + folder : QString();
    }
    return true;
}

bool TSetupRule::IsFolderLine(int index) const
{
    const QString line = m_files.value(index).trimmed();
    return !line.contains(QLatin1Char('=')) &&
           (line.endsWith(QLatin1Char('/')) || line.endsWith(QLatin1Char('\\')));
}

bool TSetupRule::GetFolderPath(int index, QString *folder, QString *problem) const
{
    const QString line = m_files.value(index);
    QString relative = CorvaleGlobal::ToSlashes(line.trimmed());
    while (relative.endsWith(QLatin1Char('/')))
        relative.chop(1);
    const QString installDir = InstallDir();
    QString why;
    if (installDir.isEmpty() || !CorvaleGlobal::JoinInside(installDir, relative, folder, &why)) {
        if (problem)
            *problem =
                QStringLiteral("%1 folder refused (%2): %3")
                    .arg(LineRef(QStringLiteral("Files"), m_fileLineNumbers.value(index)),
                         installDir.isEmpty() ? QStringLiteral("no install folder") : why, line);
        return false;
    }
    return true;
}

QString TSetupRule::LineRef(const QString &section, int lineNumber) const
{
    return QStringLiteral("%1:%2: [%3]").arg(RulesFile().FileName()).arg(lineNumber).arg(section);
}

void TSetupRule::lineProblem(const QString &section, int lineNumber, const QString &line,
                             const QString &why)
{
    m_log.Problem(
        QStringLiteral("%1 line skipped (%2): %3").arg(LineRef(section, lineNumber), why, line));
}

bool TSetupRule::beginAction(const char *name)
{
    if (!InstallDirValid()) {
        m_log.Problem(
            QStringLiteral("%1 not carried out: %2").arg(QLatin1String(name), InstallDirProblem()));
        return false;
    }
    m_log.Info(QLatin1String(name));
    // The install log lives in the install folder, so the uninstaller removes it too. It is
    // recorded once the copy is over, after the copy has put the shipped template in place.
    if (!m_logFileRecorded && m_log.Flush()) {
        m_logFileRecorded = true;
        WriteUninstallLog(QStringLiteral("Files"), m_log.FileName());
    }
    return true;
}

bool TSetupRule::WriteUninstallLog(const QString &category, const QString &item)
{
    bool written = false;
    QString file;
    {
        QMutexLocker lock(&m_mutex);
        if (!m_uninstallLog && !m_installDir.isEmpty())
            m_uninstallLog =
                std::make_unique<TKoIniFile>(m_installDir + QLatin1String(UninstallLogTitle));
        if (m_uninstallLog) {
            file = m_uninstallLog->FileName();
            // The installer's own file: a link planted in its place would be written through.
            written = CorvaleGlobal::ClearForOwnFile(file) &&
                      m_uninstallLog->WriteString(category, item, QString());
        }
    }
    if (!written)
        m_log.Problem(QStringLiteral("the uninstall log %1 refused the entry \"%2\" of [%3]")
                          .arg(file, item, category));
    return written;
}

QString TSetupRule::UninstallLogFileName() const
{
    QMutexLocker lock(&m_mutex);
    return m_uninstallLog
               ? m_uninstallLog->FileName()
               : (m_installDir.isEmpty() ? QString()
                                         : m_installDir + QLatin1String(UninstallLogTitle));
}

void TSetupRule::LogRegistryValue(const TRegistryItem &item)
{
    WriteUninstallLog(QStringLiteral("Registry"), FormatRegistryLogLine(item) +
                                                      QStringLiteral("; ValueName:") +
                                                      item.ValueName);
}

void TSetupRule::LogShortcut(const QString &path)
{
    WriteUninstallLog(QStringLiteral("Shortcut"), path);
}

void TSetupRule::CreateRegistryKeyPath(RegistryAccess &registry, const TRegistryItem &item,
                                       QStringList &createdKeys)
{
    if (registry.KeyExists(item.SubKey)) return;
    QString path;
    for (const QString &level : item.SubKey.split(QLatin1Char('\\'), Qt::SkipEmptyParts)) {
        path = path.isEmpty() ? level : path + QLatin1Char('\\') + level;
        if (registry.KeyExists(path)) continue;
        registry.CreateKey(path);
        const QString line = FormatRegistryLogLine(item);
        if (!createdKeys.contains(line)) createdKeys.append(line);
    }
}

void TSetupRule::WriteRegistryEntries()
{
    if (!beginAction("registry entries")) return;
    QList<TRegistryItem> items;
    if (ReadRegistryEntries(items) == 0) return;
    const QString section = QStringLiteral("Registry");
    RegistryAccess registry;
    QStringList createdKeys;
    const TRegistryItem *current = nullptr;
    auto logCreatedKeys = [&] {
        for (const QString &line : std::as_const(createdKeys))
            WriteUninstallLog(section, line);
    };
    try {
        for (const TRegistryItem &item : std::as_const(items)) {
            current = &item;
            if (item.RootKey == 0) {
                lineProblem(section, item.LineNumber, item.Line,
                            item.RootName.isEmpty()
                                ? QStringLiteral("no ROOT")
                                : QStringLiteral("unknown root \"%1\"").arg(item.RootName));
                continue;
            }
            registry.SetRootKey(item.RootKey);
            CreateRegistryKeyPath(registry, item, createdKeys);
            if (!registry.OpenKey(item.SubKey, false)) {
                lineProblem(section, item.LineNumber, item.Line,
                            QStringLiteral("the key cannot be opened for writing"));
                continue;
            }
            if (item.ValueType == win::REG_SZ) {
                registry.WriteString(item.ValueName, item.ValueData);
            } else if (item.ValueType == win::REG_DWORD) {
                qint32 number = 0;
                if (!item.ValueData.isEmpty() &&
                    !CorvaleGlobal::TextToInteger(item.ValueData, &number))
                    throw SetupError(
                        QStringLiteral("'%1' is not a valid integer value").arg(item.ValueData));
                registry.WriteInteger(item.ValueName, number);
            } else {
                registry.CloseKey();
                lineProblem(section, item.LineNumber, item.Line,
                            QStringLiteral("unknown value type \"%1\"; the key was created, no "
                                           "value written")
                                .arg(item.ValueTypeName));
                continue;
            }
            LogRegistryValue(item);
            m_log.Info(FormatRegistryLogLine(item) + QStringLiteral("; ValueName:") +
                       item.ValueName);
            registry.CloseKey();
        }
    } catch (const SetupError &e) {
        // The keys made so far are recorded all the same, so that an uninstall removes them.
        logCreatedKeys();
        if (current)
            m_log.Problem(
                QStringLiteral("%1 %2: %3")
                    .arg(LineRef(section, current->LineNumber), e.message(), current->Line));
        throw;
    }
    logCreatedKeys();
}

void TSetupRule::RegisterServers()
{
    if (!beginAction("COM registration")) return;
    QStringList lines;
    QList<int> numbers;
    if (ReadSection(QStringLiteral("Regsvr32"), lines, &numbers) == 0) return;
    const QString tool = CorvaleGlobal::FindProgram(QStringLiteral("regsvr32"), m_sourceDir);
    for (qsizetype i = 0; i < lines.size(); ++i)
        registerServer(tool, lines[i], numbers[i]);
}

void TSetupRule::registerServer(const QString &tool, const QString &line, int lineNumber)
{
    const QString section = QStringLiteral("Regsvr32");
    QString file, targetText;
    bool hasTarget = false;
    splitFileLine(line, &file, &targetText, &hasTarget);
    const QString installDir = InstallDir();
    QString installed, why;
    if (!CorvaleGlobal::JoinInside(installDir, file, &installed, &why)) {
        lineProblem(section, lineNumber, line, why);
        return;
    }
    QString folder = ExpandMacro(targetText);
    const bool toSystem = folder.isEmpty();
    if (toSystem) {
        folder = CorvaleGlobal::GetSystemDir();
        if (folder.isEmpty()) {
            lineProblem(section, lineNumber, line,
                        QStringLiteral("there is no system folder (HOME is not set)"));
            return;
        }
    }
    if (!folder.startsWith(QLatin1Char('/'))) {
        lineProblem(section, lineNumber, line,
                    QStringLiteral("the folder \"%1\" is no absolute path").arg(folder));
        return;
    }
    folder = withSlash(CorvaleGlobal::CleanAbsolutePath(folder));
    // A server goes to the system folder or stays inside the install folder, nowhere else.
    if (!toSystem && !folder.startsWith(installDir) &&
        folder != withSlash(CorvaleGlobal::GetSystemDir())) {
        lineProblem(section, lineNumber, line,
                    QStringLiteral("the folder \"%1\" is outside the install folder").arg(folder));
        return;
    }
    const QString destination = folder + CorvaleGlobal::ToSlashes(file);
    if (!QFileInfo::exists(destination)) {
        QDir().mkpath(CorvaleGlobal::ExtractNameParts(destination));
        QString copyProblem;
        if (CorvaleGlobal::CopyFileReplacing(installed, destination, true, &copyProblem))
            m_log.Info(QStringLiteral("copied %1 to %2").arg(installed, destination));
        if (!QFileInfo::exists(destination)) {
            lineProblem(section, lineNumber, line,
                        QStringLiteral("the server cannot be copied: %1").arg(copyProblem));
            return;
        }
    }
    WriteUninstallLog(section, destination);
    const QString command = QStringLiteral("regsvr32 /s %1").arg(destination);
    if (tool.isEmpty()) {
        m_log.Problem(QStringLiteral("%1 not registered: regsvr32 is neither beside Setup (%2) "
                                     "nor on PATH")
                          .arg(destination, m_sourceDir));
        return;
    }
    int code = -1;
    QString note;
    if (!CorvaleGlobal::RunAndWait(tool, {QStringLiteral("/s"), destination}, m_serverTimeoutMs,
                                   &code, &note)) {
        m_log.Problem(QStringLiteral("%1: %2").arg(command, note));
        return;
    }
    if (code == 0)
        m_log.Info(QStringLiteral("%1: exit code 0").arg(command));
    else
        m_log.Problem(QStringLiteral("%1: exit code %2, %3%4")
                          .arg(command)
                          .arg(code)
                          .arg(serverExitMeaning(code), note));
}

void TSetupRule::CreateProgramFolder(const QString &subFolder, int kind,
                                     QStringList &createdFolders)
{
    QString sub = subFolder;
    if (sub.startsWith(QLatin1Char('/'))) sub.remove(0, 1);
    if (KoShortcut::ShellSubFolderExists(sub, kind, true)) return;
    QString path;
    for (const QString &level : sub.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        path = path.isEmpty() ? level : path + QLatin1Char('/') + level;
        if (KoShortcut::ShellSubFolderExists(path, kind, true)) continue;
        const QString created = KoShortcut::CreateShellSubFolder(path, kind, true);
        if (!created.isEmpty() && QFileInfo(created).isDir())
            createdFolders.append(created);
        else
            m_log.Problem(QStringLiteral("the shortcut folder %1 cannot be created")
                              .arg(created.isEmpty() ? path : created));
    }
}

void TSetupRule::CreateShortcuts()
{
    if (!beginAction("shortcuts")) return;
    QList<TShortcutItem> items;
    if (ReadShortcutEntries(items) == 0) return;
    const QString section = QStringLiteral("Shortcut");
    QStringList createdFolders;
    for (const TShortcutItem &item : std::as_const(items)) {
        auto skip = [&](const QString &why) {
            lineProblem(section, item.LineNumber, item.Line, why);
        };
        QString macro, rest;
        ExpandMacro(item.ProgramFolder, &macro, &rest);
        int kind = -1;
        if (macro == QLatin1String("FOLDER_DESKTOP"))
            kind = KoShortcut::Desktop;
        else if (macro == QLatin1String("FOLDER_STARTMENU"))
            kind = KoShortcut::StartMenu;
        else if (macro == QLatin1String("FOLDER_PROGRAMS"))
            kind = KoShortcut::Programs;
        if (kind < 0) {
            skip(QStringLiteral("PROGRAMFOLDER \"%1\" names none of {FOLDER_DESKTOP}, "
                                "{FOLDER_STARTMENU}, {FOLDER_PROGRAMS}")
                     .arg(item.ProgramFolder));
            continue;
        }
        QString sub = CorvaleGlobal::ToSlashes(rest);
        if (sub.startsWith(QLatin1Char('/'))) sub.remove(0, 1);
        while (sub.endsWith(QLatin1Char('/')))
            sub.chop(1);
        QString why;
        if (!sub.isEmpty() && !CorvaleGlobal::JoinInside(QString(), sub, nullptr, &why)) {
            skip(QStringLiteral("sub-folder refused: %1").arg(why));
            continue;
        }
        if (item.Name.isEmpty() || item.Name == QLatin1String(".") ||
            item.Name == QLatin1String("..") || item.Name.contains(QLatin1Char('/')) ||
            item.Name.contains(QLatin1Char('\\')) || hasControlCharacter(item.Name)) {
            skip(QStringLiteral("NAME \"%1\" is no file name").arg(item.Name));
            continue;
        }
        // The desktop entry cannot name a program whose path holds "=" or a line break.
        if (item.FileName.isEmpty() || item.FileName.contains(QLatin1Char('=')) ||
            hasControlCharacter(item.FileName) || hasControlCharacter(item.WorkingDir)) {
            skip(QStringLiteral("FILENAME \"%1\" cannot be started from a shortcut")
                     .arg(item.FileName));
            continue;
        }
        // A shortcut to a file that was never installed would start nothing.
        if (!QFileInfo(item.FileName).isFile()) {
            skip(QStringLiteral("FILENAME \"%1\" is not there; no shortcut is made to it")
                     .arg(item.FileName));
            continue;
        }
        if (!sub.isEmpty()) CreateProgramFolder(sub, kind, createdFolders);
        QString problem;
        const QString link =
            KoShortcut::CreateShortcut(sub, item.Name, item.FileName, item.WorkingDir, kind, true,
                                       &problem, item.Icon, item.Categories);
        if (!problem.isEmpty()) skip(problem);
        if (link.isEmpty()) continue;
        LogShortcut(link);
        if (problem.isEmpty()) m_log.Info(QStringLiteral("shortcut %1").arg(link));
    }
    for (qsizetype i = createdFolders.size() - 1; i >= 0; --i)
        LogShortcut(createdFolders[i]);
}

void TSetupRule::RunPostSetupSteps()
{
    if (!beginAction("programs after setup")) return;
    QStringList lines;
    QList<int> numbers;
    ReadSection(QStringLiteral("Post_Setup_Step"), lines, &numbers);
    const QString installDir = InstallDir();
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QString path, why;
        if (!CorvaleGlobal::JoinInside(installDir, lines[i].trimmed(), &path, &why)) {
            lineProblem(QStringLiteral("Post_Setup_Step"), numbers[i], lines[i], why);
            continue;
        }
        if (CorvaleGlobal::StartFile(path, &why))
            m_log.Info(QStringLiteral("started %1").arg(path));
        else
            lineProblem(QStringLiteral("Post_Setup_Step"), numbers[i], lines[i], why);
    }
}

bool TSetupRule::RunInstallActions(QString *error)
{
    try {
        WriteRegistryEntries();
        RegisterServers();
        CreateShortcuts();
        RunPostSetupSteps();
    } catch (const SetupError &e) {
        if (error) *error = e.message();
        return false;
    }
    return true;
}
