#include "ui/QtMessageBox.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <vector>

namespace {

struct Button
{
    QMessageBox::StandardButton button;
    int answer;
};

std::vector<Button> buttonsOf(int style)
{
    using B = QMessageBox;
    switch (style & 7) {
    case win::vbOKCancel:
        return {{B::Ok, win::vbOK}, {B::Cancel, win::vbCancel}};
    case win::vbAbortRetryIgnore:
        return {{B::Abort, win::vbAbort}, {B::Retry, win::vbRetry}, {B::Ignore, win::vbIgnore}};
    case win::vbYesNoCancel:
        return {{B::Yes, win::vbYes}, {B::No, win::vbNo}, {B::Cancel, win::vbCancel}};
    case win::vbYesNo:
        return {{B::Yes, win::vbYes}, {B::No, win::vbNo}};
    case win::vbRetryCancel:
        return {{B::Retry, win::vbRetry}, {B::Cancel, win::vbCancel}};
    default:
        return {{B::Ok, win::vbOK}};
    }
}

QMessageBox::Icon iconOf(int style)
{
    switch (style & 0x70) {
    case win::vbCritical:
        return QMessageBox::Critical;
    case win::vbQuestion:
        return QMessageBox::Question;
    case win::vbExclamation:
        return QMessageBox::Warning;
    case win::vbInformation:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

QtMessageBox g_instance;

} // namespace

int QtMessageBox::show(const QString &prompt, int style, const QString &title)
{
    QMessageBox box(iconOf(style), title.isEmpty() ? QStringLiteral("Quorva") : title, prompt,
                    QMessageBox::NoButton, QApplication::activeWindow());
    // Prompts carry file and sheet names: markup in them must show as typed, never be loaded
    // (an <img> naming a device would hang the box).
    box.setTextFormat(Qt::PlainText);
    const std::vector<Button> buttons = buttonsOf(style);
    for (const Button &b : buttons)
        box.addButton(b.button);

    size_t defaultIndex = 0;
    if (style & win::vbDefaultButton3)
        defaultIndex = 2;
    else if (style & win::vbDefaultButton2)
        defaultIndex = 1;
    if (defaultIndex >= buttons.size()) defaultIndex = 0;
    box.setDefaultButton(buttons[defaultIndex].button);

    QMessageBox::StandardButton escape =
        buttons.size() == 1 ? buttons[0].button : QMessageBox::NoButton;
    for (const Button &b : buttons)
        if (b.button == QMessageBox::Cancel) escape = b.button;
    if (escape == QMessageBox::NoButton)
        for (const Button &b : buttons)
            if (b.button == QMessageBox::No) escape = b.button;
    if (escape != QMessageBox::NoButton) box.setEscapeButton(escape);

    box.exec();
    const auto clicked = box.standardButton(box.clickedButton());
    for (const Button &b : buttons)
        if (b.button == clicked) return b.answer;
    // Closed without a button (only possible without an escape button): the style's cancel.
    return (style & 7) == win::vbAbortRetryIgnore ? win::vbIgnore : win::defaultAnswer(style);
}

void QtMessageBox::install()
{
    win::MessageBoxSeam::install(&g_instance);
}
