#include "shell/regwell/ModRegwell.h"

#include "core/ClsMap.h"
#include "core/modRegistry.h"
#include "shell/menulet/ModMenulet.h"

namespace ModRegwell {

const char FileExtsKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\.vrk";

namespace {

constexpr win::REGSAM WriteAccess = 0x2003F;

} // namespace

bool RegisterProjectFileType(const QString &programFolder)
{
    bool ok = modRegistry::SetRegString(win::HKEY_CLASSES_ROOT, QStringLiteral(".vrk"), QString(),
                                        QStringLiteral("vrk_auto_file"));
    const QString program = programFolder + QStringLiteral("Quorva");
    if (ModMenulet::IsNonEmptyFile(program)) {
        ClearExplorerFileExtChoice();
        const QChar q = QLatin1Char('"');
        ok = modRegistry::SetRegString(
                 win::HKEY_CLASSES_ROOT, QStringLiteral("vrk_auto_file\\shell\\open\\command"),
                 QString(), q + program + q + QLatin1Char(' ') + q + QStringLiteral("%1") + q) &&
             ok;
    }
    return ok;
}

void ClearExplorerFileExtChoice()
{
    const QString key = QString::fromLatin1(FileExtsKey);
    DeleteRegSubKeys(win::HKEY_CURRENT_USER, key);
    DeleteRegValue(win::HKEY_CURRENT_USER, key, QStringLiteral("Application"));
}

bool DeleteRegValue(win::HKEY root, const QString &key, const QString &valueName)
{
    win::HKEY k = 0;
    if (win::RegOpenKeyEx(root, key, 0, WriteAccess, &k) != win::ERROR_SUCCESS) return false;
    const bool ok = win::RegDeleteValue(k, valueName) == win::ERROR_SUCCESS;
    win::RegCloseKey(k);
    return ok;
}

bool DeleteRegSubKeys(win::HKEY root, const QString &key)
{
    win::HKEY k = 0;
    if (win::RegOpenKeyEx(root, key, 0, WriteAccess, &k) != win::ERROR_SUCCESS) return false;
    // All names first: deleting while enumerating by index would skip every other one.
    ClsMap names;
    QString name;
    for (quint32 i = 0; win::RegEnumKeyEx(k, i, &name, 256) == win::ERROR_SUCCESS; ++i)
        names.Add(name, QString());
    win::RegCloseKey(k);
    for (int i = 0; i < names.count(); ++i)
        modRegistry::DeleteRegKey(root, key + QLatin1Char('\\') + names.GetKey(i));
    return true;
}

} // namespace ModRegwell
