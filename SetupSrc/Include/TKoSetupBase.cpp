#include "SetupSrc/Include/TKoSetupBase.h"

#include "SetupSrc/Include/CorvaleGlobal.h"
#include "platform/registry/Registry.h"

#include <unistd.h>

namespace {

struct RootName
{
    const char *name;
    quint32 key;
};

constexpr RootName RootNames[] = {
    {"HKEY_CLASSES_ROOT", win::HKEY_CLASSES_ROOT},
    {"HKEY_CURRENT_USER", win::HKEY_CURRENT_USER},
    {"HKEY_LOCAL_MACHINE", win::HKEY_LOCAL_MACHINE},
    {"HKEY_USERS", win::HKEY_USERS},
    {"HKEY_CURRENT_CONFIG", win::HKEY_CURRENT_CONFIG},
};

QString field(const QList<std::pair<QString, QString>> &fields, const char *name)
{
    QString value;
    for (const auto &f : fields)
        if (f.first == QLatin1String(name)) value = f.second;
    return value;
}

} // namespace

int TKoSetupBase::ReadSection(const QString &section, QStringList &list,
                              QList<int> *lineNumbers) const
{
    m_rules.ReadSectionLines(section, list, lineNumbers);
    return int(list.size());
}

QString TKoSetupBase::GetSpecialFolderPath()
{
    QString folder = qEnvironmentVariable("QUORVA_PROGRAMFILES");
    if (folder.isEmpty()) {
        if (::geteuid() == 0) {
            folder = QStringLiteral("/opt");
        } else {
            const QString home = qEnvironmentVariable("HOME");
            if (!home.startsWith(QLatin1Char('/'))) return QString();
            folder = home + QStringLiteral("/.local/opt");
        }
    }
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

quint32 TKoSetupBase::RootKeyFromName(const QString &name)
{
    for (const RootName &r : RootNames)
        if (name == QLatin1String(r.name)) return r.key;
    return 0;
}

QString TKoSetupBase::RootNameFromKey(quint32 key)
{
    for (const RootName &r : RootNames)
        if (key == r.key) return QLatin1String(r.name);
    return QString();
}

quint32 TKoSetupBase::ValueTypeFromName(const QString &name)
{
    if (name == QLatin1String("STRING")) return win::REG_SZ;
    if (name == QLatin1String("DWORD")) return win::REG_DWORD;
    return 0;
}

QString TKoSetupBase::ExpandDirMacro(const QString &text)
{
    const qsizetype open = text.indexOf(QLatin1Char('{'));
    if (open < 0) return text;
    const qsizetype close = text.indexOf(QLatin1Char('}'), open);
    if (close < 0) return QString();
    if (text.mid(open + 1, close - open - 1).toUpper() != QLatin1String("PROGRAMFILES"))
        return QString();
    QString rest = CorvaleGlobal::ToSlashes(text.mid(close + 1));
    if (rest.startsWith(QLatin1Char('/'))) rest.remove(0, 1);
    const QString folder = GetSpecialFolderPath();
    // Without a Program Files folder the text names no folder at all.
    return folder.isEmpty() ? QString() : folder + rest;
}

QList<std::pair<QString, QString>> TKoSetupBase::ParseFields(const QString &line, bool registryLine)
{
    QList<std::pair<QString, QString>> fields;
    for (const QString &part : line.split(QLatin1Char(';'))) {
        const QStringList pieces = part.split(QLatin1Char(':'));
        if (pieces.size() != 2) continue;
        QString value = pieces[1].trimmed();
        if (registryLine && value.endsWith(QLatin1Char('='))) value.chop(1);
        fields.append({pieces[0].trimmed().toUpper(), value});
    }
    return fields;
}

int TKoSetupBase::ReadRegistryEntries(QList<TRegistryItem> &items) const
{
    items.clear();
    QStringList lines;
    QList<int> numbers;
    ReadSection(QStringLiteral("Registry"), lines, &numbers);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const auto fields = ParseFields(lines[i], true);
        TRegistryItem item;
        item.RootName = field(fields, "ROOT").toUpper();
        item.RootKey = RootKeyFromName(item.RootName);
        item.SubKey = field(fields, "SUBKEY");
        item.ValueTypeName = field(fields, "VALUETYPE").toUpper();
        item.ValueType = ValueTypeFromName(item.ValueTypeName);
        item.ValueName = field(fields, "VALUENAME");
        item.ValueData = ExpandMacro(field(fields, "VALUEDATA"));
        item.Line = lines[i];
        item.LineNumber = numbers[i];
        items.append(item);
    }
    return int(items.size());
}

int TKoSetupBase::ReadShortcutEntries(QList<TShortcutItem> &items) const
{
    items.clear();
    QStringList lines;
    QList<int> numbers;
    ReadSection(QStringLiteral("Shortcut"), lines, &numbers);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const auto fields = ParseFields(lines[i], false);
        TShortcutItem item;
        item.ProgramFolder = field(fields, "PROGRAMFOLDER");
        item.Name = field(fields, "NAME");
        item.FileName = ExpandMacro(field(fields, "FILENAME"));
        item.WorkingDir = ExpandMacro(field(fields, "WORKINGDIR"));
        item.Icon = ExpandMacro(field(fields, "ICON"));
        for (const QString &c :
             field(fields, "CATEGORIES").split(QLatin1Char(','), Qt::SkipEmptyParts))
            if (!c.trimmed().isEmpty()) item.Categories.append(c.trimmed());
        item.Line = lines[i];
        item.LineNumber = numbers[i];
        items.append(item);
    }
    return int(items.size());
}

QString TKoSetupBase::FormatRegistryLogLine(const TRegistryItem &item)
{
    return QStringLiteral("Root:") + RootNameFromKey(item.RootKey) + QStringLiteral("; Subkey:") +
           item.SubKey;
}
