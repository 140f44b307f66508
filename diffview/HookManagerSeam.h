#pragma once

#include "diffview/HookManager.h"
#include "platform/Seam.h"

#include <memory>

// Where the difference view gets its scroll linkage from. Tests install a fake; without one the
// view creates the pairing library's manager.
class HookManagerSeam : public Seam<HookManagerSeam>
{
public:
    virtual ~HookManagerSeam() = default;
    // A new manager; raises (a BasicError) when none can be made.
    virtual std::unique_ptr<HookManager> create() = 0;

    // The installed seam's manager, else the pairing library's.
    static std::unique_ptr<HookManager> createManager();
};

extern template class Seam<HookManagerSeam>;
