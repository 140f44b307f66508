#include "platform/ini/Profile.h"

#include "platform/ini/ProfileBatch.h"
#include "platform/ini/ProfileFile.h"

#include <QStringList>
#include <limits>

namespace win {

namespace {

bool holdsLineBreak(const QString &text)
{
    for (QChar c : text)
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n') || c == QChar(0) ||
            c == QChar(0x2028) || c == QChar(0x2029) || c == QChar(0x85))
            return true;
    return false;
}

bool validSection(const QString &section)
{
    return !holdsLineBreak(section) && !section.contains(QLatin1Char(']'));
}

bool validKey(const QString &key)
{
    const QString k = key.trimmed();
    return !k.isEmpty() && !holdsLineBreak(key) && !k.contains(QLatin1Char('=')) &&
           !k.startsWith(QLatin1Char('[')) && !k.startsWith(QLatin1Char(';'));
}

QString packList(const QStringList &items, int bufferSize)
{
    QString out;
    if (bufferSize < 2) return out;
    for (const QString &item : items) {
        out += item;
        out += QChar(0);
    }
    if (out.size() + 1 <= bufferSize) {
        out += QChar(0);
        return out;
    }
    // Cut to fit, the last item ended by two NULs.
    out.truncate(bufferSize - 2);
    out += QChar(0);
    out += QChar(0);
    return out;
}

// The file as it is now, or as a batch of this thread has changed it.
ProfileFile current(const QString &fileName)
{
    if (ProfileBatch *batch = ProfileBatch::active(fileName)) return batch->file();
    return ProfileFile::load(fileName);
}

bool change(const QString &fileName, const ProfileFile::Change &edit)
{
    if (ProfileBatch *batch = ProfileBatch::active(fileName)) return batch->apply(edit);
    return ProfileFile::update(fileName, edit);
}

} // namespace

QString GetPrivateProfileString(const QString &section, const QString &key,
                                const QString &defaultValue, const QString &fileName,
                                int bufferSize)
{
    if (bufferSize <= 0) return QString();
    QString value = defaultValue;
    const ProfileFile f = current(fileName);
    if (f.state() == ProfileFile::State::Ok) {
        const int header = f.findSection(section);
        const int line = header < 0 ? -1 : f.findKey(header, key);
        if (line >= 0) value = f.valueAt(line);
    }
    if (value.size() > bufferSize - 1) value.truncate(bufferSize - 1);
    return value;
}

int GetPrivateProfileInt(const QString &section, const QString &key, int defaultValue,
                         const QString &fileName)
{
    const QString text = GetPrivateProfileString(section, key, QString(), fileName);
    if (text.isEmpty()) return defaultValue;
    qsizetype i = 0;
    while (i < text.size() && (text[i] == QLatin1Char(' ') || text[i] == QLatin1Char('\t')))
        ++i;
    bool negative = false;
    if (i < text.size() && text[i] == QLatin1Char('-')) {
        negative = true;
        ++i;
    }
    qint64 n = 0;
    for (; i < text.size() && text[i] >= QLatin1Char('0') && text[i] <= QLatin1Char('9'); ++i) {
        n = n * 10 + (text[i].unicode() - '0');
        if (n > qint64(std::numeric_limits<int>::max()) + 1)
            n = qint64(std::numeric_limits<int>::max()) + 1; // saturate, never overflow
    }
    if (negative) n = -n;
    if (n > std::numeric_limits<int>::max()) n = std::numeric_limits<int>::max();
    return int(n);
}

QString GetPrivateProfileSectionNames(const QString &fileName, int bufferSize)
{
    const ProfileFile f = current(fileName);
    if (f.state() != ProfileFile::State::Ok) return packList({}, bufferSize);
    return packList(f.sectionNames(), bufferSize);
}

QString GetPrivateProfileSection(const QString &section, const QString &fileName, int bufferSize)
{
    const ProfileFile f = current(fileName);
    if (f.state() != ProfileFile::State::Ok) return packList({}, bufferSize);
    return packList(f.sectionLines(section), bufferSize);
}

bool WritePrivateProfileString(const QString &section, const QString &key, const QString &value,
                               const QString &fileName)
{
    if (!validSection(section) || !validKey(key) || holdsLineBreak(value)) return false;
    // Copies: a batch keeps the change until it commits.
    return change(fileName, [section, key, value](ProfileFile &f) {
        // A missing file is created even when the value is already what it would hold.
        return f.setValue(section, key, value) || f.state() != ProfileFile::State::Ok;
    });
}

bool DeletePrivateProfileKey(const QString &section, const QString &key, const QString &fileName)
{
    return change(fileName, [section, key](ProfileFile &f) { return f.removeKey(section, key); });
}

bool DeletePrivateProfileSection(const QString &section, const QString &fileName)
{
    return change(fileName, [section](ProfileFile &f) { return f.removeSection(section); });
}

} // namespace win
