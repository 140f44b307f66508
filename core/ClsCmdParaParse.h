#pragma once

#include <QString>
#include <QStringList>

// The main program's command line: a project file, or a left and a right workbook joined by
// "?", optionally followed by " /A" to compare at once.
class ClsCmdParaParse
{
public:
    // The command line as Initialize takes it: the program's arguments joined by single blanks.
    static QString JoinArguments(const QStringList &arguments);

    // Parses the text into the four properties (callers pass only a non-empty text).
    void Initialize(const QString &commandLine);

    QString PrjFileName() const { return m_PrjFileName; }
    void setPrjFileName(const QString &name) { m_PrjFileName = name; }
    bool AutoRun() const { return m_AutoRun; }
    void setAutoRun(bool on) { m_AutoRun = on; }
    QString LeftFileName() const { return m_LeftFileName; }
    void setLeftFileName(const QString &name) { m_LeftFileName = name; }
    QString RightFileName() const { return m_RightFileName; }
    void setRightFileName(const QString &name) { m_RightFileName = name; }

private:
    QString m_PrjFileName;
    bool m_AutoRun = false;
    QString m_LeftFileName;
    QString m_RightFileName;
};
