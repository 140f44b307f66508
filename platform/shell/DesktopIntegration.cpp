#include "platform/shell/DesktopIntegration.h"

#include "platform/shell/DesktopEntry.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>
#include <unistd.h>

namespace shell {

namespace {

const char Marker[] = "X-Quorva-Binding";
constexpr qint64 MaxOurFileSize = 64 * 1024; // ours are a few hundred bytes
constexpr qint64 MaxDefaultsSize = 1024 * 1024;
constexpr int ToolTimeoutMs = 60000;

QString variableOr(const char *name, const QString &fallback)
{
    const QString value = qEnvironmentVariable(name);
    return value.startsWith(QLatin1Char('/')) ? value : fallback;
}

QString home()
{
    return QDir::cleanPath(qEnvironmentVariable("HOME"));
}

} // namespace

bool DesktopIntegration::forAllUsers(const QString &programFolder)
{
    const QString h = home();
    return ::geteuid() == 0 && !(h.startsWith(QLatin1Char('/')) && h != QLatin1String("/") &&
                                 QDir::cleanPath(programFolder).startsWith(h + QLatin1Char('/')));
}

QString DesktopIntegration::dataFolder(bool allUsers)
{
    if (!allUsers) return variableOr("XDG_DATA_HOME", home() + QStringLiteral("/.local/share"));
    for (const QString &folder : qEnvironmentVariable("XDG_DATA_DIRS").split(QLatin1Char(':')))
        if (folder.startsWith(QLatin1Char('/'))) return QDir::cleanPath(folder);
    return QStringLiteral("/usr/local/share");
}

QString DesktopIntegration::defaultsFile(bool allUsers)
{
    if (allUsers) return dataFolder(true) + QStringLiteral("/applications/mimeapps.list");
    return variableOr("XDG_CONFIG_HOME", home() + QStringLiteral("/.config")) +
           QStringLiteral("/mimeapps.list");
}

QString DesktopIntegration::mimePackagePath(bool allUsers)
{
    return dataFolder(allUsers) + QStringLiteral("/mime/packages/quorva.xml");
}

QString DesktopIntegration::entryPath(bool allUsers)
{
    return dataFolder(allUsers) + QStringLiteral("/applications/") + QLatin1String(EntryName);
}

QByteArray DesktopIntegration::mimePackage()
{
    return QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                      "<!-- ") +
           Marker +
           " -->\n"
           "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
           "  <mime-type type=\"" +
           ProjectMimeType +
           "\">\n"
           "    <comment>Quorva project</comment>\n"
           "    <comment xml:lang=\"zh_CN\">Quorva 项目文件</comment>\n"
           "    <sub-class-of type=\"text/plain\"/>\n"
           "    <icon name=\"" +
           IconName +
           "\"/>\n"
           "    <glob pattern=\"*.vrk\"/>\n"
           "  </mime-type>\n"
           "</mime-info>\n";
}

QByteArray DesktopIntegration::applicationEntry(const QString &program)
{
    QString s;
    s += QStringLiteral("[Desktop Entry]\n");
    s += QStringLiteral("Type=Application\n");
    s += QStringLiteral("Version=1.0\n");
    s += QStringLiteral("Name=Quorva\n");
    s += QStringLiteral("GenericName=Workbook comparison\n");
    s += QStringLiteral("Comment=Compare spreadsheet workbooks sheet against sheet\n");
    s += QStringLiteral("Exec=") + DesktopEntry::execArgument(program) + QStringLiteral(" %f\n");
    s += QStringLiteral("Icon=") + QLatin1String(IconName) + QLatin1Char('\n');
    s += QStringLiteral("Categories=Office;Spreadsheet;\n");
    s += QStringLiteral("MimeType=") + QLatin1String(ProjectMimeType) + QStringLiteral(";\n");
    s += QStringLiteral("Terminal=false\n");
    s += QLatin1String(Marker) + QStringLiteral("=regwell\n");
    return s.toUtf8();
}

QByteArray DesktopIntegration::withDefault(const QByteArray &list, const QString &type,
                                           const QString &entry, const QString &only)
{
    const QByteArray section = "[Default Applications]";
    const QByteArray key = type.toUtf8();
    QList<QByteArray> lines = list.split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
    const QByteArray line = key + '=' + entry.toUtf8() + ';';
    qsizetype sectionAt = -1, insertAt = -1;
    bool inSection = false, done = false;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QByteArray t = lines[i].trimmed();
        if (t.startsWith('[')) {
            inSection = t == section;
            if (inSection) sectionAt = i;
            continue;
        }
        if (!inSection) continue;
        if (!t.isEmpty()) insertAt = i + 1;
        const qsizetype eq = t.indexOf('=');
        if (eq < 0 || t.left(eq).trimmed() != key) continue;
        if (entry.isEmpty()) {
            const QList<QByteArray> named = t.mid(eq + 1).split(';');
            if (named.value(0).trimmed() == only.toUtf8()) lines.removeAt(i--);
        } else if (!done) {
            lines[i] = line;
        } else {
            lines.removeAt(i--);
        }
        done = true;
    }
    if (!entry.isEmpty() && !done) {
        if (sectionAt < 0) {
            if (!lines.isEmpty() && !lines.last().trimmed().isEmpty()) lines.append(QByteArray());
            lines.append(section);
            lines.append(line);
        } else {
            lines.insert(insertAt < 0 ? sectionAt + 1 : insertAt, line);
        }
    }
    QByteArray out = lines.join('\n');
    if (!out.isEmpty()) out += '\n';
    return out;
}

