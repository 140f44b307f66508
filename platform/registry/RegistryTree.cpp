#include "platform/registry/RegistryTree.h"

#include "platform/registry/Registry.h"

#include <QHash>
#include <QList>
#include <algorithm>
#include <unordered_map>

namespace win {

const char *const RegistryTree::RootNames[RootCount] = {"HKCR", "HKCU", "HKLM", "HKU", "HKCC"};

namespace {

const char Magic[] = "Quorva registry 1";

int compareNames(const QString &a, const QString &b)
{
    int c = QString::compare(a, b, Qt::CaseInsensitive);
    return c != 0 ? c : QString::compare(a, b, Qt::CaseSensitive);
}

// A surrogate without its other half: UTF-8 cannot carry it, so it is written as an escape.
bool loneSurrogate(const QString &text, qsizetype i)
{
    const QChar c = text[i];
    if (c.isHighSurrogate()) return i + 1 >= text.size() || !text[i + 1].isLowSurrogate();
    if (c.isLowSurrogate()) return i == 0 || !text[i - 1].isHighSurrogate();
    return false;
}

QString quote(const QString &text)
{
    QString out;
    out.reserve(text.size() + 2);
    out += QLatin1Char('"');
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        switch (c.unicode()) {
        case '\\':
            out += QLatin1String("\\\\");
            break;
        case '"':
            out += QLatin1String("\\\"");
            break;
        case '\n':
            out += QLatin1String("\\n");
            break;
        case '\r':
            out += QLatin1String("\\r");
            break;
        case '\t':
            out += QLatin1String("\\t");
            break;
        default:
            if (c.unicode() < 0x20 || c.unicode() == 0x7F || c.unicode() == 0x85 ||
                c.unicode() == 0x2028 || c.unicode() == 0x2029 || loneSurrogate(text, i))
                out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
            else
                out += c;
        }
    }
    out += QLatin1Char('"');
    return out;
}

// Reads a quoted text from line[pos]; pos moves past the closing quote. False on bad syntax.
bool unquote(const QString &line, qsizetype &pos, QString *out)
{
    if (pos >= line.size() || line[pos] != QLatin1Char('"')) return false;
    ++pos;
    out->clear();
    while (pos < line.size()) {
        QChar c = line[pos++];
        if (c == QLatin1Char('"')) return true;
        if (c != QLatin1Char('\\')) {
            *out += c;
            continue;
        }
        if (pos >= line.size()) return false;
        QChar e = line[pos++];
        switch (e.unicode()) {
        case '\\':
            *out += QLatin1Char('\\');
            break;
        case '"':
            *out += QLatin1Char('"');
            break;
        case 'n':
            *out += QLatin1Char('\n');
            break;
        case 'r':
            *out += QLatin1Char('\r');
            break;
        case 't':
            *out += QLatin1Char('\t');
            break;
        case 'u': {
            if (pos + 4 > line.size()) return false;
            uint u = 0;
            for (qsizetype i = pos; i < pos + 4; ++i) {
                // Exactly four hex digits: no sign or blank slips in.
                const int digit =
                    QByteArrayView("0123456789abcdef")
                        .indexOf(char(
                            line[i].toLower().unicode() < 0x80 ? line[i].toLower().unicode() : 0));
                if (digit < 0) return false;
                u = u * 16 + uint(digit);
            }
            *out += QChar(char16_t(u));
            pos += 4;
            break;
        }
        default:
            return false;
        }
    }
    return false;
}

} // namespace

RegistryKey *RegistryKey::subkey(const QString &name) const
{
    // Subkeys are sorted without regard to case first, so a binary search finds the name; a
    // linear one made a store with many sibling keys take quadratic time to parse.
    auto at = std::lower_bound(subkeys.begin(), subkeys.end(), name,
                               [](const std::unique_ptr<RegistryKey> &k, const QString &n) {
                                   return QString::compare(k->name, n, Qt::CaseInsensitive) < 0;
                               });
    if (at != subkeys.end() && QString::compare((*at)->name, name, Qt::CaseInsensitive) == 0)
        return at->get();
    return nullptr;
}

