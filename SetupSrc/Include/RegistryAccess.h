#pragma once

#include "platform/registry/Registry.h"

#include <QString>

// One registry object for a run of writes: a root, at most one open key, and the writes into
// it. Paths are relative to the root and use "\" between levels. Failures to create a key or to
// write a value raise SetupError with the key or value named; the other calls answer false.
class RegistryAccess
{
public:
    RegistryAccess() = default;
    ~RegistryAccess();
    RegistryAccess(const RegistryAccess &) = delete;
    RegistryAccess &operator=(const RegistryAccess &) = delete;

    win::HKEY RootKey() const { return m_root; }
    // Closes any open key.
    void SetRootKey(win::HKEY root);

    bool KeyExists(const QString &subKey) const;
    // Creates the key and any missing level above it; raises "Failed to create key <path>: <why>".
    void CreateKey(const QString &subKey);
    // Opens the key for writing (creating it when canCreate); false when that fails.
    bool OpenKey(const QString &subKey, bool canCreate);
    void CloseKey();
    bool HasOpenKey() const { return m_key != 0; }

    // Write into the open key; raise "Failed to set data for '<name>': <why>".
    void WriteString(const QString &name, const QString &value);
    void WriteInteger(const QString &name, qint32 value);

private:
    static void checkWrite(const QString &name, win::LSTATUS rc);

    win::HKEY m_root = win::HKEY_CURRENT_USER;
    win::HKEY m_key = 0;
};
