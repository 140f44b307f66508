#include "app/frmMain.h"
#include "app/frmSession.h"
#include "app/tests/SessionFixture.h"
#include "core/Twips.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScreen>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>
#include <cmath>
#include <gtest/gtest.h>

namespace {

class SessionLayout : public SessionFixture
{
protected:
    static int px(double twips) { return Twips::toPixels(twips); }
    static int right(const QWidget *w) { return w->x() + w->width(); }
    static int bottom(const QWidget *w) { return w->y() + w->height(); }
    // Resizes the session window's frame in the session area (its outer size).
    void resizeOuter(frmSession *frm, int width, int height)
    {
        auto *frame = qobject_cast<QMdiSubWindow *>(frm->parentWidget());
        ASSERT_TRUE(frame);
        frame->resize(width, height);
        settle();
    }
};

TEST_F(SessionLayout, TheTopAreaFollowsTheWindowAtEverySize)
{
    frmSession *frm = newSession();
    ASSERT_TRUE(frm);
    window->resize(1400, 1000);
    settle();
    auto *frame = qobject_cast<QMdiSubWindow *>(frm->parentWidget());
    ASSERT_TRUE(frame);
    for (const QSize outer :
         {QSize(770, 580), QSize(640, 480), QSize(1100, 760), QSize(900, 330)}) {
        resizeOuter(frm, outer.width(), outer.height());
        const std::string at = std::to_string(outer.width()) + "x" + std::to_string(outer.height());
        // Both file boxes are as wide as half the window allows.
        const int w = px(std::round(Twips::fromPixels(outer.width()) / 2 -
                                    Twips::fromPixels(frm->lblLeftFileName->width()) -
                                    Twips::fromPixels(frm->CmdLeftSelectFile->width()) - 600));
        EXPECT_NEAR(frm->TxtLeftFileName->width(), w, 1) << at;
        EXPECT_EQ(frm->txtRightFileName->width(), frm->TxtLeftFileName->width()) << at;
        EXPECT_EQ(frm->CmdLeftSelectFile->x(), right(frm->TxtLeftFileName)) << at;
        EXPECT_NEAR(frm->lblrightFileName->x(), right(frm->CmdLeftSelectFile) + px(300), 1) << at;
        EXPECT_EQ(frm->txtRightFileName->x(), right(frm->lblrightFileName)) << at;
        for (auto [button, box] : {std::pair{frm->CmdLeftSelectFile, frm->TxtLeftFileName},
                                   std::pair{frm->CmdRightSelectFile, frm->txtRightFileName}})
            EXPECT_NEAR(button->y(), box->y() - px(50), 1) << at;
        EXPECT_EQ(frm->CmdLeft_Refresh_Sheet->x(), frm->CmdLeftSelectFile->x()) << at;
        EXPECT_EQ(frm->CmdRight_Refresh_Sheet->x(), frm->CmdRightSelectFile->x()) << at;

        // The tab control keeps its height, ends 800 twips above the outer bottom edge and
        // reaches from the left label to the right select button's right edge.
        EXPECT_EQ(frm->SSTab1->height(), px(3315)) << at;
        EXPECT_NEAR(bottom(frm->SSTab1), px(Twips::fromPixels(outer.height()) - 800), 1) << at;
        EXPECT_EQ(frm->SSTab1->x(), frm->lblLeftFileName->x()) << at;
        EXPECT_NEAR(right(frm->SSTab1), right(frm->CmdRightSelectFile), 1) << at;
        // The compare buttons sit on the tab control, right-aligned with the select button.
        EXPECT_EQ(bottom(frm->CmdCompare), frm->SSTab1->y()) << at;
        EXPECT_EQ(frm->CmdCompareDetail->y(), frm->CmdCompare->y()) << at;
        EXPECT_NEAR(right(frm->CmdCompareDetail), right(frm->CmdRightSelectFile), 1) << at;
        EXPECT_NEAR(frm->CmdCompareDetail->x(), right(frm->CmdCompare) + px(100), 1) << at;

        // The sheet lists fill the room between, never with a negative height, and their only
        // column is as wide as the list.
        const int h = std::max(0, frm->CmdCompare->y() - frm->CmdLeft_Refresh_Sheet->y() - px(200));
        EXPECT_NEAR(frm->ListViewLeftSheets->height(), h, 1) << at;
        EXPECT_EQ(frm->ListViewRightSheets->height(), frm->ListViewLeftSheets->height()) << at;
        EXPECT_EQ(frm->ListViewLeftSheets->x(), frm->TxtLeftFileName->x()) << at;
        EXPECT_EQ(frm->ListViewRightSheets->width(), frm->txtRightFileName->width()) << at;
        for (QTreeWidget *list : {frm->ListViewLeftSheets, frm->ListViewRightSheets})
            EXPECT_NEAR(list->columnWidth(0), list->width(), 1) << at;
        EXPECT_EQ(frm->OptCompareMethod[1]->y(), frm->OptCompareMethod[0]->y()) << at;
    }
    EXPECT_EQ(frm->ListViewLeftSheets->height(), 0) << "a low window gives the lists no room";

    // A window too narrow to lay out (as when it is minimised) moves nothing; restored, it is
    // laid out again.
    resizeOuter(frm, 800, 600);
    const QRect before = frm->SSTab1->geometry();
    const QRect box = frm->TxtLeftFileName->geometry();
    resizeOuter(frm, 200, 500);
    EXPECT_EQ(frm->SSTab1->geometry(), before);
    EXPECT_EQ(frm->TxtLeftFileName->geometry(), box);
    resizeOuter(frm, 800, 600);
    EXPECT_EQ(frm->SSTab1->geometry(), before);
}

TEST_F(SessionLayout, ANewWindowFitsTheSessionAreaAndItsControlsDoNotOverlap)
{
    start();
    window->resize(900, 650);
    settle();
    frmSession *frm = newSession();
    auto *frame = qobject_cast<QMdiSubWindow *>(frm->parentWidget());
    const QSize room = window->MDIClient->viewport()->size();
    EXPECT_LE(frame->width(), room.width());
    EXPECT_LE(frame->height(), room.height());

    // Inside each frame and on each page, no two controls overlap, and every caption is whole.
    QList<QWidget *> parents = {
        frm->FrameCompareMethod, frm->Frame1,        frm->Frame2, frm->Frame3,
        frm->frameTxtReport,     frm->FrameXlsReport};
    for (int page = 0; page < frm->SSTab1->count(); ++page)
        parents.append(frm->SSTab1->widget(page));
    // The check boxes on a frame's top edge stand in its caption row, clear of its controls.
    const QList<std::pair<QWidget *, QGroupBox *>> onEdge = {
        {frm->ChkSameToLeft, frm->Frame2}, {frm->ChkExcelReport, frm->FrameXlsReport}};
    for (auto [box, frame] : onEdge) {
        const QRect inFrame = box->geometry().translated(-frame->pos());
        for (QWidget *c : frame->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
            EXPECT_FALSE(inFrame.intersects(c->geometry())) << c->objectName().toStdString();
    }
    for (QWidget *parent : parents) {
        const QList<QWidget *> children = parent->findChildren<QWidget *>(
            QRegularExpression("^(?!qt_).+"), Qt::FindDirectChildrenOnly);
        for (qsizetype i = 0; i < children.size(); ++i)
            for (qsizetype j = i + 1; j < children.size(); ++j) {
                const bool edge =
                    onEdge.contains({children[i], qobject_cast<QGroupBox *>(children[j])}) ||
                    onEdge.contains({children[j], qobject_cast<QGroupBox *>(children[i])});
                EXPECT_TRUE(edge || !children[i]->geometry().intersects(children[j]->geometry()))
                    << children[i]->objectName().toStdString() << " and "
                    << children[j]->objectName().toStdString();
            }
        for (QWidget *c : children) {
            EXPECT_LE(bottom(c), parent->height()) << c->objectName().toStdString();
            if (qobject_cast<QCheckBox *>(c) || qobject_cast<QRadioButton *>(c)) {
                EXPECT_GE(c->width(), c->sizeHint().width()) << c->objectName().toStdString();
            }
        }
    }
}

// A session window opens at the size its whole layout needs, inside the session area, or takes
// the whole area where that has less room; never as a bare title bar.
void expectOpenedWhole(frmSession *frm, QMdiArea *area, const std::string &how)
{
    SCOPED_TRACE(how);
    ASSERT_TRUE(frm);
    auto *frame = qobject_cast<QMdiSubWindow *>(frm->parentWidget());
    ASSERT_TRUE(frame);
    const QSize room = area->viewport()->size();
    const QSize wanted = frame->sizeHint();
    if (room.width() < wanted.width() || room.height() < wanted.height()) {
        EXPECT_TRUE(frame->isMaximized());
        return;
    }
    EXPECT_FALSE(frame->isMaximized());
    EXPECT_TRUE(QRect(QPoint(), room).contains(frame->geometry()));
    EXPECT_GE(frm->width(), frm->sizeHint().width());
    EXPECT_GE(frm->height(), frm->sizeHint().height());
    // Every control shows whole: on the window, and on each page of the tab control.
    auto expectInside = [](QWidget *parent) {
        for (QWidget *c : parent->findChildren<QWidget *>(QRegularExpression("^(?!qt_).+"),
                                                          Qt::FindDirectChildrenOnly)) {
            if (c->isHidden()) continue;
            EXPECT_LE(c->x() + c->width(), parent->width()) << c->objectName().toStdString();
            EXPECT_LE(c->y() + c->height(), parent->height()) << c->objectName().toStdString();
        }
    };
    expectInside(frm);
    // A page gets its size when it is shown.
    const int current = frm->SSTab1->currentIndex();
    for (int page = 0; page < frm->SSTab1->count(); ++page) {
        frm->SSTab1->setCurrentIndex(page);
        QCoreApplication::processEvents();
        SCOPED_TRACE(frm->SSTab1->tabText(page).toStdString());
        expectInside(frm->SSTab1->widget(page));
    }
    frm->SSTab1->setCurrentIndex(current);
}

TEST_F(SessionLayout, EveryWayOfOpeningShowsTheWholeLayout)
{
    const QString project = folder() + "p.vrk";
    ASSERT_TRUE(writeText(project, "[LEFT]\nLeftFileName=l.xlsx\n"));
    // Opened while the main window is still coming up: its session area may not have its final
    // size yet.
    start("\"" + project + "\"");
    ASSERT_TRUE(QTest::qWaitFor([&] { return session(project) != nullptr; }));
    settle();
    expectOpenedWhole(session(project), window->MDIClient, "from the command line");

    // A window opened beside a maximized one is maximized too, as MDI windows are.
    ASSERT_TRUE(session(project)->CloseWindow());
    window->resize(1300, 900);
    settle();
    expectOpenedWhole(newSession(), window->MDIClient, "new");
    expectOpenedWhole(openProject(project), window->MDIClient, "opened");
    dialogs.answer(folder() + "q");
    window->mnuFileSaveAs->trigger();
    settle();
    expectOpenedWhole(session(folder() + "q.vrk"), window->MDIClient, "after Save As");
}

TEST_F(SessionLayout, AtTheFirstStartAScreenWithRoomShowsASessionWindowWhole)
{
    start();
    const QRect available = window->screen()->availableGeometry();
    frmSession *frm = newSession();
    auto *frame = qobject_cast<QMdiSubWindow *>(frm->parentWidget());
    const QSize needed = frame->sizeHint() + (window->size() - window->MDIClient->size());
    if (available.width() < needed.width() + 100 || available.height() < needed.height() + 60)
        GTEST_SKIP() << "the screen is too small for a main window around a session window";
    EXPECT_FALSE(frame->isMaximized());
    expectOpenedWhole(frm, window->MDIClient, "first start");
}

TEST_F(SessionLayout, TheTabKeyVisitsTheControlsInTheDesignedOrder)
{
    frmSession *frm = newSession();
    // Every field usable, so that none is skipped.
    frm->ChkSameToLeft->setChecked(false);
    frm->ChkCompareAllCol->setChecked(false);
    frm->SSTab1->setCurrentIndex(0);
    QApplication::setActiveWindow(window);
    frm->TxtLeftFileName->setFocus();
    settle();
    ASSERT_EQ(QApplication::focusWidget(), frm->TxtLeftFileName);

    const QList<QWidget *> expected = {frm->TxtLeftFileName,
                                       frm->CmdLeftSelectFile,
                                       frm->txtRightFileName,
                                       frm->CmdRightSelectFile,
                                       frm->ListViewLeftSheets,
                                       frm->CmdLeft_Refresh_Sheet,
                                       frm->ListViewRightSheets,
                                       frm->CmdRight_Refresh_Sheet,
                                       frm->CmdCompare,
                                       frm->CmdCompareDetail,
                                       frm->SSTab1,
                                       frm->OptCompareMethod[1],
                                       frm->ChkCompareAllCol,
                                       frm->cboLeftStartRow,
                                       frm->txtLeftKeyCol,
                                       frm->txtLeftDataCol,
                                       frm->ChkSameToLeft,
                                       frm->cboRightStartRow,
                                       frm->txtRightKeyCol,
                                       frm->txtRightDataCol,
                                       frm->ChkCompareContent[0],
                                       frm->ChkCompareContent[1],
                                       frm->ChkCompareContent[2]};
    QList<QWidget *> visited;
    for (qsizetype i = 0; i < expected.size(); ++i) {
        QWidget *focus = QApplication::focusWidget();
        // A tab control's focus rests on its tab bar, a combo box's on its line edit; of the
        // option buttons one takes the focus.
        while (focus && focus != frm && !expected.contains(focus) &&
               focus->objectName() != "OptCompareMethod")
            focus = focus->parentWidget();
        visited.append(focus);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    for (qsizetype i = 0; i < expected.size(); ++i)
        EXPECT_EQ(visited.value(i) ? visited.value(i)->objectName() : QString(),
                  expected.at(i)->objectName())
            << "stop " << i;

    // Every control has its number, pages 1 and 2 after page 0.
    const QList<QWidget *> numbered = {frm->TxtLeftFileName,    frm->SSTab1,
                                       frm->FrameCompareMethod, frm->ChkCompareContent[2],
                                       frm->txtReportPath,      frm->ChkShowRightSingleInXls,
                                       frm->CboScriptName};
    const QList<int> numbers = {0, 10, 11, 24, 25, 30, 32};
    for (qsizetype i = 0; i < numbered.size(); ++i)
        EXPECT_EQ(numbered[i]->property("TabIndex").toInt(), numbers[i])
            << numbered[i]->objectName().toStdString();
}

} // namespace