RegistryKey *RegistryKey::addSubkey(const QString &name)
{
    auto key = std::make_unique<RegistryKey>();
    key->name = name;
    auto at = std::lower_bound(subkeys.begin(), subkeys.end(), name,
                               [](const std::unique_ptr<RegistryKey> &k, const QString &n) {
                                   return compareNames(k->name, n) < 0;
                               });
    return subkeys.insert(at, std::move(key))->get();
}

bool RegistryKey::removeSubkey(const QString &name)
{
    for (auto it = subkeys.begin(); it != subkeys.end(); ++it)
        if (QString::compare((*it)->name, name, Qt::CaseInsensitive) == 0) {
            subkeys.erase(it);
            return true;
        }
    return false;
}

RegistryValue *RegistryKey::value(const QString &name)
{
    for (auto &v : values)
        if (QString::compare(v.name, name, Qt::CaseInsensitive) == 0) return &v;
    return nullptr;
}

const RegistryValue *RegistryKey::value(const QString &name) const
{
    return const_cast<RegistryKey *>(this)->value(name);
}

bool RegistryKey::removeValue(const QString &name)
{
    for (auto it = values.begin(); it != values.end(); ++it)
        if (QString::compare(it->name, name, Qt::CaseInsensitive) == 0) {
            values.erase(it);
            return true;
        }
    return false;
}

RegistryTree::RegistryTree()
{
    for (int i = 0; i < RootCount; ++i) {
        m_roots[i] = std::make_unique<RegistryKey>();
        m_roots[i]->name = QString::fromLatin1(RootNames[i]);
    }
}

bool RegistryTree::validKeyName(const QString &name)
{
    if (name.isEmpty() || name.size() > MaxKeyNameLength || name.contains(QLatin1Char('\\')))
        return false;
    for (qsizetype i = 0; i < name.size(); ++i)
        if (name[i].unicode() < 0x20 || name[i].unicode() == 0x7F || loneSurrogate(name, i))
            return false;
    return true;
}

bool RegistryTree::validValueName(const QString &name)
{
    return name.size() <= MaxValueNameLength;
}

RegistryKey *RegistryTree::find(int root, const QStringList &path) const
{
    if (root < 0 || root >= RootCount) return nullptr;
    RegistryKey *key = m_roots[root].get();
    for (const QString &part : path) {
        key = key->subkey(part);
        if (!key) return nullptr;
    }
    return key;
}

QByteArray RegistryTree::serialize() const
{
    QString out = QString::fromLatin1(Magic) + QLatin1Char('\n');
    struct Walker
    {
        QString &out;
        void key(const RegistryKey &k, const QString &path, bool isRoot)
        {
            const bool hasContent = !k.values.empty() || k.readOnly || !k.keyClass.isEmpty();
            if (!isRoot || hasContent) {
                out += QLatin1Char('[') + path + QLatin1String("]\n");
                if (!k.keyClass.isEmpty())
                    out += QLatin1String("!class=") + quote(k.keyClass) + QLatin1Char('\n');
                if (k.readOnly) out += QLatin1String("!readonly\n");
                for (const RegistryValue &v : k.values) {
                    out += v.name.isEmpty() ? QStringLiteral("@") : quote(v.name);
                    if (v.type == REG_DWORD)
                        out += QStringLiteral("=dword:%1\n").arg(v.number, 8, 16, QLatin1Char('0'));
                    else
                        out += (v.type == REG_EXPAND_SZ ? QLatin1String("=expand_sz:")
                                                        : QLatin1String("=sz:")) +
                               quote(v.text) + QLatin1Char('\n');
                }
            }
            for (const auto &s : k.subkeys)
                key(*s, path + QLatin1Char('\\') + s->name, false);
        }
    } walker{out};
    for (int i = 0; i < RootCount; ++i)
        walker.key(*m_roots[i], m_roots[i]->name, true);
    return out.toUtf8();
}