bool DesktopIntegration::writeFile(const QString &path, const QByteArray &content, QString *error)
{
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder)) {
        *error = QStringLiteral("cannot create the folder %1").arg(folder);
        return false;
    }
    QSaveFile f(path);
    f.setDirectWriteFallback(false);
    // Flushed and checked before the commit: QSaveFile would put a cut-off file in place.
    if (!f.open(QIODevice::WriteOnly) || f.write(content) != content.size() || !f.flush() ||
        !f.commit()) {
        *error = QStringLiteral("cannot write %1: %2").arg(path, f.errorString());
        f.cancelWriting();
        return false;
    }
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                    QFileDevice::ReadGroup | QFileDevice::ReadOther);
    return true;
}

bool DesktopIntegration::removeOurs(const QString &path, QStringList *errors)
{
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink()) return true;
    QFile f(path);
    if (info.isSymLink() || !info.isFile() || info.size() > MaxOurFileSize ||
        !f.open(QIODevice::ReadOnly) || !f.readAll().contains(Marker)) {
        errors->append(QStringLiteral("%1 is not a file written by Regwell; left alone").arg(path));
        return false;
    }
    f.close();
    if (!QFile::remove(path)) {
        errors->append(QStringLiteral("cannot remove %1").arg(path));
        return false;
    }
    return true;
}

void DesktopIntegration::refresh(const QString &tool, const QString &folder)
{
    // The desktop reads the caches these tools make; without them it reads the files.
    const QString program = QStandardPaths::findExecutable(tool);
    if (program.isEmpty() || !QFileInfo(folder).isDir()) return;
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.setStandardOutputFile(QProcess::nullDevice());
    p.start(program, {folder});
    if (!p.waitForFinished(ToolTimeoutMs)) p.kill();
}

bool DesktopIntegration::install(const QString &program, const QString &iconsFolder, bool allUsers,
                                 QStringList *errors)
{
    bool ok = true;
    QString error;
    const QString data = dataFolder(allUsers);
    if (!writeFile(mimePackagePath(allUsers), mimePackage(), &error)) {
        errors->append(error);
        ok = false;
    }
    refresh(QStringLiteral("update-mime-database"), data + QStringLiteral("/mime"));

    // The pictures: every size the program brings, into the hicolor theme.
    const QString themeRoot = QDir::cleanPath(iconsFolder) + QStringLiteral("/hicolor/");
    QDirIterator it(themeRoot,
                    {QLatin1String(IconName) + QStringLiteral(".png"),
                     QLatin1String(IconName) + QStringLiteral(".svg")},
                    QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString from = it.next();
        QFile source(from);
        if (source.size() > 4 * 1024 * 1024 || !source.open(QIODevice::ReadOnly) ||
            !writeFile(data + QStringLiteral("/icons/hicolor/") + from.mid(themeRoot.size()),
                       source.readAll(), &error)) {
            errors->append(error.isEmpty() ? QStringLiteral("cannot read %1").arg(from) : error);
            ok = false;
        }
    }

    if (program.contains(QLatin1Char('='))) {
        errors->append(QStringLiteral("%1 not written: the path %2 holds \"=\"")
                           .arg(entryPath(allUsers), program));
        return false;
    }
    if (!writeFile(entryPath(allUsers), applicationEntry(program), &error)) {
        errors->append(error);
        return false;
    }
    refresh(QStringLiteral("update-desktop-database"), data + QStringLiteral("/applications"));

    // The project type opens in Quorva, whatever program was chosen for it before.
    const QString defaults = defaultsFile(allUsers);
    QFile current(defaults);
    QByteArray list;
    if (current.exists()) {
        if (current.size() > MaxDefaultsSize || !current.open(QIODevice::ReadOnly)) {
            errors->append(QStringLiteral("cannot read %1").arg(defaults));
            return false;
        }
        list = current.readAll();
    }
    if (!writeFile(defaults,
                   withDefault(list, QLatin1String(ProjectMimeType), QLatin1String(EntryName)),
                   &error)) {
        errors->append(error);
        ok = false;
    }
    return ok;
}

bool DesktopIntegration::remove(bool allUsers, QStringList *errors)
{
    bool ok = removeOurs(mimePackagePath(allUsers), errors);
    refresh(QStringLiteral("update-mime-database"), dataFolder(allUsers) + QStringLiteral("/mime"));
    const QString defaults = defaultsFile(allUsers);
    QFile current(defaults);
    if (current.exists() && current.size() <= MaxDefaultsSize &&
        current.open(QIODevice::ReadOnly)) {
        const QByteArray before = current.readAll();
        current.close();
        const QByteArray after = withDefault(before, QLatin1String(ProjectMimeType), QString(),
                                             QLatin1String(EntryName));
        QString error;
        if (after != before && !writeFile(defaults, after, &error)) {
            errors->append(error);
            ok = false;
        }
    }
    return ok;
}

} // namespace shell
