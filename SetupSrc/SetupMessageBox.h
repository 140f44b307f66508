#pragma once

#include "platform/win/MessageBox.h"

// The message boxes of the Setup program: a modal dialog over the active window with the
// buttons, icon and default button the style asks for.
class SetupMessageBox : public win::MessageBoxSeam
{
public:
    int show(const QString &prompt, int style, const QString &title) override;
};
