#include "platform/shell/shellhost/PopupMessageBox.h"

#include <QMessageBox>

namespace shell {

int PopupMessageBox::show(const QString &prompt, int style, const QString &title)
{
    QMessageBox box;
    box.setWindowTitle(title.isEmpty() ? QStringLiteral("Quorva") : title);
    box.setText(prompt);
    switch (style & 0x70) {
    case win::vbCritical:
        box.setIcon(QMessageBox::Critical);
        break;
    case win::vbQuestion:
        box.setIcon(QMessageBox::Question);
        break;
    case win::vbExclamation:
        box.setIcon(QMessageBox::Warning);
        break;
    case win::vbInformation:
        box.setIcon(QMessageBox::Information);
        break;
    default:
        break;
    }
    struct Button
    {
        QMessageBox::StandardButton button;
        int answer;
    };
    std::vector<Button> buttons;
    switch (style & 7) {
    case win::vbOKCancel:
        buttons = {{QMessageBox::Ok, win::vbOK}, {QMessageBox::Cancel, win::vbCancel}};
        break;
    case win::vbAbortRetryIgnore:
        buttons = {{QMessageBox::Abort, win::vbAbort},
                   {QMessageBox::Retry, win::vbRetry},
                   {QMessageBox::Ignore, win::vbIgnore}};
        break;
    case win::vbYesNoCancel:
        buttons = {{QMessageBox::Yes, win::vbYes},
                   {QMessageBox::No, win::vbNo},
                   {QMessageBox::Cancel, win::vbCancel}};
        break;
    case win::vbYesNo:
        buttons = {{QMessageBox::Yes, win::vbYes}, {QMessageBox::No, win::vbNo}};
        break;
    case win::vbRetryCancel:
        buttons = {{QMessageBox::Retry, win::vbRetry}, {QMessageBox::Cancel, win::vbCancel}};
        break;
    default:
        buttons = {{QMessageBox::Ok, win::vbOK}};
        break;
    }
    QMessageBox::StandardButtons set;
    for (const Button &b : buttons)
        set |= b.button;
    box.setStandardButtons(set);
    const int index = (style & win::vbDefaultButton3) ? 2 : (style & win::vbDefaultButton2) ? 1 : 0;
    if (size_t(index) < buttons.size()) box.setDefaultButton(buttons[size_t(index)].button);
    const int pressed = box.exec();
    for (const Button &b : buttons)
        if (pressed == b.button) return b.answer;
    return win::defaultAnswer(style);
}

} // namespace shell
