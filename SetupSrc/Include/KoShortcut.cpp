#include "SetupSrc/Include/KoShortcut.h"

#include "SetupSrc/Include/CorvaleGlobal.h"
#include "platform/shell/DesktopEntry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace KoShortcut {

namespace {

constexpr qint64 MaxUserDirsSize = 64 * 1024;

QString homeFolder()
{
    const QString home = qEnvironmentVariable("HOME");
    return home.startsWith(QLatin1Char('/')) ? CorvaleGlobal::CleanAbsolutePath(home) : QString();
}

// The value of XDG_DESKTOP_DIR in user-dirs.dirs: "$HOME/..." or an absolute path in quotes.
QString desktopFromUserDirs(const QString &home)
{
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (!config.startsWith(QLatin1Char('/'))) config = home + QStringLiteral("/.config");
    QFile f(config + QStringLiteral("/user-dirs.dirs"));
    if (f.size() > MaxUserDirsSize || !f.open(QIODevice::ReadOnly)) return QString();
    const QStringList lines = QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'));
    QString found;
    for (const QString &raw : lines) {
        const QString line = raw.trimmed();
        if (!line.startsWith(QLatin1String("XDG_DESKTOP_DIR="))) continue;
        QString value = line.mid(16).trimmed();
        if (value.size() < 2 || !value.startsWith(QLatin1Char('"')) ||
            !value.endsWith(QLatin1Char('"')))
            continue;
        value = value.mid(1, value.size() - 2);
        QString unescaped;
        for (qsizetype i = 0; i < value.size(); ++i) {
            if (value[i] == QLatin1Char('\\') && i + 1 < value.size()) ++i;
            unescaped += value[i];
        }
        if (unescaped == QLatin1String("$HOME"))
            found = home;
        else if (unescaped.startsWith(QLatin1String("$HOME/")))
            found = home + unescaped.mid(5);
        else if (unescaped.startsWith(QLatin1Char('/')))
            found = unescaped;
    }
    return found;
}

QString withSlash(const QString &folder)
{
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

} // namespace

QString GetShellFolder(int kind, bool currentUser)
{
    if (kind != Desktop && kind != StartMenu && kind != Programs) return QString();
    if (!currentUser)
        return kind == Desktop ? QString() : QStringLiteral("/usr/local/share/applications/");
    if (kind != Desktop) {
        const QString data = CorvaleGlobal::XdgDataHome();
        return data.isEmpty() ? QString() : data + QStringLiteral("/applications/");
    }
    const QString home = homeFolder();
    if (home.isEmpty()) return QString();
    QString desktop = desktopFromUserDirs(home);
    if (desktop.isEmpty()) desktop = home + QStringLiteral("/Desktop");
    desktop = CorvaleGlobal::CleanAbsolutePath(desktop);
    // A desktop folder set to the home folder means the user has none.
    if (desktop == home || !QFileInfo(desktop).isDir()) return QString();
    return withSlash(desktop);
}

bool ShellSubFolderExists(const QString &subFolder, int kind, bool currentUser)
{
    const QString shell = GetShellFolder(kind, currentUser);
    return !shell.isEmpty() && QFileInfo(shell + subFolder).isDir();
}

QString CreateShellSubFolder(const QString &subFolder, int kind, bool currentUser)
{
    const QString shell = GetShellFolder(kind, currentUser);
    if (shell.isEmpty()) return QString();
    QDir().mkpath(shell);
    const QString path = shell + subFolder;
    QDir().mkdir(path);
    return path;
}

QString DesktopEntryText(const QString &name, const QString &fileName, const QString &workingFolder,
                         const QString &icon, const QStringList &categories)
{
    QString text = QStringLiteral("[Desktop Entry]\n"
                                  "Type=Application\n"
                                  "Version=1.0\n");
    text += QStringLiteral("Name=") + shell::DesktopEntry::stringValue(name) + QLatin1Char('\n');
    text +=
        QStringLiteral("Exec=") + shell::DesktopEntry::execArgument(fileName) + QLatin1Char('\n');
    if (!workingFolder.isEmpty())
        text += QStringLiteral("Path=") + shell::DesktopEntry::stringValue(workingFolder) +
                QLatin1Char('\n');
    if (!icon.isEmpty())
        text +=
            QStringLiteral("Icon=") + shell::DesktopEntry::stringValue(icon) + QLatin1Char('\n');
    if (!categories.isEmpty())
        text += QStringLiteral("Categories=") + shell::DesktopEntry::listValue(categories) +
                QLatin1Char('\n');
    text += QStringLiteral("Terminal=false\n");
    return text;
}

QString CreateShortcut(const QString &subFolder, const QString &name, const QString &fileName,
                       const QString &workingFolder, int kind, bool currentUser, QString *problem,
                       const QString &icon, const QStringList &categories)
{
    if (problem) problem->clear();
    const QString shell = GetShellFolder(kind, currentUser);
    if (shell.isEmpty()) {
        if (problem)
            *problem = kind == Desktop ? QStringLiteral("there is no desktop folder")
                                       : QStringLiteral("there is no menu folder");
        return QString();
    }
    QDir().mkpath(shell);
    const QString link = shell + (subFolder.isEmpty() ? QString() : withSlash(subFolder)) + name +
                         QStringLiteral(".desktop");
    QSaveFile file(link);
    // Flushed and checked before the commit: QSaveFile would put a cut-off entry in place.
    const QByteArray text =
        DesktopEntryText(name, fileName, workingFolder, icon, categories).toUtf8();
    bool saved = file.open(QIODevice::WriteOnly) && file.write(text) == text.size() && file.flush();
    QString why;
    if (!saved) {
        why = file.errorString();
        file.cancelWriting();
    } else if (!file.commit()) {
        why = file.errorString();
        saved = false;
    }
    if (saved) {
        QFileDevice::Permissions mode = QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                        QFileDevice::ReadGroup | QFileDevice::ReadOther;
        if (kind == Desktop)
            mode |= QFileDevice::ExeOwner | QFileDevice::ExeGroup | QFileDevice::ExeOther;
        QFile::setPermissions(link, mode);
    } else if (problem) {
        *problem = QStringLiteral("%1 could not be written: %2").arg(link, why);
    }
    return link;
}

} // namespace KoShortcut
