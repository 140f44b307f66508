#pragma once

#include <QString>
#include <QStringList>

// One INI file (the settings file, a project file, a language file), named by its full path.
// It holds no state but the path: every member reads or writes the file at once through the
// profile functions, so two objects on the same path always see each other's writes.
// Numbers written by WriteNum carry one blank before them when 0 or positive ("key= 5").
class ClsIni
{
public:
    // The size the profile functions are told for texts and lists (NUL included).
    static constexpr int ReadBufferSize = 0xFFF6;

    QString IniFileName() const { return m_IniFileName; }
    void setIniFileName(const QString &path) { m_IniFileName = path; }

    // True when a file (not a folder) exists at the path (ModFile::FileExists).
    bool IsValid() const;
    // Sets the path to the folder and the name joined by one "/"; creates nothing.
    void CreateIni(const QString &folder, const QString &name);

    bool WriteString(const QString &section, const QString &key, const QString &value);
    bool WriteNum(const QString &section, const QString &key, int value);
    // The stored text; when the key (or section, or file) is missing or the value is empty, the
    // default is written under the key and returned.
    QString ReadString(const QString &section, const QString &key, const QString &defaultValue);
    // The value read as a whole number, the default when missing; never writes.
    int ReadNum(const QString &section, const QString &key, int defaultValue) const;
    void DelKey(const QString &section, const QString &key);
    void DelSection(const QString &section);

    // Section names in file order into `out`; returns their number (not the upper bound).
    int GetSectionNames(QStringList &out) const;
    // The section's entries, each as its whole line ("key=value"), into `out`; returns their
    // number.
    int GetKeys(const QString &section, QStringList &out) const;
    // The same, read by the class's own line parser: the non-empty, non-comment lines of the
    // section's first occurrence, whole. A file that exists but cannot be read raises
    // BasicError 75 naming the file.
    int GetKeys2(const QString &section, QStringList &out) const;

    // Text of a number as WriteNum writes it.
    static QString NumText(int value);

private:
    static QString CombinePath(const QString &folder, const QString &name);
    static int SplitList(const QString &buffer, QStringList &out);

    QString m_IniFileName;
};
