#include "ui/QtMessageBox.h"

namespace {

QtMessageBox g_instance;

} // namespace

void QtMessageBox::install()
{
    win::MessageBoxSeam::install(&g_instance);
}
