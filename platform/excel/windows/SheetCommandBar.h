#pragma once

#include "platform/win/WindowHandler.h"

#include <QWidget>
#include <functional>

class QHBoxLayout;
class QToolButton;

namespace excel {

// A command bar of the spreadsheet window (class "MsoCommandBar"): a row of buttons and
// boxes. It closes, for good, when it gets WM_CLOSE.
class SheetCommandBar : public QWidget, public win::WindowHandler
{
public:
    SheetCommandBar(const QString &name, win::DWORD thread, QWidget *parent);
    win::HWND hwnd() const { return m_hwnd; }
    QToolButton *addButton(const QString &text, std::function<void()> action);
    void addWidget(QWidget *widget);

    bool windowMessage(win::HWND hwnd, win::UINT message, win::WPARAM wParam, win::LPARAM lParam,
                       win::LRESULT *result) override;

private:
    QHBoxLayout *m_layout;
    win::HWND m_hwnd = 0;
};

} // namespace excel
