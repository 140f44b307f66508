#pragma once

#include "SetupSrc/Include/TKoIniFile.h"

#include <QList>
#include <QString>
#include <QStringList>

// One line of the rules file's [Registry] section.
struct TRegistryItem
{
    quint32 RootKey = 0; // 0 when ROOT names no root this installer knows
    QString SubKey;
    quint32 ValueType = 0; // 1 text, 4 number, 0 anything else
    QString ValueName;
    QString ValueData; // macros expanded
    // What the line said, for the install log.
    QString RootName;      // ROOT as written, upper-cased
    QString ValueTypeName; // VALUETYPE as written, upper-cased
    QString Line;
    int LineNumber = 0;
};

// One line of the rules file's [Shortcut] section.
struct TShortcutItem
{
    QString ProgramFolder; // as written: {FOLDER_DESKTOP}, {FOLDER_STARTMENU} or {FOLDER_PROGRAMS}
                           // and an optional sub-folder
    QString Name;
    QString FileName;   // macros expanded
    QString WorkingDir; // macros expanded
    // Optional: the entry's picture (an icon-theme name, or a path after a macro) and the menu
    // categories, written with "," between them since ";" separates the fields.
    QString Icon; // macros expanded
    QStringList Categories;
    QString Line;
    int LineNumber = 0;
};

// The rules file's reader, common to every installer: sections as lines, the Registry and
// Shortcut line grammars, registry root and type names, and the Program Files macro.
class TKoSetupBase
{
public:
    explicit TKoSetupBase(const QString &rulesPath) : m_rules(rulesPath) {}
    virtual ~TKoSetupBase() = default;
    TKoSetupBase(const TKoSetupBase &) = delete;
    TKoSetupBase &operator=(const TKoSetupBase &) = delete;

    const TKoIniFile &RulesFile() const { return m_rules; }

    // The section's lines as written (TKoIniFile::ReadSectionLines); their number.
    int ReadSection(const QString &section, QStringList &list,
                    QList<int> *lineNumbers = nullptr) const;

    // Where programs are installed, with a trailing "/": $QUORVA_PROGRAMFILES when set, else
    // /opt for root and ~/.local/opt for anyone else; "" without a home folder.
    static QString GetSpecialFolderPath();

    // "HKEY_CLASSES_ROOT" ... "HKEY_CURRENT_CONFIG" (exactly, upper case) and back; 0 or "" for
    // anything else.
    static quint32 RootKeyFromName(const QString &name);
    static QString RootNameFromKey(quint32 key);
    // "STRING" 1, "DWORD" 4, anything else 0.
    static quint32 ValueTypeFromName(const QString &name);

    // {PROGRAMFILES} (any letter case) followed by a path: the Program Files folder and the
    // path, one separator between them; "\" in the path becomes "/". A text without "{" stays
    // as it is; any other macro gives "".
    static QString ExpandDirMacro(const QString &text);

    // The parsed [Registry] and [Shortcut] lines, one record per line; their number.
    int ReadRegistryEntries(QList<TRegistryItem> &items) const;
    int ReadShortcutEntries(QList<TShortcutItem> &items) const;

    // "Root:<root name>; Subkey:<subkey>".
    static QString FormatRegistryLogLine(const TRegistryItem &item);

    // Fields "NAME:VALUE" separated by ";": names trimmed and upper-cased, values trimmed (and,
    // for Registry lines, one trailing "=" dropped). A part without exactly one ":" is ignored;
    // a name given twice keeps its last value.
    static QList<std::pair<QString, QString>> ParseFields(const QString &line, bool registryLine);

    // Expands a leading macro; the installer defines which. *macroName and *remainder get the
    // text between "{" and the first "}" and what follows it.
    virtual QString ExpandMacro(const QString &text, QString *macroName = nullptr,
                                QString *remainder = nullptr) const = 0;

private:
    TKoIniFile m_rules;
};
