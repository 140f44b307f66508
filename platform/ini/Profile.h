#pragma once

#include <QString>

// The profile functions: INI files read and written on every call, with nothing cached.
// Section and key names compare without regard to case and the first occurrence wins; a value
// is the text after the first "=", blanks trimmed. Writes replace a value in place, put a new key
// after its section's last entry and a new section at the end of the file, and leave every other
// line alone. The file is replaced atomically, so a failed write leaves it whole.
namespace win {

// The buffer size the profile functions are told by default (characters, NUL included).
constexpr int ProfileBufferSize = 0xFFF6;

// The value, or the default when the file, section or key is missing; cut to bufferSize - 1
// characters like a NUL-terminated buffer of that size.
QString GetPrivateProfileString(const QString &section, const QString &key,
                                const QString &defaultValue, const QString &fileName,
                                int bufferSize = ProfileBufferSize);

// Leading blanks skipped, an optional minus sign, decimal digits; the default when the key is
// missing or empty; 0 when the value does not start with a number.
int GetPrivateProfileInt(const QString &section, const QString &key, int defaultValue,
                         const QString &fileName);

// Section names in file order, each followed by a NUL, the list ended by one more NUL; a list
// that does not fit is cut and ended by two NULs, as in a buffer of that size.
QString GetPrivateProfileSectionNames(const QString &fileName, int bufferSize = ProfileBufferSize);

// The section's entries ("key=value" lines as written, trimmed; no comments or blank lines),
// in the same NUL-separated layout.
QString GetPrivateProfileSection(const QString &section, const QString &fileName,
                                 int bufferSize = ProfileBufferSize);

// Writes the value, creating the file (when its folder exists), the section and the key as
// needed. False when the file cannot be written or when a name or the value holds a line break
// or a NUL (which would forge lines), a section name holds "]", or a key is empty, holds "=" or
// starts with "[" or ";".
bool WritePrivateProfileString(const QString &section, const QString &key, const QString &value,
                               const QString &fileName);

// Deletes one key, or a whole section with all its lines. True when the file is as asked
// afterwards (also when there was nothing to delete).
bool DeletePrivateProfileKey(const QString &section, const QString &key, const QString &fileName);
bool DeletePrivateProfileSection(const QString &section, const QString &fileName);

} // namespace win
