#pragma once

#include "SetupSrc/Include/IniFile.h"

#include <QList>
#include <QString>
#include <QStringList>

// An INI file of the installer: keyed values through IniFile, and whole sections read line by
// line with the installer's own reader, which keeps each line exactly as written.
class TKoIniFile
{
public:
    // Larger files are not read: a rules file is a few kilobytes.
    static constexpr qint64 MaxFileSize = 32 * 1024 * 1024;

    explicit TKoIniFile(const QString &fileName) : m_ini(fileName) {}

    QString FileName() const { return m_ini.FileName(); }
    QString ReadString(const QString &section, const QString &key,
                       const QString &defaultValue) const
    {
        return m_ini.ReadString(section, key, defaultValue);
    }
    int ReadInteger(const QString &section, const QString &key, int defaultValue) const
    {
        return m_ini.ReadInteger(section, key, defaultValue);
    }
    bool WriteString(const QString &section, const QString &key, const QString &value)
    {
        return m_ini.WriteString(section, key, value);
    }

    // The lines of the section's first run: from its header (found without regard to case,
    // blanks around a header ignored) to the next header, each non-empty line that does not
    // start with ";" kept as written. CR LF, LF and a lone CR end lines. The 1-based line
    // numbers go to *lineNumbers when given. False, with the list empty and the reason in
    // *problem, when the file cannot be read (a missing file, a file over MaxFileSize).
    bool ReadSectionLines(const QString &section, QStringList &list,
                          QList<int> *lineNumbers = nullptr, QString *problem = nullptr) const;

    // Whether the file can be read at all; the reason in *problem when not.
    bool CheckReadable(QString *problem = nullptr) const;

    // The same over a file's bytes.
    static void SectionLinesOf(const QByteArray &bytes, const QString &section, QStringList &list,
                               QList<int> *lineNumbers = nullptr);

private:
    IniFile m_ini;
};
