#pragma once

#include "platform/win/MessageBox.h"

namespace shell {

// Message boxes of the handlers shown as dialogs while shellhost shows its popup (without a
// display they go to standard error).
class PopupMessageBox : public win::MessageBoxSeam
{
public:
    int show(const QString &prompt, int style, const QString &title) override;
};

} // namespace shell
