#include "app/SessionHost.h"

namespace {
SessionHost *g_host = nullptr;
}

SessionHost *SessionHost::current()
{
    return g_host;
}

void SessionHost::setCurrent(SessionHost *host)
{
    g_host = host;
}
