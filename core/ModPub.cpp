#include "core/ModPub.h"

#include "core/ModString.h"
#include "platform/files/FileSystem.h"

namespace ModPub {

QString GetTempDir()
{
    QString dir = ModString::TrimAtNull(files::tempFolder());
    if (!dir.endsWith(QLatin1Char('/'))) dir.append(QLatin1Char('/'));
    return dir;
}

} // namespace ModPub
