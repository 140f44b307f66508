#pragma once

#include "platform/excel/WindowView.h"
#include "platform/excel/windows/SheetMainWindow.h"

#include <QPointer>
#include <memory>

namespace excel {

// The window of one application: made hidden with the application's own logical thread, and
// destroyed (with every handle in it) when the application quits or goes.
class SheetAppView : public WindowView
{
public:
    explicit SheetAppView(std::shared_ptr<Application> application);
    ~SheetAppView() override;

    SheetMainWindow *mainWindow() const { return m_main; }

    int hwnd() const override;
    void setVisible(bool visible) override;
    void viewChanged() override;
    void contentChanged() override;
    QSize cellArea() const override;
    QPoint cellAreaOnScreen() const override;
    int dpi() const override;

private:
    QPointer<SheetMainWindow> m_main;
};

} // namespace excel
