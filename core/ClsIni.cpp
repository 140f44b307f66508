#include "core/ClsIni.h"

#include "core/ModFile.h"

#include "platform/files/FileSystem.h"
#include "platform/ini/Profile.h"
#include "platform/ini/ProfileFile.h"
#include "platform/text/AnsiText.h"
#include "platform/text/BasicError.h"

bool ClsIni::IsValid() const
{
    return ModFile::FileExists(m_IniFileName);
}

void ClsIni::CreateIni(const QString &folder, const QString &name)
{
    m_IniFileName = CombinePath(folder, name);
}

bool ClsIni::WriteString(const QString &section, const QString &key, const QString &value)
{
    return win::WritePrivateProfileString(section, key, value, m_IniFileName);
}

QString ClsIni::NumText(int value)
{
    return value >= 0 ? QLatin1Char(' ') + QString::number(value) : QString::number(value);
}

bool ClsIni::WriteNum(const QString &section, const QString &key, int value)
{
    return WriteString(section, key, NumText(value));
}

QString ClsIni::ReadString(const QString &section, const QString &key, const QString &defaultValue)
{
    const QString value =
        win::GetPrivateProfileString(section, key, QString(), m_IniFileName, ReadBufferSize);
    if (value.isEmpty()) {
        WriteString(section, key, defaultValue); // a failed write-back is not reported
        return defaultValue;
    }
    // The profile buffer ends at its first NUL.
    const qsizetype nul = value.indexOf(QChar(0));
    return nul < 0 ? value : value.left(nul);
}

int ClsIni::ReadNum(const QString &section, const QString &key, int defaultValue) const
{
    return win::GetPrivateProfileInt(section, key, defaultValue, m_IniFileName);
}

void ClsIni::DelKey(const QString &section, const QString &key)
{
    win::DeletePrivateProfileKey(section, key, m_IniFileName);
}

void ClsIni::DelSection(const QString &section)
{
    win::DeletePrivateProfileSection(section, m_IniFileName);
}

int ClsIni::SplitList(const QString &buffer, QStringList &out)
{
    out.clear();
    qsizetype pos = 0;
    while (pos < buffer.size()) {
        qsizetype nul = buffer.indexOf(QChar(0), pos);
        if (nul < 0) nul = buffer.size();
        const QString item = buffer.mid(pos, nul - pos);
        if (item.isEmpty()) break;
        out.append(item);
        pos = nul + 1;
    }
    return int(out.size());
}

int ClsIni::GetSectionNames(QStringList &out) const
{
    return SplitList(win::GetPrivateProfileSectionNames(m_IniFileName, ReadBufferSize), out);
}

int ClsIni::GetKeys(const QString &section, QStringList &out) const
{
    return SplitList(win::GetPrivateProfileSection(section, m_IniFileName, ReadBufferSize), out);
}

int ClsIni::GetKeys2(const QString &section, QStringList &out) const
{
    out.clear();
    if (!ModFile::FileExists(m_IniFileName)) return 0;
    const files::ReadResult read = files::readFile(m_IniFileName, win::ProfileFile::MaxFileSize);
    if (read.error == files::ReadError::TooLarge)
        throw BasicError(75, QStringLiteral("%1: file too large").arg(m_IniFileName));
    if (read.error == files::ReadError::NotAFile)
        throw BasicError(75, QStringLiteral("%1: not an ordinary file").arg(m_IniFileName));
    if (!read.ok()) throw BasicError(75, QStringLiteral("%1: %2").arg(m_IniFileName, read.reason));
    const QString text = AnsiText::decode(read.bytes);
    const QString header = (QLatin1Char('[') + section + QLatin1Char(']')).toUpper();
    bool found = false;
    qsizetype pos = 0;
    while (pos < text.size()) {
        // Lines end at CR LF, LF or a lone CR.
        qsizetype end = pos;
        while (end < text.size() && text[end] != QLatin1Char('\n') &&
               text[end] != QLatin1Char('\r'))
            ++end;
        QString line = text.mid(pos, end - pos);
        pos = end;
        if (pos < text.size() && text[pos] == QLatin1Char('\r')) ++pos;
        if (pos < text.size() && text[pos] == QLatin1Char('\n')) ++pos;
        line.remove(QChar(0));
        line = line.trimmed();
        if (!found) {
            if (line.toUpper() == header) found = true;
            continue;
        }
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) break;
        if (!line.isEmpty() && !line.startsWith(QLatin1Char(';'))) out.append(line);
    }
    return int(out.size());
}

QString ClsIni::CombinePath(const QString &folder, const QString &name)
{
    QString f = folder;
    QString n = name;
    while (f.endsWith(QLatin1Char('/')))
        f.chop(1);
    while (n.startsWith(QLatin1Char('/')))
        n.remove(0, 1);
    return f + QLatin1Char('/') + n;
}
