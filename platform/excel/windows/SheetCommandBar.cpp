#include "platform/excel/windows/SheetCommandBar.h"

#include "platform/win/Windows.h"

#include <QHBoxLayout>
#include <QToolButton>

namespace excel {

SheetCommandBar::SheetCommandBar(const QString &name, win::DWORD thread, QWidget *parent)
    : QWidget(parent), m_layout(new QHBoxLayout(this))
{
    setObjectName(name);
    m_layout->setContentsMargins(4, 2, 4, 2);
    m_layout->setSpacing(2);
    m_layout->addStretch(1);
    m_hwnd = win::registerWindow(this, QStringLiteral("MsoCommandBar"),
                                 win::WS_CHILD | win::WS_VISIBLE, thread, this);
}

QToolButton *SheetCommandBar::addButton(const QString &text, std::function<void()> action)
{
    auto *button = new QToolButton(this);
    button->setText(text);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    connect(button, &QToolButton::clicked, this, [action] { action(); });
    m_layout->insertWidget(m_layout->count() - 1, button);
    return button;
}

void SheetCommandBar::addWidget(QWidget *widget)
{
    widget->setParent(this);
    m_layout->insertWidget(m_layout->count() - 1, widget);
}

bool SheetCommandBar::windowMessage(win::HWND hwnd, win::UINT message, win::WPARAM, win::LPARAM,
                                    win::LRESULT *result)
{
    if (message != win::WM_CLOSE) return false;
    win::DestroyWindow(hwnd);
    *result = 0;
    return true;
}

} // namespace excel
