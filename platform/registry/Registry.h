#pragma once

#include "platform/WinError.h"

#include <QString>
#include <QtGlobal>

// The registry functions over the per-user store (RegistryStore). Keys are opened by handle: the
// five predefined roots, or handles that RegCreateKeyEx and RegOpenKeyEx hand out. Paths use "\"
// between levels; names compare without regard to case and keep their case; "*" is an ordinary key
// name. Every call reads the store anew, so handles see other processes' changes.
namespace win {

using HKEY = quint32;
using REGSAM = quint32;

constexpr HKEY HKEY_CLASSES_ROOT = 0x80000000u;
constexpr HKEY HKEY_CURRENT_USER = 0x80000001u;
constexpr HKEY HKEY_LOCAL_MACHINE = 0x80000002u;
constexpr HKEY HKEY_USERS = 0x80000003u;
constexpr HKEY HKEY_CURRENT_CONFIG = 0x80000005u;

constexpr quint32 REG_NONE = 0;
constexpr quint32 REG_SZ = 1;
constexpr quint32 REG_EXPAND_SZ = 2;
constexpr quint32 REG_DWORD = 4;

constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
constexpr REGSAM KEY_SET_VALUE = 0x0002;
constexpr REGSAM KEY_CREATE_SUB_KEY = 0x0004;
constexpr REGSAM KEY_ENUMERATE_SUB_KEYS = 0x0008;
constexpr REGSAM KEY_NOTIFY = 0x0010;
constexpr REGSAM KEY_CREATE_LINK = 0x0020;
constexpr REGSAM DELETE = 0x00010000;
constexpr REGSAM READ_CONTROL = 0x00020000;
constexpr REGSAM WRITE_DAC = 0x00040000;
constexpr REGSAM WRITE_OWNER = 0x00080000;
constexpr REGSAM KEY_READ = 0x20019;
constexpr REGSAM KEY_WRITE = 0x20006;
constexpr REGSAM KEY_ALL_ACCESS = 0xF003F;

constexpr quint32 REG_OPTION_NON_VOLATILE = 0;
constexpr quint32 REG_CREATED_NEW_KEY = 1;
constexpr quint32 REG_OPENED_EXISTING_KEY = 2;

// A value as the query and enumeration functions return it.
struct RegData
{
    quint32 type = REG_NONE;
    QString text;       // REG_SZ, REG_EXPAND_SZ (never expanded)
    quint32 number = 0; // REG_DWORD
};

// Bytes a value takes in the ANSI functions' buffers: a text's code-page bytes and its NUL, or
// four for a number.
quint32 regDataSize(const RegData &data);

// Creates the key and every missing level above it, or opens it when it exists. The class text
// is kept on the keys created. *disposition gets REG_CREATED_NEW_KEY or REG_OPENED_EXISTING_KEY.
LSTATUS RegCreateKeyEx(HKEY parent, const QString &subKey, const QString &keyClass, quint32 options,
                       REGSAM access, HKEY *result, quint32 *disposition = nullptr);
LSTATUS RegOpenKeyEx(HKEY parent, const QString &subKey, quint32 options, REGSAM access,
                     HKEY *result);
LSTATUS RegCloseKey(HKEY key);

// Texts (REG_SZ, REG_EXPAND_SZ) and numbers (REG_DWORD).
LSTATUS RegSetValueEx(HKEY key, const QString &valueName, quint32 type, const QString &text);
LSTATUS RegSetValueEx(HKEY key, const QString &valueName, quint32 number);

// Reads a value ("" for the default value). ERROR_MORE_DATA when it needs more than
// bufferSize bytes (see regDataSize); *data then stays as it was.
LSTATUS RegQueryValueEx(HKEY key, const QString &valueName, RegData *data,
                        quint32 bufferSize = 0xFFFFFFFFu);
LSTATUS RegDeleteValue(HKEY key, const QString &valueName);

// Deletes the key (refused with ERROR_ACCESS_DENIED while it has subkeys).
LSTATUS RegDeleteKey(HKEY parent, const QString &subKey);
// Deletes the key with everything below it in one change, so other processes see either the
// whole subtree or none of it. ERROR_ACCESS_DENIED when any key in it may not be changed.
LSTATUS RegDeleteTree(HKEY parent, const QString &subKey);

// Direct subkeys in order of their names (without regard to case), by index from 0;
// ERROR_NO_MORE_ITEMS past the last, ERROR_MORE_DATA when a name needs more than
// bufferChars characters with its NUL.
LSTATUS RegEnumKeyEx(HKEY key, quint32 index, QString *name, quint32 bufferChars = 256);
// Values in the order they were first set.
LSTATUS RegEnumValue(HKEY key, quint32 index, QString *valueName, RegData *data = nullptr);

// Marks a key and its subtree as one the user may read but not change (as a key protected by
// an administrator behaves); keys that do not exist are created first.
LSTATUS RegSetKeyReadOnly(HKEY root, const QString &subKey, bool readOnly);

} // namespace win
