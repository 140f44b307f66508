#include "engine/SideWindowHost.h"

namespace {

SideWindowHost *g_host = nullptr;

} // namespace

SideWindowHost *SideWindowHost::current()
{
    return g_host;
}

void SideWindowHost::install(SideWindowHost *host)
{
    g_host = host;
}
