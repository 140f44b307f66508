#include "SetupSrc/SetupMessage.h"

#include <QCoreApplication>

const SetupMessage *SetupMessage::from(const QEvent *event)
{
    return dynamic_cast<const SetupMessage *>(event);
}

void PostSetupMessage(QObject *window, int message, quint64 wParam, qint64 lParam)
{
    QCoreApplication::postEvent(window, new SetupMessage(message, wParam, lParam));
}
