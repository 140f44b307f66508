#include "diffview/HookManagerSeam.h"

#include "platform/text/BasicError.h"

template class Seam<HookManagerSeam>;

std::unique_ptr<HookManager> HookManagerSeam::createManager()
{
    if (HookManagerSeam *seam = installed()) return seam->create();
    // The pairing library is not part of this build yet.
    throw BasicError(429, QStringLiteral("ActiveX component can't create object: "
                                         "Pairwin.ClsHookExcelManager"));
}
