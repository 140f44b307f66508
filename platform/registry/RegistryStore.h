#pragma once

#include "platform/registry/RegistryTree.h"

#include <QString>
#include <functional>

namespace win {

// The registry's file: $XDG_DATA_HOME/quorva/registry.reg, or the file QUORVA_REGISTRY names.
// Readers parse the file as it is (every change replaces it whole, so a reader never sees half
// a write). A change holds an exclusive lock on a companion ".lock" file while it reads the
// newest state, applies itself and writes a temporary file that then replaces the store; two
// processes writing at once therefore lose nothing.
class RegistryStore
{
public:
    static QString fileName();

    // Reads the current state. Returns ERROR_SUCCESS, or ERROR_BADDB when the file cannot be
    // read or parsed (the reason goes to the log with the file and line).
    static long read(RegistryTree &tree);

    // Runs the change on the newest state under the lock; when it returns ERROR_SUCCESS and
    // sets *changed, the result replaces the file. A store that cannot be parsed is never
    // overwritten.
    using Change = std::function<long(RegistryTree &tree, bool *changed)>;
    static long update(const Change &change);
};

} // namespace win
