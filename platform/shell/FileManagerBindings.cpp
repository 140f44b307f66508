#include "platform/shell/FileManagerBindings.h"

#include "platform/shell/DesktopEntry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <sys/stat.h>

namespace shell {

namespace {

const char KdeMarker[] = "X-Quorva-Binding=shellhost";
const char ScriptMarker[] = "# Quorva binding: shellhost --popup";
constexpr qint64 MaxBindingSize = 64 * 1024; // ours are a few hundred bytes

} // namespace

QString FileManagerBindings::dataHome()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
}

QString FileManagerBindings::kdeServiceMenuPath()
{
    return dataHome() + QStringLiteral("/kio/servicemenus/quorva-shellhost.desktop");
}

QString FileManagerBindings::nautilusScriptPath()
{
    return dataHome() + QStringLiteral("/nautilus/scripts/Quorva");
}

QString FileManagerBindings::shellWord(const QString &word)
{
    QString w = word;
    w.replace(QLatin1Char('\''), QStringLiteral("'\\''"));
    return QLatin1Char('\'') + w + QLatin1Char('\'');
}

QByteArray FileManagerBindings::kdeServiceMenu(const QString &shellhost)
{
    QString s;
    s += QStringLiteral("[Desktop Entry]\n");
    s += QStringLiteral("Type=Service\n");
    s += QStringLiteral("MimeType=all/allfiles;\n");
    s += QStringLiteral("X-KDE-ServiceTypes=KonqPopupMenu/Plugin\n");
    s += QStringLiteral("Actions=QuorvaCommands;\n");
    s += QLatin1String(KdeMarker) + QLatin1Char('\n');
    s += QStringLiteral("\n[Desktop Action QuorvaCommands]\n");
    s += QStringLiteral("Name=Quorva\n");
    s += QStringLiteral("Exec=") + DesktopEntry::execArgument(shellhost) +
         QStringLiteral(" --popup -- %F\n");
    return s.toUtf8();
}

QByteArray FileManagerBindings::nautilusScript(const QString &shellhost)
{
    QString s;
    s += QStringLiteral("#!/bin/sh\n");
    s += QLatin1String(ScriptMarker) + QLatin1Char('\n');
    s += QStringLiteral("# The selected files reach shellhost as they are, one argument each.\n");
    s += QStringLiteral("exec ") + shellWord(shellhost) + QStringLiteral(" --popup -- \"$@\"\n");
    return s.toUtf8();
}

bool FileManagerBindings::isOurs(const QString &path, bool *exists, QString *error)
{
    struct stat st;
    *exists = lstat(QFile::encodeName(path).constData(), &st) == 0;
    if (!*exists) return false;
    if (!S_ISREG(st.st_mode) || st.st_size > MaxBindingSize) {
        *error = QStringLiteral("%1 is not a file written by Regwell; left alone").arg(path);
        return false;
    }
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("%1 cannot be read: %2").arg(path, f.errorString());
        return false;
    }
    const QByteArray content = f.readAll();
    if (!content.contains(KdeMarker) && !content.contains(ScriptMarker)) {
        *error = QStringLiteral("%1 is not a file written by Regwell; left alone").arg(path);
        return false;
    }
    return true;
}

bool FileManagerBindings::writeExecutable(const QString &path, const QByteArray &content,
                                          QString *error)
{
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder)) {
        *error = QStringLiteral("cannot create the folder %1").arg(folder);
        return false;
    }
    QSaveFile f(path);
    // Flushed and checked before the commit: QSaveFile would put a cut-off file in place.
    if (!f.open(QIODevice::WriteOnly) || f.write(content) != content.size() || !f.flush() ||
        !f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                          QFileDevice::ReadGroup | QFileDevice::ExeGroup | QFileDevice::ReadOther |
                          QFileDevice::ExeOther) ||
        !f.commit()) {
        *error = QStringLiteral("cannot write %1: %2").arg(path, f.errorString());
        f.cancelWriting();
        return false;
    }
    return true;
}

bool FileManagerBindings::install(const QString &shellhost, QStringList *errors)
{
    bool ok = true;
    const struct
    {
        QString path;
        QByteArray content;
    } files[] = {
        {kdeServiceMenuPath(), kdeServiceMenu(shellhost)},
        {nautilusScriptPath(), nautilusScript(shellhost)},
    };
    for (const auto &file : files) {
        // A desktop entry's program path may not hold "=".
        if (file.path.endsWith(QStringLiteral(".desktop")) &&
            shellhost.contains(QLatin1Char('='))) {
            errors->append(QStringLiteral("%1 not written: the path %2 holds \"=\"")
                               .arg(file.path, shellhost));
            ok = false;
            continue;
        }
        bool exists = false;
        QString error;
        if (!isOurs(file.path, &exists, &error) && exists) {
            errors->append(error);
            ok = false;
            continue;
        }
        if (!writeExecutable(file.path, file.content, &error)) {
            errors->append(error);
            ok = false;
        }
    }
    return ok;
}

bool FileManagerBindings::remove(QStringList *errors)
{
    bool ok = true;
    for (const QString &path : {kdeServiceMenuPath(), nautilusScriptPath()}) {
        bool exists = false;
        QString error;
        if (!isOurs(path, &exists, &error)) {
            if (exists) {
                errors->append(error);
                ok = false;
            }
            continue;
        }
        if (!QFile::remove(path)) {
            errors->append(QStringLiteral("cannot remove %1").arg(path));
            ok = false;
        }
    }
    return ok;
}

} // namespace shell
