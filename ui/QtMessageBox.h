#pragma once

#include "platform/win/MessageDialog.h"

// The program's message boxes on the desktop: the message dialog every program shows, titled
// "Quorva" when asked without a title.
class QtMessageBox : public win::MessageDialog
{
public:
    QtMessageBox() : win::MessageDialog(QStringLiteral("Quorva")) {}

    // Installs one process-wide instance.
    static void install();
};
