#pragma once

#include "platform/win/MessageBox.h"

// The program's message boxes on the desktop: a modal QMessageBox over the active window with
// the style's buttons, icon and default button, answering with the Basic runtime's numbers.
// Escape answers Cancel, or No, or the only button.
class QtMessageBox : public win::MessageBoxSeam
{
public:
    int show(const QString &prompt, int style, const QString &title) override;

    // Installs one process-wide instance.
    static void install();
};
