#pragma once

#include "platform/win/MessageBox.h"

// Message boxes shown as modal dialogs over the active window, with the buttons, icon and
// default button the style asks for. The prompt is plain text: prompts carry file names, and a
// name that looks like markup must show as it is (and never make the dialog load a file it
// names). Escape or the close button answers with the choice that changes nothing.
namespace win {

class MessageDialog : public MessageBoxSeam
{
public:
    // The title of a box asked without one.
    explicit MessageDialog(const QString &defaultTitle = QString()) : m_defaultTitle(defaultTitle)
    {
    }
    int show(const QString &prompt, int style, const QString &title) override;

private:
    QString m_defaultTitle;
};

} // namespace win
