#include "diffview/ModControlExcelWindows.h"
#include "diffview/ViewSideWindowHost.h"
#include "engine/ModControlExcel.h"
#include "engine/TSingleSideConfig.h"
#include "platform/excel/Application.h"
#include "platform/excel/Sheets.h"
#include "platform/excel/Window.h"
#include "platform/excel/Workbook.h"
#include "platform/excel/Worksheet.h"
#include "platform/excel/windows/SheetWindows.h"
#include "platform/win/Gdi.h"
#include "platform/win/Messages.h"
#include "platform/win/Windows.h"
#include "tests/support/FakeMessageBox.h"
#include "tests/support/TestFiles.h"

#include <QApplication>
#include <QFrame>
#include <QPointer>
#include <gtest/gtest.h>
#include <memory>

using namespace win;

namespace {

QString fixture()
{
    return TestFiles::path(QStringLiteral("platform/excel/windows/tests/fixtures/look.xlsx"));
}

int countCommandBars(HWND main)
{
    int n = 0;
    for (HWND h = FindWindowEx(main, 0, QStringLiteral("MsoCommandBar"), QString()); h;
         h = FindWindowEx(main, h, QStringLiteral("MsoCommandBar"), QString()))
        ++n;
    return n;
}

QStringList visibleSheets(const std::shared_ptr<excel::Workbook> &book)
{
    QStringList names;
    auto sheets = book->Worksheets();
    for (int i = 1; i <= sheets->Count(); ++i)
        if (sheets->Item(i)->Visible() == -1) names << sheets->Item(i)->Name();
    return names;
}

// A difference view's frame that hosts one side.
class Hosting : public ::testing::Test
{
protected:
    FakeMessageBox boxes;
    std::unique_ptr<QWidget> view = std::make_unique<QWidget>();
    QFrame *frame = new QFrame(view.get());
    TSingleSideConfig side;

    void SetUp() override
    {
        setScreenDpi(96);
        ViewSideWindowHost::install();
        excel::SheetWindows::install();
        view->resize(800, 600);
        frame->setGeometry(10, 40, 500, 400);
        view->show();
        side.setFileName(fixture());
        side.InitDoc();
        ASSERT_NE(side.GetDoc(), nullptr);
    }
    void TearDown() override
    {
        side.CloseExcelAll();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        excel::SheetWindows::uninstall();
        SideWindowHost::install(nullptr);
        setScreenDpi(0);
    }
    HWND host() const { return hwndOf(frame); }
    HWND main() const { return side.GetExcelApp()->Hwnd(); }
};

} // namespace

TEST_F(Hosting, TheSidesWindowIsTakenInAndGivenBack)
{
    const QString name = QString::fromUtf8("第二页");
    side.Initialize(host(), name);
    EXPECT_FALSE(side.GetExcelApp()->Visible());
    EXPECT_EQ(visibleSheets(side.GetDoc()), QStringList{name});
    EXPECT_EQ(side.GetExcelApp()->ActiveSheet()->Name(), name);

    side.ShowWnd(true);
    const HWND m = main();
    EXPECT_TRUE(side.GetExcelApp()->Visible());
    EXPECT_EQ(GetParent(m), host());
    EXPECT_EQ(GetWindowLong(m, GWL_STYLE) & WS_CAPTION, 0);
    EXPECT_TRUE(IsWindowVisible(m));

    ModControlExcel::SetWindowSizable(m, false);
    EXPECT_EQ(GetWindowLong(m, GWL_STYLE) & WS_THICKFRAME, 0);
    EXPECT_EQ(countCommandBars(m), 2);
    ModExcel::CloseCommandBars(m);
    EXPECT_EQ(countCommandBars(m), 0);
    const HWND desk = FindWindowEx(m, 0, QStringLiteral("XLDESK"), QString());
    EXPECT_EQ(ModExcel::GetWindowClassName(FindWindowEx(desk, 0, QString(), QString())),
              QStringLiteral("EXCEL7"));

    side.Event_ParentWndResize();
    RECT r;
    GetClientRect(m, &r);
    EXPECT_EQ(r.right, frame->width());
    EXPECT_EQ(r.bottom, frame->height());
    EXPECT_EQ(widgetOf(m)->pos(), QPoint(0, 0));
    frame->resize(300, 200);
    side.Event_ParentWndResize();
    EXPECT_EQ(widgetOf(m)->size(), QSize(300, 200));

    side.Zoom(50);
    EXPECT_EQ(side.GetExcelApp()->ActiveWindow()->Zoom(), 50);
    side.Zoom(5); // refused and ignored
    EXPECT_EQ(side.GetExcelApp()->ActiveWindow()->Zoom(), 50);

    side.OnBeforeSave();
    EXPECT_EQ(visibleSheets(side.GetDoc()).size(), 3);
    side.ShowOneSheet(name);
    EXPECT_EQ(visibleSheets(side.GetDoc()), QStringList{name});

    side.Restore();
    EXPECT_EQ(GetParent(m), 0);
    EXPECT_TRUE(IsWindow(m));
    EXPECT_FALSE(side.GetExcelApp()->Visible());
    EXPECT_EQ(side.GetDoc(), nullptr);
    view.reset(); // the view goes after it gave the window back
    EXPECT_TRUE(IsWindow(m));
    EXPECT_TRUE(boxes.shown().empty());
}

