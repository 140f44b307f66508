#include "app/ModMain.h"

#include "core/ModFile.h"
#include "core/ProcessGlobals.h"
#include "platform/win/QtTranslations.h"

#include <QDir>

std::shared_ptr<ClsIni> g_SettingsIni;
QString g_LastOpenPath;
bool g_CloseCancelled = false;

ClsIni &SettingsIni()
{
    if (!g_SettingsIni) g_SettingsIni = std::make_shared<ClsIni>();
    return *g_SettingsIni;
}

namespace ModMain {

namespace {
QString g_commandLine;
}

QString DefaultOpenPath()
{
    return QStringLiteral("/");
}

void ReadSettings(const QString &programFolder, const QString &commandLine)
{
    g_AppPath = programFolder;
    if (!g_AppPath.endsWith(QLatin1Char('/'))) g_AppPath += QLatin1Char('/');
    g_commandLine = commandLine;

    SettingsIni().setIniFileName(g_AppPath + QStringLiteral("Quorvex.ini"));
    g_LastOpenPath = DefaultOpenPath();
    g_LastOpenPath = SettingsIni().ReadString(QStringLiteral("OPTION"),
                                              QStringLiteral("LastOpenPath"), g_LastOpenPath);
    g_CloseCancelled = false;

    g_Options = std::make_shared<ClsOption>();
    g_Options->SetRecorder(g_SettingsIni);
    g_Options->ReadFromFile();
    win::QtTranslations::installFor(g_Options->LanguageFileName());
}

QString CommandLine()
{
    return g_commandLine;
}

void SaveSettingsOnExit()
{
    if (g_Options && g_SettingsIni) {
        g_Options->SetRecorder(g_SettingsIni);
        g_Options->Save2File();
    }
    if (g_SettingsIni)
        g_SettingsIni->WriteString(QStringLiteral("OPTION"), QStringLiteral("LastOpenPath"),
                                   g_LastOpenPath);
    g_Options.reset();
    g_SettingsIni.reset();
}

void RememberOpenPath(const QString &path)
{
    QString folder;
    ModFile::SplitFilePath(path, folder);
    g_LastOpenPath = folder;
}

QString UserFolder(const QString &folder)
{
    if (!folder.isEmpty() && ModFile::FolderExists(folder))
        return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
    return QDir::homePath() + QLatin1Char('/');
}

QString WorkbookDialogFolder(const QString &folder)
{
    // The first start's root says only that no workbook was chosen yet: on this system it is no
    // place for a user's files.
    if (g_LastOpenPath != DefaultOpenPath() && ModFile::FolderExists(g_LastOpenPath))
        return g_LastOpenPath;
    return UserFolder(folder);
}

int GetFileKind(const QString &path)
{
    const QString kind = ModFile::GetLastFileExtension(path).toUpper();
    if (kind == QLatin1String("VRK")) return 1;
    if (kind == QLatin1String("XLS")) return 2;
    return 0;
}

QString NormalizeCommas(const QString &text)
{
    QString normalized = text;
    normalized.replace(QChar(0xFF0C), QLatin1Char(','));
    return normalized;
}

} // namespace ModMain
