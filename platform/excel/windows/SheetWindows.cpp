#include "platform/excel/windows/SheetWindows.h"

#include "platform/excel/windows/SheetAppView.h"

#include <QApplication>

namespace excel {

void SheetWindows::install()
{
    WindowView::setFactory(
        [](std::shared_ptr<Application> application) -> std::unique_ptr<WindowView> {
            // Windows need a widget application; a windowless program gets none.
            if (!qobject_cast<QApplication *>(QCoreApplication::instance())) return nullptr;
            return std::make_unique<SheetAppView>(std::move(application));
        });
}

void SheetWindows::uninstall()
{
    WindowView::setFactory({});
}

} // namespace excel