TEST_F(Hosting, AViewThatGoesFirstDoesNotTakeTheWindowWithIt)
{
    side.Initialize(host(), QStringLiteral("Sheet3"));
    side.ShowWnd(true);
    const HWND m = main();
    ASSERT_EQ(GetParent(m), host());
    view.reset();
    EXPECT_TRUE(IsWindow(m));
    EXPECT_EQ(GetParent(m), 0);
    EXPECT_FALSE(IsWindowVisible(m));
    side.Restore(); // gives it back to the desktop; no host is left to show it in
    side.ShowWnd(true);
    EXPECT_EQ(GetParent(m), 0);
}

TEST_F(Hosting, ShowingTwiceKeepsTheParentToGiveItBackTo)
{
    side.Initialize(host(), QStringLiteral("Sheet3"));
    side.ShowWnd(true);
    side.ShowWnd(true);
    const HWND m = main();
    EXPECT_EQ(GetParent(m), host());
    side.Restore();
    EXPECT_EQ(GetParent(m), 0);
    EXPECT_FALSE(IsWindowVisible(m));
}

TEST_F(Hosting, EveryCommandBarIsClosedAndTheWalkGoesOn)
{
    const HWND m = main();
    EXPECT_EQ(ModExcel::EnumCommandBarProc(m, 0), TRUE); // not a command bar: untouched
    EXPECT_TRUE(IsWindow(m));
    const HWND bar = FindWindowEx(m, 0, QStringLiteral("MsoCommandBar"), QString());
    EXPECT_EQ(ModExcel::EnumCommandBarProc(bar, 0), TRUE);
    EXPECT_FALSE(IsWindow(bar));
    EXPECT_EQ(countCommandBars(m), 1);
    EXPECT_EQ(ModExcel::GetWindowClassName(bar), QString());
    EXPECT_EQ(ModExcel::GetWindowClassName(0), QString());
}

TEST(HostingCaption, CaptionBitsComeAndGo)
{
    QWidget w;
    const HWND h = registerWindow(&w, QStringLiteral("Main"), WS_OVERLAPPEDWINDOW);
    ModControlExcel::SetWindowCaption(h, false);
    EXPECT_EQ(GetWindowLong(h, GWL_STYLE) & 0xC00000, 0);
    EXPECT_EQ(GetWindowLong(h, GWL_STYLE) & WS_THICKFRAME, WS_THICKFRAME); // untouched
    ModControlExcel::SetWindowCaption(h, true);
    EXPECT_EQ(GetWindowLong(h, GWL_STYLE) & 0xC00000, 0xC00000);
    ModControlExcel::SetWindowSizable(h, false);
    EXPECT_EQ(GetWindowLong(h, GWL_STYLE) & 0x40000, 0);
    ModControlExcel::SetWindowSizable(h, true);
    EXPECT_EQ(GetWindowLong(h, GWL_STYLE) & 0x40000, 0x40000);
}
