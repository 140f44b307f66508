#pragma once

#include <QString>

// An INI file read and written through the profile functions: every call reads the file anew,
// names compare without regard to case, values are trimmed. Unlike the main program's settings
// class it never writes a default back. Reads may come from several threads at once.
class IniFile
{
public:
    explicit IniFile(const QString &fileName) : m_fileName(fileName) {}

    QString FileName() const { return m_fileName; }

    // The value, or the default when the file, section or key is missing.
    QString ReadString(const QString &section, const QString &key,
                       const QString &defaultValue) const;
    // The value as the profile functions read a number: blanks, an optional minus sign and the
    // leading decimal digits, the rest ignored ("0 ; no" is 0, "yes" is 0); the default only
    // when the key is missing or empty.
    int ReadInteger(const QString &section, const QString &key, int defaultValue) const;
    // False when the file cannot be written or a name or the value could forge a line.
    bool WriteString(const QString &section, const QString &key, const QString &value);

private:
    QString m_fileName;
};
