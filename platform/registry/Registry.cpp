#include "platform/registry/Registry.h"

#include "platform/registry/RegistryStore.h"
#include "platform/registry/RegistryTree.h"
#include "platform/text/AnsiText.h"

#include <QStringList>
#include <map>
#include <mutex>

namespace win {

namespace {

constexpr REGSAM WriteRights =
    KEY_SET_VALUE | KEY_CREATE_SUB_KEY | KEY_CREATE_LINK | DELETE | WRITE_DAC | WRITE_OWNER;

struct OpenKey
{
    int root = -1;
    QStringList path;
    REGSAM access = 0;
};

// Handles given out by this process; never reused, so a stale handle cannot reach another key.
class HandleTable
{
public:
    HKEY add(const OpenKey &key)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        HKEY h = m_next++;
        m_keys[h] = key;
        return h;
    }
    bool get(HKEY h, OpenKey *out)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        auto it = m_keys.find(h);
        if (it == m_keys.end()) return false;
        *out = it->second;
        return true;
    }
    bool remove(HKEY h)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_keys.erase(h) > 0;
    }

private:
    std::mutex m_mutex;
    std::map<HKEY, OpenKey> m_keys;
    HKEY m_next = 0x100;
};

HandleTable &handles()
{
    static HandleTable table;
    return table;
}

int predefinedRoot(HKEY key)
{
    switch (key) {
    case HKEY_CLASSES_ROOT:
        return 0;
    case HKEY_CURRENT_USER:
        return 1;
    case HKEY_LOCAL_MACHINE:
        return 2;
    case HKEY_USERS:
        return 3;
    case HKEY_CURRENT_CONFIG:
        return 4;
    default:
        return -1;
    }
}

// The key a handle stands for, with the rights it was opened with.
LSTATUS fromHandle(HKEY key, OpenKey *out)
{
    const int root = predefinedRoot(key);
    if (root >= 0) {
        *out = OpenKey{root, {}, KEY_ALL_ACCESS};
        return ERROR_SUCCESS;
    }
    return handles().get(key, out) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

// Splits a sub-key path; one trailing "\" is allowed, empty levels are not.
LSTATUS splitPath(const QString &subKey, QStringList *parts)
{
    QString p = subKey;
    if (p.endsWith(QLatin1Char('\\'))) p.chop(1);
    parts->clear();
    if (p.isEmpty()) return ERROR_SUCCESS;
    *parts = p.split(QLatin1Char('\\'));
    for (const QString &part : *parts)
        if (!RegistryTree::validKeyName(part)) return ERROR_INVALID_PARAMETER;
    return ERROR_SUCCESS;
}

// The key and whether it or a key above it is read-only.
RegistryKey *walk(const RegistryTree &tree, int root, const QStringList &path, bool *readOnly,
                  QStringList *actualPath = nullptr)
{
    RegistryKey *key = const_cast<RegistryKey *>(&tree.root(root));
    bool ro = key->readOnly;
    if (actualPath) actualPath->clear();
    for (const QString &part : path) {
        key = key->subkey(part);
        if (!key) return nullptr;
        ro = ro || key->readOnly;
        if (actualPath) actualPath->append(key->name);
    }
    if (readOnly) *readOnly = ro;
    return key;
}

// Reads the store and finds the handle's key, for the functions that only read.
LSTATUS readKey(HKEY handle, REGSAM needed, RegistryTree &tree, RegistryKey **key)
{
    OpenKey open;
    LSTATUS rc = fromHandle(handle, &open);
    if (rc != ERROR_SUCCESS) return rc;
    if ((open.access & needed) != needed) return ERROR_ACCESS_DENIED;
    rc = RegistryStore::read(tree);
    if (rc != ERROR_SUCCESS) return rc;
    *key = walk(tree, open.root, open.path, nullptr);
    return *key ? ERROR_SUCCESS : ERROR_KEY_DELETED;
}

// Changes the handle's key under the store's lock.
LSTATUS changeKey(HKEY handle, REGSAM needed,
                  const std::function<LSTATUS(RegistryKey &, bool *)> &change)
{
    OpenKey open;
    LSTATUS rc = fromHandle(handle, &open);
    if (rc != ERROR_SUCCESS) return rc;
    if ((open.access & needed) != needed) return ERROR_ACCESS_DENIED;
    return RegistryStore::update([&](RegistryTree &tree, bool *changed) -> long {
        bool readOnly = false;
        RegistryKey *key = walk(tree, open.root, open.path, &readOnly);
        if (!key) return ERROR_KEY_DELETED;
        if (readOnly) return ERROR_ACCESS_DENIED;
        return change(*key, changed);
    });
}

// Stores a value under the key, replacing the one of that name (whose spelling it keeps).
LSTATUS putValue(HKEY key, const RegistryValue &value)
{
    return changeKey(key, KEY_SET_VALUE, [&](RegistryKey &k, bool *changed) -> long {
        RegistryValue v = value;
        if (RegistryValue *old = k.value(v.name)) {
            v.name = old->name;
            *old = v;
        } else {
            k.values.push_back(v);
        }
        *changed = true;
        return ERROR_SUCCESS;
    });
}

} // namespace

