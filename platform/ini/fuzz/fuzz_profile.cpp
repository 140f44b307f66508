// Feeds arbitrary bytes to the profile functions as an INI file: reads of its sections and keys,
// then one write. The written file must read back with the value, and every line the write did
// not touch must keep its text and line end (its bytes, in a UTF-8 file). A file with bytes its
// encoding cannot decode is not written at all.
#include "platform/ini/Profile.h"
#include "platform/text/AnsiText.h"
#include "tests/support/FuzzSupport.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QList>
#include <QStringList>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <utility>

using namespace win;

namespace {

using Lines = QList<std::pair<QByteArray, QByteArray>>; // text, line end

// Lines of an 8-bit file at CR LF, LF or a lone CR.
Lines splitLines(const QByteArray &bytes)
{
    Lines out;
    qsizetype start = 0;
    while (start < bytes.size()) {
        qsizetype i = start;
        while (i < bytes.size() && bytes[i] != '\r' && bytes[i] != '\n')
            ++i;
        QByteArray end;
        if (i < bytes.size()) {
            end = (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
                      ? QByteArray("\r\n")
                      : bytes.mid(i, 1);
        }
        out.append({bytes.mid(start, i - start), end});
        start = i + end.size();
    }
    return out;
}

QList<QString> listOf(const QString &packed)
{
    QList<QString> out = packed.split(QChar(0));
    while (!out.isEmpty() && out.last().isEmpty())
        out.removeLast();
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString path = FuzzSupport::filePath(QStringLiteral("f.ini"));
    // The first byte picks the write (a value, or the deletion of a key or a section); the rest
    // is the file.
    const int op = size > 0 ? data[0] : 0;
    const QByteArray before =
        size > 1 ? QByteArray(reinterpret_cast<const char *>(data) + 1, qsizetype(size - 1))
                 : QByteArray();
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return 0;
        f.write(before);
    }

    const QList<QString> sections = listOf(GetPrivateProfileSectionNames(path));
    QString section = QStringLiteral("Fuzz");
    QString key = QStringLiteral("Key");
    for (const QString &s : sections) {
        for (const QString &entry : listOf(GetPrivateProfileSection(s, path))) {
            const qsizetype eq = entry.indexOf(QLatin1Char('='));
            const QString k = eq < 0 ? entry : entry.left(eq);
            GetPrivateProfileString(s, k, QStringLiteral("d"), path, 1 + (op & 0x3F));
            GetPrivateProfileInt(s, k, 7, path);
        }
        if ((op & 3) == 1) section = s;
    }
    if ((op & 3) == 1 && !sections.isEmpty()) {
        const QList<QString> entries = listOf(GetPrivateProfileSection(section, path));
        if (!entries.isEmpty()) {
            const QString &e = entries[(op >> 2) % entries.size()];
            const qsizetype eq = e.indexOf(QLatin1Char('='));
            if (eq > 0) key = e.left(eq);
        }
    }

    const QString value = QStringLiteral("v%1").arg(op);
    if ((op & 0xF0) == 0x80) {
        // Names are listed NUL-separated, so a name holding a NUL comes out in pieces: the
        // check asks for the section's entries instead.
        if (DeletePrivateProfileSection(section, path) &&
            !listOf(GetPrivateProfileSection(section, path)).isEmpty())
            FuzzSupport::fault("section still there after deletion");
        return 0;
    }
    if ((op & 0xC0) == 0xC0) {
        // Deletions only need to leave a file that reads without the key.
        if (DeletePrivateProfileKey(section, key, path) &&
            GetPrivateProfileString(section, key, QStringLiteral("<none>"), path) !=
                QLatin1String("<none>"))
            FuzzSupport::fault("key still there after deletion");
        return 0;
    }
    bool exact = true;
    AnsiText::decode(before, &exact);
    if (!WritePrivateProfileString(section, key, value, path)) {
        QFile f(path);
        if (!exact && (!f.open(QIODevice::ReadOnly) || f.readAll() != before))
            FuzzSupport::fault("a refused write changed the file");
        return 0; // a refused name, or a file that would lose bytes
    }
    if (!exact) {
        // Accepted only when the value was there already, and then nothing is written.
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly) || f.readAll() != before)
            FuzzSupport::fault("a file that does not decode was rewritten");
        return 0;
    }
    if (GetPrivateProfileString(section, key, QString(), path) != value)
        FuzzSupport::fault("written value does not read back");

    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) FuzzSupport::fault("written file unreadable");
    const QByteArray after = f.readAll();
    // Files are written as UTF-8 (a UTF-8 BOM stays, and text beginning with U+FEFF gets one),
    // so lines are compared as decoded text; for a UTF-8 file that is its bytes.
    const bool bomExpected =
        before.startsWith("\xEF\xBB\xBF") || AnsiText::decode(before).startsWith(QChar(0xFEFF));
    if (bomExpected != after.startsWith("\xEF\xBB\xBF"))
        FuzzSupport::fault("byte order mark changed");
    const Lines a = splitLines(AnsiText::decode(before).toUtf8());
    const Lines b = splitLines(AnsiText::decode(after).toUtf8());
    qsizetype head = 0;
    while (head < a.size() && head < b.size() && a[head] == b[head])
        ++head;
    qsizetype tail = 0;
    while (tail < a.size() - head && tail < b.size() - head &&
           a[a.size() - 1 - tail] == b[b.size() - 1 - tail])
        ++tail;
    qsizetype changedBefore = a.size() - head - tail;
    qsizetype changedAfter = b.size() - head - tail;
    if (changedBefore == 1 && head + 1 == a.size() && a[head].second.isEmpty() &&
        a[head].first == b[head].first && !b[head].second.isEmpty()) {
        changedBefore = 0; // the last line gained a line end
        --changedAfter;
    }
    if (changedBefore > 1 || changedAfter - changedBefore > 2 || changedAfter < changedBefore)
        FuzzSupport::fault("a line the write did not touch changed");
    return 0;
}
