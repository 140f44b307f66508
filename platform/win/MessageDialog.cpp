#include "platform/win/MessageDialog.h"

#include <QApplication>
#include <QGridLayout>
#include <QMessageBox>
#include <QSpacerItem>
#include <algorithm>
#include <vector>

namespace win {

namespace {

struct Choice
{
    QMessageBox::StandardButton button;
    int answer;
};

std::vector<Choice> choicesOf(int style)
{
    switch (style & 7) {
    case vbOKCancel:
        return {{QMessageBox::Ok, vbOK}, {QMessageBox::Cancel, vbCancel}};
    case vbAbortRetryIgnore:
        return {{QMessageBox::Abort, vbAbort},
                {QMessageBox::Retry, vbRetry},
                {QMessageBox::Ignore, vbIgnore}};
    case vbYesNoCancel:
        return {
            {QMessageBox::Yes, vbYes}, {QMessageBox::No, vbNo}, {QMessageBox::Cancel, vbCancel}};
    case vbYesNo:
        return {{QMessageBox::Yes, vbYes}, {QMessageBox::No, vbNo}};
    case vbRetryCancel:
        return {{QMessageBox::Retry, vbRetry}, {QMessageBox::Cancel, vbCancel}};
    default:
        return {{QMessageBox::Ok, vbOK}};
    }
}

QMessageBox::Icon iconOf(int style)
{
    switch (style & 0x70) {
    case vbCritical:
        return QMessageBox::Critical;
    case vbQuestion:
        return QMessageBox::Question;
    case vbExclamation:
        return QMessageBox::Warning;
    case vbInformation:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

// What a title bar takes besides the title: the window's icon and its three buttons.
constexpr int kTitleBarRoom = 120;

} // namespace

int MessageDialog::show(const QString &prompt, int style, const QString &title)
{
    const std::vector<Choice> choices = choicesOf(style);
    QMessageBox box(iconOf(style), title.isEmpty() ? m_defaultTitle : title, QString(),
                    QMessageBox::NoButton, QApplication::activeWindow());
    box.setTextFormat(Qt::PlainText);
    box.setText(prompt);
    // A short prompt makes a narrow box, whose title the window manager cuts to "Q..." between
    // its icon and buttons: the box is kept wide enough for the title to show whole.
    if (auto *grid = qobject_cast<QGridLayout *>(box.layout())) {
        const int wanted =
            std::min(box.fontMetrics().horizontalAdvance(box.windowTitle()) + kTitleBarRoom, 480);
        grid->addItem(new QSpacerItem(wanted, 0), grid->rowCount(), 0, 1, grid->columnCount());
    }
    for (const Choice &c : choices)
        box.addButton(c.button);
    size_t defaultIndex = (style & vbDefaultButton3) ? 2 : (style & vbDefaultButton2) ? 1 : 0;
    if (defaultIndex >= choices.size()) defaultIndex = 0; // a default the box lacks: the first
    box.setDefaultButton(choices[defaultIndex].button);
    const int safe = safeAnswer(style);
    for (const Choice &c : choices)
        if (c.answer == safe) box.setEscapeButton(c.button);
    box.exec();
    const QAbstractButton *clicked = box.clickedButton();
    for (const Choice &c : choices)
        if (clicked && box.button(c.button) == clicked) return c.answer;
    return safe;
}

} // namespace win
