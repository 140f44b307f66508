#include "diffview/HookManagerSeam.h"

#include "core/ProcessGlobals.h"
#include "diffview/PairwinHookManager.h"

template class Seam<HookManagerSeam>;

std::unique_ptr<HookManager> HookManagerSeam::createManager()
{
    if (HookManagerSeam *seam = installed()) return seam->create();
    return PairwinHookManager::create(AppPathOrDefault());
}
