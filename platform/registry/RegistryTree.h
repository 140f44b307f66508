#pragma once

#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

namespace win {

// One value of a key. Texts are REG_SZ or REG_EXPAND_SZ, numbers REG_DWORD.
struct RegistryValue
{
    QString name; // "" is the default value
    quint32 type = 0;
    QString text;
    quint32 number = 0;
};

// One key: names keep their case and compare without regard to it.
struct RegistryKey
{
    QString name;
    QString keyClass;
    bool readOnly = false; // the user may read the key and its subtree but not change them
    std::vector<std::unique_ptr<RegistryKey>> subkeys; // kept sorted without regard to case
    std::vector<RegistryValue> values;                 // in the order they were first set

    RegistryKey *subkey(const QString &name) const;
    // Adds a subkey at its sorted place (the caller checked that none of that name exists).
    RegistryKey *addSubkey(const QString &name);
    bool removeSubkey(const QString &name);
    RegistryValue *value(const QString &name);
    const RegistryValue *value(const QString &name) const;
    bool removeValue(const QString &name);
};

// The whole store: the five roots, parsed from and written back to its text form.
//
//   Quorva registry 1
//   [HKCR\*\shellex\ContextMenuHandlers\Quorva]
//   !class="1"
//   !readonly
//   @=sz:"{...}"
//   "Path"=expand_sz:"..."
//   "Count"=dword:0000000a
//
// Every key has its own header, so empty keys survive. Texts are quoted with \\, \", \n, \r,
// \t and \uXXXX escapes, so that no name or value can forge a line.
class RegistryTree
{
public:
    static constexpr int RootCount = 5;
    static const char *const RootNames[RootCount]; // "HKCR", "HKCU", "HKLM", "HKU", "HKCC"

    // Limits of the text form, checked on reading as well as on writing.
    static constexpr qint64 MaxFileSize = 64 * 1024 * 1024;
    static constexpr int MaxDepth = 512;
    static constexpr int MaxKeyNameLength = 255;
    static constexpr int MaxValueNameLength = 16383;
    static constexpr int MaxTextLength = 1024 * 1024;

    RegistryTree();

    RegistryKey &root(int index) { return *m_roots[index]; }
    const RegistryKey &root(int index) const { return *m_roots[index]; }

    // Follows the path (names, top first); null when a level is missing.
    RegistryKey *find(int root, const QStringList &path) const;

    // Parses the text form; on failure returns false with a message naming the file, the line
    // and the offending text in *error, and leaves the tree empty.
    bool parse(const QByteArray &bytes, const QString &fileName, QString *error);
    QByteArray serialize() const;
    // The first line (from 1) that held bytes that are not UTF-8, read as U+FFFD; 0 when there
    // is none. Such a store may be read, but writing it back would lose those bytes.
    int undecodableLine() const { return m_undecodableLine; }

    static bool validKeyName(const QString &name);
    static bool validValueName(const QString &name);

private:
    std::unique_ptr<RegistryKey> m_roots[RootCount];
    int m_undecodableLine = 0;
};

} // namespace win
