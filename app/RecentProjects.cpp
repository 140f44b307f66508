#include "app/RecentProjects.h"

#include "core/ClsIni.h"
#include "core/ModFile.h"
#include "core/ModString.h"

#include <QLoggingCategory>
#include <exception>

Q_DECLARE_LOGGING_CATEGORY(lcStartup)

namespace {

const QString kRecentFileSection = QStringLiteral("RecentFile");
const QString kRecentOpenSection = QStringLiteral("RecentOpen");

// The section's lines, or none when the file cannot be read (the reason is logged).
QStringList sectionLines(ClsIni &ini, const QString &section, const char *what)
{
    QStringList lines;
    try {
        ini.GetKeys2(section, lines);
    } catch (const std::exception &e) {
        qCWarning(lcStartup) << what << "cannot be read:" << e.what();
        lines.clear();
    }
    return lines;
}

void writeList(ClsIni &ini, const QString &section, const QStringList &paths)
{
    ini.DelSection(section);
    for (int i = 0; i < paths.size(); ++i)
        ini.WriteString(section, QStringLiteral("File") + QString::number(i), paths.at(i));
}

} // namespace

void RecentProjects::AddToRecentFile(const QString &path)
{
    if (path.isEmpty()) return;
    int k = -1;
    if (ModString::FindInArray(m_files, path, k)) m_files.removeAt(k);
    // The newest spelling is kept, also when the path is at the front already.
    m_files.prepend(path);
    while (m_files.size() > MaxFiles)
        m_files.removeLast();
}

void RecentProjects::ReadRecentFileList(ClsIni &ini)
{
    m_files.clear();
    for (const QString &line : sectionLines(ini, kRecentFileSection, "The recent-file list")) {
        const qsizetype at = line.indexOf(QLatin1Char('='));
        const QString path = at < 0 ? line : line.mid(at + 1);
        // An empty line names no file: a menu item for it would open nothing.
        if (!path.isEmpty()) m_files.append(path);
    }
    ModString::RemoveDuplicates(m_files);
    while (m_files.size() > MaxFiles)
        m_files.removeLast();
}

void RecentProjects::SaveRecentFileList(ClsIni &ini) const
{
    writeList(ini, kRecentFileSection, m_files);
}

void RecentProjects::SaveOpenSessionList(ClsIni &ini, const QStringList &names)
{
    writeList(ini, kRecentOpenSection, names);
}

QStringList RecentProjects::LastSessions(ClsIni &ini)
{
    QStringList paths;
    for (const QString &line :
         sectionLines(ini, kRecentOpenSection, "The sessions of the last run")) {
        QString path = line.trimmed();
        const qsizetype at = path.indexOf(QLatin1Char('='));
        if (at >= 0) path = path.mid(at + 1);
        // Whatever a file named "New Project n" in the working folder may be, it is no session.
        if (path.startsWith(QLatin1Char('/')) && ModFile::FileExists(path)) paths.append(path);
    }
    return paths;
}

QString RecentProjects::RecentFileCaption(int index, const QString &path)
{
    // A "&" of the path is shown as itself, not taken as the item's mnemonic.
    QString shown = path;
    shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
    return QLatin1Char('&') + QString::number(index + 1) + QLatin1Char(' ') + shown;
}

QString RecentProjects::RecentFilePath(const QString &caption)
{
    if (!caption.startsWith(QLatin1Char('&'))) return QString();
    qsizetype at = 1;
    while (at < caption.size() && caption.at(at).isDigit())
        ++at;
    if (at == 1 || at >= caption.size() || caption.at(at) != QLatin1Char(' ')) return QString();
    QString path = caption.mid(at + 1);
    path.replace(QStringLiteral("&&"), QStringLiteral("&"));
    return path;
}
