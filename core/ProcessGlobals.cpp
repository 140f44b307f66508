#include "core/ProcessGlobals.h"

#include <QCoreApplication>

QString g_AppPath;
std::shared_ptr<ClsOption> g_Options;

QString AppPathOrDefault()
{
    if (!g_AppPath.isEmpty()) return g_AppPath;
    QString folder = QCoreApplication::applicationDirPath();
    if (!folder.endsWith(QLatin1Char('/'))) folder += QLatin1Char('/');
    return folder;
}

ClsOption &CurrentOptions()
{
    if (!g_Options) g_Options = std::make_shared<ClsOption>();
    return *g_Options;
}
