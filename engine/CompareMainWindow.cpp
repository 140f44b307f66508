#include "engine/CompareMainWindow.h"

namespace {
CompareMainWindow *g_mainWindow = nullptr;
}

void CompareMainWindow::install(CompareMainWindow *window)
{
    g_mainWindow = window;
}

CompareMainWindow *CompareMainWindow::installed()
{
    return g_mainWindow;
}
