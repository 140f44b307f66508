#pragma once

// Spreadsheet applications with their windows shown offscreen, for the pairing tests, and the
// helpers that drive them as a user would.
#include "platform/com/DispatchEventSink.h"
#include "platform/com/typelib/IHookExcelManager.h"
#include "platform/excel/Application.h"
#include "platform/excel/Window.h"
#include "platform/excel/Workbook.h"
#include "platform/excel/Workbooks.h"
#include "platform/excel/windows/SheetAppView.h"
#include "platform/excel/windows/SheetGridWindow.h"
#include "platform/excel/windows/SheetMainWindow.h"
#include "platform/excel/windows/SheetWindows.h"
#include "platform/win/Gdi.h"
#include "platform/win/Windows.h"
#include "tests/support/ScrollBarParts.h"

#include <QApplication>
#include <QScrollBar>
#include <QStyleOptionSlider>
#include <QTest>
#include <QWheelEvent>
#include <memory>
#include <vector>

// One spreadsheet application open on a new workbook, its main window shown.
struct SheetApp
{
    std::shared_ptr<excel::Application> app;

    explicit SheetApp(QSize size = QSize(700, 480))
    {
        app = excel::Application::create();
        app->Workbooks()->Add();
        mainWindow()->resize(size);
        app->setVisible(true);
        QCoreApplication::processEvents();
    }
    ~SheetApp()
    {
        app->Quit();
        app.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    SheetApp(const SheetApp &) = delete;
    SheetApp &operator=(const SheetApp &) = delete;

    excel::SheetMainWindow *mainWindow() const
    {
        return static_cast<excel::SheetAppView *>(app->windowView())->mainWindow();
    }
    excel::SheetGridWindow *grid() const { return mainWindow()->grid(); }
    win::HWND main() const { return app->Hwnd(); }
    win::HWND excel7() const
    {
        const win::HWND desk = win::FindWindowEx(main(), 0, QStringLiteral("XLDESK"), QString());
        return win::FindWindowEx(desk, 0, QStringLiteral("EXCEL7"), QString());
    }
    win::HWND vbar() const { return win::hwndOf(grid()->verticalBar()); }
    win::HWND hbar() const { return win::hwndOf(grid()->horizontalBar()); }
    win::DWORD thread() const { return win::GetWindowThreadProcessId(main()); }
    int row() const { return app->ActiveWindow()->ScrollRow(); }
    int column() const { return app->ActiveWindow()->ScrollColumn(); }
    void scrollTo(int row, int column) const
    {
        app->ActiveWindow()->setScrollRow(row);
        app->ActiveWindow()->setScrollColumn(column);
    }
};

// Spreadsheet windows for the tests of one program, at 96 dots per inch.
struct SheetWindowsInstalled
{
    SheetWindowsInstalled()
    {
        win::setScreenDpi(96);
        excel::SheetWindows::install();
    }
    ~SheetWindowsInstalled()
    {
        excel::SheetWindows::uninstall();
        win::setScreenDpi(0);
    }
};

// Lets the event loop deliver everything posted, including what handling it posts.
inline void drainQueue()
{
    for (int i = 0; i < 6; ++i) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
}

inline void clickPart(QScrollBar *bar, QStyle::SubControl which)
{
    QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, scrollBarPart(bar, which));
}

inline void dragThumb(QScrollBar *bar, QPoint by)
{
    const QPoint thumb = scrollBarPart(bar, QStyle::SC_ScrollBarSlider);
    QTest::mousePress(bar, Qt::LeftButton, Qt::NoModifier, thumb);
    QTest::mouseMove(bar, thumb + by / 2);
    QTest::mouseMove(bar, thumb + by);
    QTest::mouseRelease(bar, Qt::LeftButton, Qt::NoModifier, thumb + by);
}

inline void turnWheel(QWidget *target, int delta)
{
    const QPointF local(60, 60);
    QWheelEvent wheel(local, target->mapToGlobal(local), QPoint(), QPoint(0, delta), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(target, &wheel);
}

// The manager's events as they arrive.
struct ManagerEvents
{
    struct Event
    {
        int dispId;
        std::vector<std::int32_t> args;
        bool operator==(const Event &) const = default;
    };
    std::vector<Event> events;
    com::DispatchEventSink *sink = new com::DispatchEventSink(pairwin::DIID___ClsHookExcelManager);

    explicit ManagerEvents(com::IUnknown *manager)
    {
        for (com::DISPID id : {pairwin::DISPID_OnPaint, pairwin::DISPID_OnScrolled})
            sink->on(id, [this, id](std::vector<com::Variant> &args) {
                Event e{id, {}};
                for (const com::Variant &a : args)
                    e.args.push_back(a.longValue());
                events.push_back(e);
            });
        sink->advise(manager);
    }
    ~ManagerEvents()
    {
        sink->unadvise();
        sink->Release();
    }
    ManagerEvents(const ManagerEvents &) = delete;
    ManagerEvents &operator=(const ManagerEvents &) = delete;

    std::vector<Event> of(int dispId) const
    {
        std::vector<Event> out;
        for (const Event &e : events)
            if (e.dispId == dispId) out.push_back(e);
        return out;
    }
    std::vector<Event> scrolls() const { return of(pairwin::DISPID_OnScrolled); }
    std::vector<Event> paints() const { return of(pairwin::DISPID_OnPaint); }
};