quint32 regDataSize(const RegData &data)
{
    if (data.type == REG_DWORD) return 4;
    return quint32(AnsiText::byteLength(data.text)) + 1;
}

LSTATUS RegCreateKeyEx(HKEY parent, const QString &subKey, const QString &keyClass, quint32 options,
                       REGSAM access, HKEY *result, quint32 *disposition)
{
    Q_UNUSED(options);
    if (!result) return ERROR_INVALID_PARAMETER;
    OpenKey base;
    LSTATUS rc = fromHandle(parent, &base);
    if (rc != ERROR_SUCCESS) return rc;
    QStringList parts;
    rc = splitPath(subKey, &parts);
    if (rc != ERROR_SUCCESS) return rc;
    if (base.path.size() + parts.size() > RegistryTree::MaxDepth) return ERROR_INVALID_PARAMETER;
    const bool parentIsRoot = predefinedRoot(parent) >= 0;
    OpenKey opened{base.root, {}, access};
    bool created = false;
    rc = RegistryStore::update([&](RegistryTree &tree, bool *changed) -> long {
        bool readOnly = false;
        RegistryKey *key = walk(tree, base.root, base.path, &readOnly, &opened.path);
        if (!key) return ERROR_KEY_DELETED;
        for (const QString &part : parts) {
            RegistryKey *next = key->subkey(part);
            if (!next) {
                if (readOnly || (!parentIsRoot && !(base.access & KEY_CREATE_SUB_KEY)))
                    return ERROR_ACCESS_DENIED;
                next = key->addSubkey(part);
                next->keyClass = keyClass;
                created = true;
                *changed = true;
            }
            readOnly = readOnly || next->readOnly;
            opened.path.append(next->name);
            key = next;
        }
        if (readOnly && (access & WriteRights)) return ERROR_ACCESS_DENIED;
        return ERROR_SUCCESS;
    });
    if (rc != ERROR_SUCCESS) return rc;
    *result = handles().add(opened);
    if (disposition) *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    return ERROR_SUCCESS;
}

LSTATUS RegOpenKeyEx(HKEY parent, const QString &subKey, quint32 options, REGSAM access,
                     HKEY *result)
{
    Q_UNUSED(options);
    if (!result) return ERROR_INVALID_PARAMETER;
    OpenKey base;
    LSTATUS rc = fromHandle(parent, &base);
    if (rc != ERROR_SUCCESS) return rc;
    QStringList parts;
    rc = splitPath(subKey, &parts);
    if (rc != ERROR_SUCCESS) return rc == ERROR_INVALID_PARAMETER ? ERROR_FILE_NOT_FOUND : rc;
    RegistryTree tree;
    rc = RegistryStore::read(tree);
    if (rc != ERROR_SUCCESS) return rc;
    bool readOnly = false;
    OpenKey opened{base.root, {}, access};
    if (!walk(tree, base.root, base.path + parts, &readOnly, &opened.path))
        return ERROR_FILE_NOT_FOUND;
    if (readOnly && (access & WriteRights)) return ERROR_ACCESS_DENIED;
    *result = handles().add(opened);
    return ERROR_SUCCESS;
}

