#include "SetupSrc/Include/IniFile.h"

#include "platform/ini/Profile.h"

QString IniFile::ReadString(const QString &section, const QString &key,
                            const QString &defaultValue) const
{
    return win::GetPrivateProfileString(section, key, defaultValue, m_fileName);
}

int IniFile::ReadInteger(const QString &section, const QString &key, int defaultValue) const
{
    return win::GetPrivateProfileInt(section, key, defaultValue, m_fileName);
}

bool IniFile::WriteString(const QString &section, const QString &key, const QString &value)
{
    return win::WritePrivateProfileString(section, key, value, m_fileName);
}
