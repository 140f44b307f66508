#pragma once

#include <QByteArray>
#include <QMutex>
#include <QString>
#include <QStringList>

// What the installer did and what went wrong, line by line: kept in memory for the finish page
// and added to "Setup.log" in the install folder, which is replaced whole at each write. Lines
// written before that folder exists wait and are written with the first line that can be. The copy
// thread and the window's thread may both write.
class InstallLog
{
public:
    static constexpr const char *FileTitle = "Setup.log";

    void SetFileName(const QString &path);
    QString FileName() const;

    void Info(const QString &text);
    // A step that failed or a rules-file line that was skipped; shown on the finish page.
    void Problem(const QString &text);

    // Every line in order, problems marked "problem: ".
    QStringList Lines() const;
    QStringList Problems() const;
    // Writes any waiting lines; true when none waits and the file exists.
    bool Flush();

private:
    void add(const QString &line, bool problem);
    bool writePending(); // with m_mutex held

    mutable QMutex m_mutex;
    QString m_fileName;
    QStringList m_lines;
    QStringList m_problems;
    QStringList m_pending;  // stamped lines not yet in the file
    QByteArray m_fileBytes; // what the file holds
    bool m_fileRead = false;
    static constexpr qint64 MaxKeptBytes = 4 * 1024 * 1024;
};
