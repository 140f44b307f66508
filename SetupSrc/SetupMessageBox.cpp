#include "SetupSrc/SetupMessageBox.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <vector>

int SetupMessageBox::show(const QString &prompt, int style, const QString &title)
{
    using win::MsgBoxResult;
    struct Choice
    {
        QMessageBox::StandardButton button;
        int answer;
    };
    std::vector<Choice> choices;
    switch (style & 7) {
    case win::vbOKCancel:
        choices = {{QMessageBox::Ok, win::vbOK}, {QMessageBox::Cancel, win::vbCancel}};
        break;
    case win::vbAbortRetryIgnore:
        choices = {{QMessageBox::Abort, win::vbAbort},
                   {QMessageBox::Retry, win::vbRetry},
                   {QMessageBox::Ignore, win::vbIgnore}};
        break;
    case win::vbYesNoCancel:
        choices = {{QMessageBox::Yes, win::vbYes},
                   {QMessageBox::No, win::vbNo},
                   {QMessageBox::Cancel, win::vbCancel}};
        break;
    case win::vbYesNo:
        choices = {{QMessageBox::Yes, win::vbYes}, {QMessageBox::No, win::vbNo}};
        break;
    case win::vbRetryCancel:
        choices = {{QMessageBox::Retry, win::vbRetry}, {QMessageBox::Cancel, win::vbCancel}};
        break;
    default:
        choices = {{QMessageBox::Ok, win::vbOK}};
        break;
    }
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    switch (style & 0x70) {
    case win::vbCritical:
        icon = QMessageBox::Critical;
        break;
    case win::vbQuestion:
        icon = QMessageBox::Question;
        break;
    case win::vbExclamation:
        icon = QMessageBox::Warning;
        break;
    case win::vbInformation:
        icon = QMessageBox::Information;
        break;
    default:
        break;
    }
    QMessageBox box(icon, title, prompt, QMessageBox::NoButton, QApplication::activeWindow());
    for (const Choice &c : choices)
        box.addButton(c.button);
    const size_t defaultIndex = (style & win::vbDefaultButton3)   ? 2
                                : (style & win::vbDefaultButton2) ? 1
                                                                  : 0;
    box.setDefaultButton(choices[qMin(defaultIndex, choices.size() - 1)].button);
    // Closing the box with Escape or its close button answers with the choice that changes
    // nothing.
    const int safe = win::safeAnswer(style);
    for (const Choice &c : choices)
        if (c.answer == safe) box.setEscapeButton(c.button);
    box.exec();
    const QAbstractButton *clicked = box.clickedButton();
    for (const Choice &c : choices)
        if (clicked && box.button(c.button) == clicked) return c.answer;
    return safe;
}
