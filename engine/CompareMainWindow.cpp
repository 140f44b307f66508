#include "engine/CompareMainWindow.h"

#include <QDebug>

template class Seam<CompareMainWindow>;

void CompareMainWindow::ShowStatusText(const QString &text)
{
    qWarning().noquote() << text;
}

void CompareMainWindow::Tell(const QString &text)
{
    if (CompareMainWindow *window = installed())
        window->ShowStatusText(text);
    else
        qWarning().noquote() << text;
}