LSTATUS RegCloseKey(HKEY key)
{
    if (predefinedRoot(key) >= 0) return ERROR_SUCCESS;
    return handles().remove(key) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

LSTATUS RegSetValueEx(HKEY key, const QString &valueName, quint32 type, const QString &text)
{
    if ((type != REG_SZ && type != REG_EXPAND_SZ) || !RegistryTree::validValueName(valueName) ||
        text.size() > RegistryTree::MaxTextLength)
        return ERROR_INVALID_PARAMETER;
    return putValue(key, RegistryValue{valueName, type, text, 0});
}

LSTATUS RegSetValueEx(HKEY key, const QString &valueName, quint32 number)
{
    if (!RegistryTree::validValueName(valueName)) return ERROR_INVALID_PARAMETER;
    return putValue(key, RegistryValue{valueName, REG_DWORD, QString(), number});
}

LSTATUS RegQueryValueEx(HKEY key, const QString &valueName, RegData *data, quint32 bufferSize)
{
    RegistryTree tree;
    RegistryKey *k = nullptr;
    LSTATUS rc = readKey(key, KEY_QUERY_VALUE, tree, &k);
    if (rc != ERROR_SUCCESS) return rc;
    const RegistryValue *v = k->value(valueName);
    if (!v) return ERROR_FILE_NOT_FOUND;
    RegData d{v->type, v->text, v->number};
    if (regDataSize(d) > bufferSize) return ERROR_MORE_DATA;
    if (data) *data = d;
    return ERROR_SUCCESS;
}

LSTATUS RegDeleteValue(HKEY key, const QString &valueName)
{
    return changeKey(key, KEY_SET_VALUE, [&](RegistryKey &k, bool *changed) -> long {
        if (!k.removeValue(valueName)) return ERROR_FILE_NOT_FOUND;
        *changed = true;
        return ERROR_SUCCESS;
    });
}

namespace {

bool anyReadOnly(const RegistryKey &key)
{
    if (key.readOnly) return true;
    for (const auto &sub : key.subkeys)
        if (anyReadOnly(*sub)) return true;
    return false;
}

// Deletes a key: one without subkeys only, or with everything below it in one change.
LSTATUS deleteKey(HKEY parent, const QString &subKey, bool wholeTree)
{
    OpenKey base;
    LSTATUS rc = fromHandle(parent, &base);
    if (rc != ERROR_SUCCESS) return rc;
    QStringList parts;
    rc = splitPath(subKey, &parts);
    if (rc != ERROR_SUCCESS) return ERROR_FILE_NOT_FOUND;
    const QStringList path = base.path + parts;
    if (path.isEmpty()) return ERROR_ACCESS_DENIED; // a root cannot be deleted
    return RegistryStore::update([&](RegistryTree &tree, bool *changed) -> long {
        bool readOnly = false;
        RegistryKey *key = walk(tree, base.root, path, &readOnly);
        if (!key) return ERROR_FILE_NOT_FOUND;
        if (readOnly || (wholeTree ? anyReadOnly(*key) : !key->subkeys.empty()))
            return ERROR_ACCESS_DENIED;
        RegistryKey *above = walk(tree, base.root, path.mid(0, path.size() - 1), nullptr);
        above->removeSubkey(key->name);
        *changed = true;
        return ERROR_SUCCESS;
    });
}

} // namespace

LSTATUS RegDeleteKey(HKEY parent, const QString &subKey)
{
    return deleteKey(parent, subKey, false);
}

LSTATUS RegDeleteTree(HKEY parent, const QString &subKey)
{
    return deleteKey(parent, subKey, true);
}

LSTATUS RegEnumKeyEx(HKEY key, quint32 index, QString *name, quint32 bufferChars)
{
    RegistryTree tree;
    RegistryKey *k = nullptr;
    LSTATUS rc = readKey(key, KEY_ENUMERATE_SUB_KEYS, tree, &k);
    if (rc != ERROR_SUCCESS) return rc;
    if (index >= k->subkeys.size()) return ERROR_NO_MORE_ITEMS;
    const QString &n = k->subkeys[index]->name;
    if (quint32(n.size()) + 1 > bufferChars) return ERROR_MORE_DATA;
    if (name) *name = n;
    return ERROR_SUCCESS;
}

LSTATUS RegEnumValue(HKEY key, quint32 index, QString *valueName, RegData *data)
{
    RegistryTree tree;
    RegistryKey *k = nullptr;
    LSTATUS rc = readKey(key, KEY_QUERY_VALUE, tree, &k);
    if (rc != ERROR_SUCCESS) return rc;
    if (index >= k->values.size()) return ERROR_NO_MORE_ITEMS;
    const RegistryValue &v = k->values[index];
    if (valueName) *valueName = v.name;
    if (data) *data = RegData{v.type, v.text, v.number};
    return ERROR_SUCCESS;
}

LSTATUS RegSetKeyReadOnly(HKEY root, const QString &subKey, bool readOnly)
{
    const int r = predefinedRoot(root);
    if (r < 0) return ERROR_INVALID_HANDLE;
    QStringList parts;
    LSTATUS rc = splitPath(subKey, &parts);
    if (rc != ERROR_SUCCESS) return rc;
    return RegistryStore::update([&](RegistryTree &tree, bool *changed) -> long {
        RegistryKey *key = &tree.root(r);
        for (const QString &part : parts) {
            RegistryKey *next = key->subkey(part);
            key = next ? next : key->addSubkey(part);
        }
        key->readOnly = readOnly;
        *changed = true;
        return ERROR_SUCCESS;
    });
}

} // namespace win
