#include "SetupSrc/Include/IniFile.h"

#include "SetupSrc/Include/CorvaleGlobal.h"
#include "platform/ini/Profile.h"

QString IniFile::ReadString(const QString &section, const QString &key,
                            const QString &defaultValue) const
{
    return win::GetPrivateProfileString(section, key, defaultValue, m_fileName);
}

int IniFile::ReadInteger(const QString &section, const QString &key, int defaultValue) const
{
    qint32 value = 0;
    return CorvaleGlobal::TextToInteger(ReadString(section, key, QString()), &value) ? value
                                                                                     : defaultValue;
}

bool IniFile::WriteString(const QString &section, const QString &key, const QString &value)
{
    return win::WritePrivateProfileString(section, key, value, m_fileName);
}
