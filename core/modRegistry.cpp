#include "core/modRegistry.h"

namespace modRegistry {

namespace {

// Standard read rights and every key-specific right: what keys are created and opened with
// for writing.
constexpr win::REGSAM WriteAccess = 0x2003F;
constexpr quint32 ValueBufferSize = 1024;

} // namespace

bool SetRegString(win::HKEY root, const QString &subKey, const QString &valueName,
                  const QString &value)
{
    win::HKEY key = 0;
    if (win::RegCreateKeyEx(root, subKey, QStringLiteral("1"), win::REG_OPTION_NON_VOLATILE,
                            WriteAccess, &key) != win::ERROR_SUCCESS)
        return false;
    // An empty text is stored as one blank, so that the value always holds data.
    const QString data = value.isEmpty() ? QStringLiteral(" ") : value;
    const bool ok = win::RegSetValueEx(key, valueName, win::REG_SZ, data) == win::ERROR_SUCCESS;
    win::RegCloseKey(key);
    return ok;
}

QString GetRegValue(win::HKEY root, const QString &subKey, const QString &valueName)
{
    // Read rights only: a key the user may read but not change must still read.
    win::HKEY key = 0;
    if (win::RegOpenKeyEx(root, subKey, 0, win::KEY_READ, &key) != win::ERROR_SUCCESS)
        return QString();
    win::RegData data;
    const win::LSTATUS rc = win::RegQueryValueEx(key, valueName, &data, ValueBufferSize);
    win::RegCloseKey(key);
    if (rc != win::ERROR_SUCCESS) return QString();
    if (data.type == win::REG_DWORD) return QString::number(data.number);
    const qsizetype nul = data.text.indexOf(QChar(0));
    return nul < 0 ? data.text : data.text.left(nul);
}

bool DeleteRegKey(win::HKEY root, const QString &subKey)
{
    return win::RegDeleteKey(root, subKey) == win::ERROR_SUCCESS;
}

} // namespace modRegistry
