#include "ui/ClsSplitWnd.h"

#include "core/Twips.h"
#include "ui/TwipsGeometry.h"

#include <QSignalSpy>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>
#include <memory>

namespace {

// A 600 x 400 pixel owner (9000 x 6000 twips at 96 DPI) with a left pane of 2400 twips, the
// bar and a right pane, laid out as the owners do it.
class Splitter : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Twips::setDpiOverride(96);
        owner = std::make_unique<QWidget>();
        owner->resize(600, 400);
        left = new QWidget(owner.get());
        bar = new QWidget(owner.get());
        right = new QWidget(owner.get());
        TwipsGeometry::move(left, 0, 0, 2400, 100);
        owner->show();
    }
    void TearDown() override { Twips::setDpiOverride(0); }

    void initialize(bool withRight = true)
    {
        split.Initialize(bar, left, withRight ? right : nullptr);
        split.setWidth(9000);
        split.setHeight(6000);
        split.OnParentResize();
    }

    // The mouse at owner pixel x, as the bar sees it (relative to where the bar is now).
    QPoint at(int ownerX) const { return QPoint(ownerX - bar->x(), 10); }
    void press(int x, Qt::MouseButton b = Qt::LeftButton) { QTest::mousePress(bar, b, {}, at(x)); }
    void move(int x) { QTest::mouseMove(bar, at(x)); }
    void release(int x, Qt::MouseButton b = Qt::LeftButton)
    {
        QTest::mouseRelease(bar, b, {}, at(x));
    }

    std::unique_ptr<QWidget> owner;
    QWidget *left = nullptr, *bar = nullptr, *right = nullptr;
    ClsSplitWnd split;
};

TEST_F(Splitter, LaysOutLeftPaneBarAndRightPaneInTheRectangle)
{
    initialize();
    EXPECT_EQ(left->geometry(), QRect(0, 0, 160, 400));
    // SplitWidth 50 twips is 3 pixels at 96 DPI.
    EXPECT_EQ(bar->geometry(), QRect(160, 0, 3, 400));
    EXPECT_EQ(right->geometry(), QRect(163, 0, 437, 400));
    EXPECT_EQ(split.MinWidth(), 0);
    EXPECT_EQ(split.MaxWidth(), 5000);
    EXPECT_EQ(split.SplitWidth(), 50);
}

TEST_F(Splitter, WithoutARightPaneOnlyTheLeftPaneAndTheBarMove)
{
    right->setGeometry(400, 50, 20, 20);
    split.setTop(150);
    initialize(false);
    EXPECT_EQ(left->geometry(), QRect(0, 10, 160, 400));
    EXPECT_EQ(bar->geometry(), QRect(160, 10, 3, 400));
    EXPECT_EQ(right->geometry(), QRect(400, 50, 20, 20));
}

TEST_F(Splitter, ADragMovesTheBarAndTheRightPaneAndRaisesResizeOnceAtTheEnd)
{
    initialize();
    QSignalSpy resized(&split, &ClsSplitWnd::Resize);
    press(161);
    EXPECT_TRUE(split.dragging());
    move(200);
    move(230);
    EXPECT_EQ(resized.count(), 0) << "not during the moves";
    EXPECT_EQ(bar->x(), 230);
    EXPECT_EQ(left->width(), 230);
    EXPECT_EQ(right->x(), 233);
    release(240);
    EXPECT_EQ(resized.count(), 1);
    EXPECT_FALSE(split.dragging());
    // The bar ends where it was dropped, right beside the left pane.
    EXPECT_EQ(bar->x(), 240);
    EXPECT_EQ(left->width(), 240);
    EXPECT_EQ(right->geometry(), QRect(243, 0, 357, 400));
    EXPECT_EQ(bar->width(), 3);
}

TEST_F(Splitter, MovesBeyondMaxWidthAreIgnoredAndALetGoThereKeepsTheDrag)
{
    initialize();
    split.setMaxWidth(3000); // 200 pixels
    QSignalSpy resized(&split, &ClsSplitWnd::Resize);
    press(161);
    move(190);
    move(3500 / 15); // 233 pixels
    EXPECT_EQ(bar->x(), 190) << "the bar stays where it last was within range";
    release(3500 / 15);
    EXPECT_EQ(bar->x(), 190);
    EXPECT_EQ(resized.count(), 0);
    EXPECT_TRUE(split.dragging()) << "a let-go beyond the limit does not end the drag";
}

TEST_F(Splitter, ADragEndingLeftOfMinWidthGivesTheLeftPaneMinWidth)
{
    initialize();
    split.setMinWidth(1500); // 100 pixels
    press(161);
    move(120);
    move(60); // below MinWidth: ignored
    EXPECT_EQ(bar->x(), 120);
    release(60);
    EXPECT_EQ(TwipsGeometry::width(left), 1500);
    EXPECT_EQ(TwipsGeometry::left(bar), 1500);
    EXPECT_EQ(right->x(), 103);
}

TEST_F(Splitter, ARightButtonDuringADragEndsItAsLettingGoWould)
{
    initialize();
    QSignalSpy resized(&split, &ClsSplitWnd::Resize);
    press(161);
    move(210);
    press(215, Qt::RightButton);
    EXPECT_FALSE(split.dragging());
    EXPECT_EQ(resized.count(), 1);
    EXPECT_EQ(bar->x(), 215);
    EXPECT_EQ(left->width(), 215);
    // Neither the right button's release nor further moves drag again.
    release(215, Qt::RightButton);
    move(300);
    release(300);
    EXPECT_EQ(bar->x(), 215);
    EXPECT_EQ(resized.count(), 1);
}

TEST_F(Splitter, TheRightButtonAloneStartsNoDragAndMovesWithoutAButtonDoNothing)
{
    initialize();
    QSignalSpy resized(&split, &ClsSplitWnd::Resize);
    press(161, Qt::RightButton);
    EXPECT_FALSE(split.dragging());
    move(250);
    release(250, Qt::RightButton);
    EXPECT_EQ(bar->x(), 160);
    EXPECT_EQ(resized.count(), 0);
}

TEST_F(Splitter, APressAndLetGoWithoutMovingKeepsTheLayout)
{
    initialize();
    QSignalSpy resized(&split, &ClsSplitWnd::Resize);
    press(161);
    release(161);
    EXPECT_EQ(resized.count(), 1);
    EXPECT_EQ(bar->geometry(), QRect(160, 0, 3, 400));
    EXPECT_EQ(left->width(), 160);
    EXPECT_EQ(right->x(), 163);
}

TEST_F(Splitter, OwnerResizeKeepsTheLeftPaneWidth)
{
    initialize();
    press(161);
    move(250);
    release(250);
    owner->resize(800, 300);
    split.setWidth(12000);
    split.setHeight(4500);
    split.OnParentResize();
    EXPECT_EQ(left->geometry(), QRect(0, 0, 250, 300));
    EXPECT_EQ(bar->geometry(), QRect(250, 0, 3, 300));
    EXPECT_EQ(right->geometry(), QRect(253, 0, 547, 300));
}

} // namespace
