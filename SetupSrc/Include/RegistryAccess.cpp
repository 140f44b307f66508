#include "SetupSrc/Include/RegistryAccess.h"

#include "SetupSrc/Include/SetupError.h"

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
    if (win::RegCreateKeyEx(m_root, subKey, QString(), win::REG_OPTION_NON_VOLATILE,
                            win::KEY_ALL_ACCESS, &key) != win::ERROR_SUCCESS)
        throw SetupError(QStringLiteral("Failed to create key %1").arg(subKey));
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
    if (!m_key || win::RegSetValueEx(m_key, name, win::REG_SZ, value) != win::ERROR_SUCCESS)
        throw SetupError(QStringLiteral("Failed to set data for '%1'").arg(name));
}

void RegistryAccess::WriteInteger(const QString &name, qint32 value)
{
    if (!m_key || win::RegSetValueEx(m_key, name, quint32(value)) != win::ERROR_SUCCESS)
        throw SetupError(QStringLiteral("Failed to set data for '%1'").arg(name));
}
