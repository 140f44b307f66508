#include "platform/excel/windows/tests/SheetWindowSupport.h"

#include "platform/excel/CellStore.h"
#include "platform/excel/Interior.h"
#include "platform/excel/Range.h"
#include "platform/excel/windows/SheetPainter.h"

#include <QTabBar>
#include <gtest/gtest.h>

namespace {

// How many pixels of a cell's inside have exactly this colour.
int countColour(const QImage &image, const QRect &cell, QRgb colour)
{
    int n = 0;
    const QRect inside = cell.adjusted(1, 1, -2, -2);
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x)
            n += image.pixel(x, y) == colour;
    return n;
}

int countReddish(const QImage &image, const QRect &cell)
{
    int n = 0;
    for (int y = cell.top(); y <= cell.bottom(); ++y)
        for (int x = cell.left(); x <= cell.right(); ++x) {
            const QColor c = QColor::fromRgb(image.pixel(x, y));
            n += c.red() > 150 && c.green() < 110 && c.blue() < 110;
        }
    return n;
}

} // namespace

class SheetDrawing : public ::testing::Test
{
protected:
    ShownWorkbook w{fixture(QStringLiteral("look.xlsx"))};

    // A cell's rectangle in the grabbed main window's pixels.
    QRect onImage(int row, int column) const
    {
        const QRect r = w.grid()->cellRect(row, column);
        return QRect(w.grid()->mapTo(w.mainWindow(), r.topLeft()), r.size());
    }
};

TEST_F(SheetDrawing, FillsColoursPatternsAndMarks)
{
    const QImage image = w.shot(QStringLiteral("look"));
    const QRect b3 = onImage(3, 2);
    EXPECT_GT(countColour(image, b3, qRgb(255, 255, 0)), b3.width() * b3.height() / 2); // yellow
    // The hatched row: dark and white pixels, about half each.
    const QRect b4 = onImage(4, 2);
    const int dark = countColour(image, b4, qRgb(0, 0, 0));
    const int light = countColour(image, b4, qRgb(255, 255, 255));
    EXPECT_GT(dark, b4.width() * b4.height() / 4);
    EXPECT_GT(light, b4.width() * b4.height() / 4);
    // Red text in C2, running on into D2 is stopped by D2's own value.
    EXPECT_GT(countReddish(image, onImage(2, 3)), 20);
    // The comment mark sits in D2's top right corner.
    const QRect d2 = onImage(2, 4);
    EXPECT_GT(countReddish(image, QRect(d2.right() - 5, d2.top(), 5, 4)), 3);
    // E is hidden: F follows D directly.
    EXPECT_EQ(w.grid()->cellRect(1, 5).width(), 0);
    EXPECT_EQ(onImage(1, 6).left(), onImage(1, 4).right() + 1);
    // A6:C7 is one area with one fill: no grid line inside it.
    const QRect a6 = onImage(6, 1);
    EXPECT_EQ(QColor(image.pixel(a6.right(), a6.center().y())).rgb(),
              QColor(image.pixel(a6.center())).rgb());
}

TEST_F(SheetDrawing, ZoomAndScrollKeepTheCellsWhereTheirPointsSay)
{
    w.window()->setZoom(50);
    w.window()->setScrollRow(3);
    w.shot(QStringLiteral("zoom50"));
    EXPECT_EQ(w.grid()->cellRect(3, 1).height(), 20); // 30 points (40 pixels) at half size
    EXPECT_EQ(w.grid()->cellRect(4, 3).width(), 70);
    w.window()->setZoom(200);
    w.window()->setScrollRow(1);
    w.window()->setScrollColumn(2);
    w.shot(QStringLiteral("zoom200"));
    EXPECT_EQ(w.grid()->cellRect(1, 2).width(), 128);
    w.window()->setZoom(10);
    w.shot(QStringLiteral("zoom10"));
    EXPECT_NEAR(w.grid()->cellRect(1, 2).width(), 6.4, 1.0);
}

// Zoomed out until the letters are smudges, texts show as bars where they stand: red text stays
// red, a number keeps to the right of its cell and inside it.
TEST_F(SheetDrawing, TextsTooSmallToReadShowAsBarsWhereTheyStand)
{
    w.window()->setZoom(25);
    const QImage image = w.shot(QStringLiteral("zoom25"));
    EXPECT_GT(countReddish(image, onImage(2, 3)), 2);
    const QRect b2 = onImage(2, 2);
    int left = b2.right() + 1, right = b2.left() - 1;
    for (int y = b2.top() + 1; y < b2.bottom(); ++y)
        for (int x = b2.left() + 1; x < b2.right(); ++x)
            if (qGray(image.pixel(x, y)) < 200) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
    ASSERT_LE(left, right) << "the number 12 shows nothing";
    EXPECT_GT(left, b2.center().x());
    EXPECT_GE(right, b2.right() - 4);
}

TEST_F(SheetDrawing, TextsOfValues)
{
    auto sheet = w.sheet();
    const excel::WorkbookData &book = sheet->book();
    const excel::SheetData &data = sheet->data();
    struct Case
    {
        int row, column;
        const char *text;
        Qt::Alignment align;
    };
    for (const Case c : {Case{2, 2, "12", Qt::AlignRight}, Case{3, 2, "3.5", Qt::AlignRight},
                         Case{5, 1, "TRUE", Qt::AlignHCenter}, Case{5, 2, "=1/0", Qt::AlignLeft},
                         Case{1, 1, "名称", Qt::AlignLeft}}) {
        const excel::Cell *cell = excel::CellStore::find(data, c.row, c.column);
        ASSERT_NE(cell, nullptr);
        EXPECT_EQ(excel::SheetPainter::displayText(book, data, c.row, *cell),
                  QString::fromUtf8(c.text));
        EXPECT_EQ(excel::SheetPainter::alignment(book, *cell), c.align);
    }
}

TEST_F(SheetDrawing, EditedAndSelectedSheetOnShow)
{
    w.sheet()->Range(QStringLiteral("B10:D12")).Select();
    w.sheet()->Cells(10, 2).setValue(com::Variant(QStringLiteral("新的值")));
    w.sheet()->Cells(11, 2).Interior().setPattern(-4162);
    QCoreApplication::processEvents();
    const QImage image = w.shot(QStringLiteral("selected"));
    // The selection's shade lies over the selected cells but not over the active one.
    const QRect c11 = onImage(11, 3);
    const QRgb shaded = image.pixel(c11.center());
    EXPECT_NE(shaded, qRgb(255, 255, 255));
    EXPECT_EQ(image.pixel(onImage(10, 2).adjusted(2, 2, -2, -2).topLeft()), qRgb(255, 255, 255));
}
