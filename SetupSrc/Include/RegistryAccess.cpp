#include "SetupSrc/Include/RegistryAccess.h"

#include "SetupSrc/Include/SetupError.h"
#include "platform/registry/RegistryStore.h"

namespace {

// Why the store refused a change, for the message that ends the install actions.
QString reason(win::LSTATUS rc)
{
    const QString store = win::RegistryStore::fileName();
    switch (rc) {
    case win::ERROR_DISK_FULL:
        return QStringLiteral("no space left on the disk of the registry store %1").arg(store);
    case win::ERROR_BADDB:
        return QStringLiteral("the registry store %1 is damaged").arg(store);
    case win::ERROR_ACCESS_DENIED:
        return QStringLiteral("the key or the registry store %1 may not be changed").arg(store);
    default:
        return QStringLiteral("error %1 from the registry store %2").arg(rc).arg(store);
    }
}

} // namespace

RegistryAccess::~RegistryAccess()
{
    CloseKey();
}

void RegistryAccess::SetRootKey(win::HKEY root)
{
    CloseKey();
    m_root = root;
}

bool RegistryAccess::KeyExists(const QString &subKey) const
{
    win::HKEY key = 0;
    if (win::RegOpenKeyEx(m_root, subKey, 0, win::KEY_READ, &key) != win::ERROR_SUCCESS)
        return false;
    win::RegCloseKey(key);
    return true;
}

void RegistryAccess::CreateKey(const QString &subKey)
{
    win::HKEY key = 0;
    const win::LSTATUS rc = win::RegCreateKeyEx(
        m_root, subKey, QString(), win::REG_OPTION_NON_VOLATILE, win::KEY_ALL_ACCESS, &key);
    if (rc != win::ERROR_SUCCESS)
        throw SetupError(QStringLiteral("Failed to create key %1: %2").arg(subKey, reason(rc)));
    win::RegCloseKey(key);
}

bool RegistryAccess::OpenKey(const QString &subKey, bool canCreate)
{
    CloseKey();
    const win::LSTATUS rc =
        canCreate ? win::RegCreateKeyEx(m_root, subKey, QString(), win::REG_OPTION_NON_VOLATILE,
                                        win::KEY_ALL_ACCESS, &m_key)
                  : win::RegOpenKeyEx(m_root, subKey, 0, win::KEY_ALL_ACCESS, &m_key);
    if (rc != win::ERROR_SUCCESS) m_key = 0;
    return m_key != 0;
}

void RegistryAccess::CloseKey()
{
    if (m_key) win::RegCloseKey(m_key);
    m_key = 0;
}

void RegistryAccess::WriteString(const QString &name, const QString &value)
{
    checkWrite(name, m_key ? win::RegSetValueEx(m_key, name, win::REG_SZ, value)
                           : win::ERROR_INVALID_HANDLE);
}

void RegistryAccess::WriteInteger(const QString &name, qint32 value)
{
    checkWrite(name,
               m_key ? win::RegSetValueEx(m_key, name, quint32(value)) : win::ERROR_INVALID_HANDLE);
}

void RegistryAccess::checkWrite(const QString &name, win::LSTATUS rc)
{
    if (rc != win::ERROR_SUCCESS)
        throw SetupError(QStringLiteral("Failed to set data for '%1': %2").arg(name, reason(rc)));
}