bool RegistryTree::parse(const QByteArray &bytes, const QString &fileName, QString *error)
{
    *this = RegistryTree();
    auto fail = [&](int line, const QString &what, const QString &text) {
        if (error)
            *error =
                QStringLiteral("%1:%2: %3: %4").arg(fileName).arg(line).arg(what, text.left(200));
        *this = RegistryTree();
        return false;
    };
    if (bytes.size() > MaxFileSize)
        return fail(0, QStringLiteral("file too large"), QString::number(bytes.size()));
    if (bytes.isEmpty()) return true;
    const QList<QByteArray> lines = bytes.split('\n');
    RegistryKey *current = nullptr;
    // Where each key's values stand, by name in one case: finding a repeated name by a linear
    // search made a key with a hundred thousand values take a minute to read, on every access.
    std::unordered_map<const RegistryKey *, QHash<QString, size_t>> valueIndex;
    for (qsizetype n = 0; n < lines.size(); ++n) {
        const int lineNo = int(n) + 1;
        QByteArray raw = lines[n];
        if (raw.endsWith('\r')) raw.chop(1);
        const QString line = QString::fromUtf8(raw);
        if (!m_undecodableLine && line.contains(QChar::ReplacementCharacter) &&
            line.toUtf8() != raw)
            m_undecodableLine = lineNo;
        if (n == 0) {
            if (line != QLatin1String(Magic))
                return fail(lineNo, QStringLiteral("not a registry store"), line);
            continue;
        }
        if (line.isEmpty() || line.startsWith(QLatin1Char(';'))) continue;
        if (line.startsWith(QLatin1Char('['))) {
            if (!line.endsWith(QLatin1Char(']')))
                return fail(lineNo, QStringLiteral("bad key line"), line);
            const QStringList parts = line.mid(1, line.size() - 2).split(QLatin1Char('\\'));
            if (parts.size() - 1 > MaxDepth)
                return fail(lineNo, QStringLiteral("key too deep"), line);
            int root = -1;
            for (int i = 0; i < RootCount; ++i)
                if (parts[0] == QLatin1String(RootNames[i])) root = i;
            if (root < 0) return fail(lineNo, QStringLiteral("unknown root"), parts[0]);
            current = m_roots[root].get();
            for (qsizetype i = 1; i < parts.size(); ++i) {
                if (!validKeyName(parts[i]))
                    return fail(lineNo, QStringLiteral("bad key name"), parts[i]);
                RegistryKey *next = current->subkey(parts[i]);
                current = next ? next : current->addSubkey(parts[i]);
            }
            continue;
        }
        if (!current) return fail(lineNo, QStringLiteral("entry outside a key"), line);
        if (line == QLatin1String("!readonly")) {
            current->readOnly = true;
            continue;
        }
        if (line.startsWith(QLatin1String("!class="))) {
            qsizetype pos = 7;
            if (!unquote(line, pos, &current->keyClass) || pos != line.size())
                return fail(lineNo, QStringLiteral("bad key class"), line);
            continue;
        }
        RegistryValue v;
        qsizetype pos = 0;
        if (line.startsWith(QLatin1Char('@'))) {
            pos = 1;
        } else if (!unquote(line, pos, &v.name) || v.name.isEmpty() || !validValueName(v.name)) {
            return fail(lineNo, QStringLiteral("bad value name"), line);
        }
        const QString rest = line.mid(pos);
        if (rest.startsWith(QLatin1String("=dword:"))) {
            bool ok = false;
            const QString digits = rest.mid(7);
            v.number = digits.toUInt(&ok, 16);
            if (!ok || digits.size() != 8) return fail(lineNo, QStringLiteral("bad number"), line);
            v.type = REG_DWORD;
        } else {
            qsizetype at;
            if (rest.startsWith(QLatin1String("=sz:"))) {
                v.type = REG_SZ;
                at = 4;
            } else if (rest.startsWith(QLatin1String("=expand_sz:"))) {
                v.type = REG_EXPAND_SZ;
                at = 11;
            } else {
                return fail(lineNo, QStringLiteral("bad value type"), line);
            }
            if (!unquote(rest, at, &v.text) || at != rest.size() || v.text.size() > MaxTextLength)
                return fail(lineNo, QStringLiteral("bad text value"), line);
        }
        QHash<QString, size_t> &index = valueIndex[current];
        const QString folded = v.name.toCaseFolded();
        const auto at = index.constFind(folded);
        if (at != index.cend()) {
            current->values[*at] = v;
        } else {
            index.insert(folded, current->values.size());
            current->values.push_back(v);
        }
    }
    return true;
}

} // namespace win
