#include "platform/excel/SheetMetrics.h"
#include "platform/excel/GridGeometry.h"
#include "platform/excel/Range.h"
#include "platform/excel/SheetParser.h"
#include "platform/excel/Sheets.h"
#include "platform/excel/Window.h"
#include "platform/excel/WindowView.h"
#include "platform/excel/Worksheet.h"
#include "platform/excel/tests/ModelTestSupport.h"

#include <QFile>

using namespace excel;

namespace {

SheetData parse(const std::string &xml)
{
    WorkbookData book;
    SheetData sheet;
    SheetParser parser(&sheet, &book, 0);
    EXPECT_TRUE(parser.feed(xml.data(), xml.size()) && parser.finish())
        << parser.error().toStdString();
    return sheet;
}

} // namespace

TEST(SheetMetrics, ColumnWidthsFromTheFile)
{
    // Widths count characters of a 7-pixel digit with 5 pixels of padding: 9.140625 is the
    // standard 64 pixels (48 points); 20 is 140 pixels; hidden columns and bad ranges.
    const SheetData s = parse(R"(<worksheet><sheetFormatPr baseColWidth="10" defaultRowHeight="15"/>
<cols><col min="1" max="1" width="9.140625"/><col min="3" max="4" width="20" customWidth="1"/>
<col min="5" max="5" width="12" hidden="1"/><col min="9" max="7" width="30"/>
<col min="8" max="8" width="-4"/></cols><sheetData/></worksheet>)");
    EXPECT_DOUBLE_EQ(SheetMetrics::columnWidth(s, 1), 48);
    EXPECT_DOUBLE_EQ(SheetMetrics::columnWidth(s, 2), 60); // base 10: 75 -> 80 pixels
    EXPECT_DOUBLE_EQ(SheetMetrics::columnWidth(s, 3), 105);
    EXPECT_DOUBLE_EQ(SheetMetrics::columnWidth(s, 4), 105);
    EXPECT_DOUBLE_EQ(SheetMetrics::columnWidth(s, 5), 0);
    EXPECT_DOUBLE_EQ(SheetMetrics::columnWidth(s, 8), 60);
    EXPECT_DOUBLE_EQ(SheetMetrics::left(s, 6), 48 + 60 + 105 + 105 + 0);

    const SheetData d = parse(R"(<worksheet><sheetFormatPr defaultColWidth="13" baseColWidth="8"/>
<sheetData/></worksheet>)");
    EXPECT_DOUBLE_EQ(SheetMetrics::columnWidth(d, 7), 68.25); // 91 pixels
    EXPECT_DOUBLE_EQ(SheetMetrics::pointsOfBaseWidth(8), 48);
}

TEST(SheetMetrics, RowTopsAddTheirOwnHeights)
{
    SheetData s;
    s.defaultRowHeight = 15;
    s.rowHeights = {{2, 30}, {4, 0}, {1000, 12.75}};
    EXPECT_DOUBLE_EQ(SheetMetrics::top(s, 1), 0);
    EXPECT_DOUBLE_EQ(SheetMetrics::top(s, 3), 45);
    EXPECT_DOUBLE_EQ(SheetMetrics::top(s, 6), 45 + 15 + 0 + 15);
    EXPECT_DOUBLE_EQ(SheetMetrics::top(s, 1001), 1000 * 15 + 15 - 15 - 2.25);
}

TEST(GridGeometry, VisibleLinesIncludeThePartlyVisibleLast)
{
    SheetData s;
    s.rowHeights = {{3, 0}};
    // 100 x 50 pixels at 96 dpi: columns of 64 pixels, rows of 20.
    const GridGeometry g(s, 100, 96, 1, 1, QSize(100, 50), 65536, 256);
    EXPECT_EQ(g.rowCount(), 4); // rows 1, 2, hidden 3, and 4 cut at 50
    EXPECT_EQ(g.fullRows(), 3);
    EXPECT_EQ(g.columnCount(), 2);
    EXPECT_EQ(g.fullColumns(), 1);
    EXPECT_EQ(g.rowTop(4), 40);
    EXPECT_EQ(g.rowAt(39), 2);
    EXPECT_EQ(g.rowAt(40), 4);
    EXPECT_EQ(g.columnAt(64), 2);
    EXPECT_EQ(g.columnAt(500), 0);
    // The last row ends the grid however large the area.
    const GridGeometry end(s, 100, 96, 65535, 1, QSize(100, 500), 65536, 256);
    EXPECT_EQ(end.rowCount(), 2);
    EXPECT_EQ(end.originY(), -int(SheetMetrics::top(s, 65535) * 96 / 72));
}

TEST(SheetWindowModel, WithoutWindowsTheViewIsANominalWindow)
{
    auto app = Application::create();
    auto book = app->Workbooks()->Add();
    EXPECT_EQ(app->Hwnd(), 0);
    auto window = app->ActiveWindow();
    window->setScrollRow(100);
    window->setScrollColumn(3);
    const Range visible = window->VisibleRange();
    EXPECT_EQ(visible.Address(), QStringLiteral("$C$100:$U$139")); // 1200 x 800 pixels
    EXPECT_EQ(window->PointsToScreenPixelsX(0), -128);
    EXPECT_EQ(window->PointsToScreenPixelsY(0), -1980);
    window->setScrollRow(10000000);
    EXPECT_EQ(window->ScrollRow(), 65536);
    EXPECT_EQ(errorNumberOf([&] { window->setScrollRow(0); }), 1004);
    app->Quit();
    EXPECT_EQ(errorNumberOf([&] { window->ScrollRow(); }), 462);
}

TEST(SheetWindowModel, AWindowWithoutAWorkbookRefusesItsMembers)
{
    auto app = Application::create();
    EXPECT_EQ(app->ActiveSheet(), nullptr);
    EXPECT_EQ(errorNumberOf([&] { app->ActiveWindow()->Zoom(); }), 1004);
    EXPECT_EQ(errorNumberOf([&] { app->ActiveWindow()->VisibleRange(); }), 1004);
}

TEST(SheetWindowModel, HidingTheActiveSheetActivatesAVisibleOne)
{
    auto app = Application::create();
    auto book = app->Workbooks()->Add();
    auto sheets = book->Worksheets();
    sheets->Item(2)->Activate();
    sheets->Item(2)->setVisible(0);
    EXPECT_EQ(app->ActiveSheet()->Name(), QStringLiteral("Sheet3"));
    sheets->Item(3)->setVisible(2);
    EXPECT_EQ(app->ActiveSheet()->Name(), QStringLiteral("Sheet1"));
}

TEST(SheetWindowModel, AFileItsOwnerMayNotWriteOpensReadOnly)
{
    REQUIRE_OPENPYXL();
    QTemporaryDir dir;
    const QString path = writeWithOpenpyxl(dir, QStringLiteral("locked.xlsx"), "ws['A1'] = 1");
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup);
    auto app = Application::create();
    auto book = app->Workbooks()->Open(path, false);
    EXPECT_TRUE(book->ReadOnly());
    EXPECT_NE(errorNumberOf([&] { book->Save(); }), 0);
    app->Quit();
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    auto again = Application::create();
    EXPECT_FALSE(again->Workbooks()->Open(path, false)->ReadOnly());
    again->Quit();
}
