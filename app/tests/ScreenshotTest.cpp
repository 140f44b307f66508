#include "app/frmSession.h"
#include "app/tests/MainWindowFixture.h"
#include "app/tests/SessionFixture.h"
#include "engine/CompareProgressBar.h"
#include "tests/support/TestFiles.h"
#include "ui/ProductIcon.h"

#include <QCheckBox>
#include <QDir>
#include <QImage>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPixmap>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace {

using Screenshot = MainWindowFixture;

// Renders the main window with two session windows to frmMain.png, in the folder named by
// QUORVA_SCREENSHOT_DIR (the program's own temporary folder otherwise), for the README and for
// looking at the layout: captions whole, Chinese glyphs drawn, nothing overlapping.
TEST_F(Screenshot, RendersTheMainWindow)
{
    frmMain *w = start();
    w->resize(1000, 640);
    w->mnuFileNew->trigger();
    w->mnuFileNew->trigger();
    w->SessionWindowNamed("New Project 1")->TxtLeftFileName->setText("/data/月报/2024-03.xlsx");
    w->mnuWindowTileVertical->trigger();
    settle();

    const QImage image = w->grab().toImage();
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), w->size() * image.devicePixelRatio());
    // Something is drawn: the project pane's background differs from the session area's.
    const QPoint pane = w->ListView1->viewport()->mapTo(w, QPoint(5, 60));
    const QPoint area = w->MDIClient->mapTo(w, QPoint(w->MDIClient->width() - 3, 3));
    EXPECT_NE(image.pixel(pane), image.pixel(area));

    QString dir = qEnvironmentVariable("QUORVA_SCREENSHOT_DIR");
    if (dir.isEmpty()) dir = m_dir.path();
    ASSERT_TRUE(QDir().mkpath(dir));
    EXPECT_TRUE(image.save(QDir(dir).filePath("frmMain.png")));

    // A comparison under way: the Cancel button and the progress bar in the status bar.
    w->InCompare(true);
    w->ProgressBar1()->setVisible(true);
    w->ProgressBar1()->setValue(40);
    settle();
    EXPECT_GE(w->CmdCancel->width(), w->CmdCancel->sizeHint().width()) << "the caption is whole";
    EXPECT_TRUE(w->grab().toImage().save(QDir(dir).filePath("frmMain-busy.png")));
    EXPECT_TRUE(ProductIcon::pixmap(128).save(QDir(dir).filePath("Quorva.png")));
    w->InCompare(false);
}

// The session window alone in the main window's session area, at its designed size and at a
// smaller and a larger one, each of its three pages: frmSession-<width>x<height>-p<page>.png.
TEST_F(Screenshot, RendersTheSessionWindow)
{
    frmMain *w = start();
    w->resize(1200, 860);
    w->mnuFileNew->trigger();
    settle();
    frmSession *frm = w->SessionWindowNamed("New Project 1");
    ASSERT_TRUE(frm);
    frm->TxtLeftFileName->setText("/data/月报/2024-03.xlsx");
    frm->txtRightFileName->setText("/data/月报/2024-04.xlsx");
    auto *frame = qobject_cast<QMdiSubWindow *>(frm->parentWidget());
    ASSERT_TRUE(frame);

    QString dir = qEnvironmentVariable("QUORVA_SCREENSHOT_DIR");
    if (dir.isEmpty()) dir = m_dir.path();
    ASSERT_TRUE(QDir().mkpath(dir));
    const QList<QSize> sizes = {QSize(753, 549), QSize(620, 460), QSize(1000, 700)};
    for (const QSize &client : sizes) {
        frame->resize(client + (frame->size() - frm->size()));
        settle();
        for (int page = 0; page < 3; ++page) {
            frm->SSTab1->setCurrentIndex(page);
            settle();
            const QImage image = frm->grab().toImage();
            ASSERT_FALSE(image.isNull());
            EXPECT_TRUE(image.save(QDir(dir).filePath(QStringLiteral("frmSession-%1x%2-p%3.png")
                                                          .arg(frm->width())
                                                          .arg(frm->height())
                                                          .arg(page))));
        }
    }
}

using SessionScreenshot = SessionFixture;

// The main window with a session after a comparison: both sheet lists read, the compared sheets
// selected, the report options shown. frmMain-session.png, for the README.
TEST_F(SessionScreenshot, RendersASessionAfterAComparison)
{
    QUORVA_NEED_OPENPYXL();
    ASSERT_EQ(makeBooks("book('2024-03.xlsx', [('销售', [['编号', '名称', '数量'], ['k1', 'apple', "
                        "10], ['k2', 'pear', 20]]), ('库存', [['x']]), ('汇总', [['y']])])\n"
                        "book('2024-04.xlsx', [('销售', [['编号', '名称', '数量'], ['k1', 'apple', "
                        "10], ['k2', 'pear', 25]]), ('库存', [['x']])])\n"),
              "");
    frmMain *w = start();
    w->resize(1020, 760);
    frmSession *frm = newSession();
    ASSERT_TRUE(frm);
    type(frm->TxtLeftFileName, folder() + "2024-03.xlsx");
    type(frm->txtRightFileName, folder() + "2024-04.xlsx");
    click(frm->CmdLeft_Refresh_Sheet);
    click(frm->CmdRight_Refresh_Sheet);
    frm->SSTab1->setCurrentIndex(1);
    type(frm->txtReportPath, folder() + "reports");
    click(frm->ChkTxtReport);
    click(frm->CmdCompare);
    EXPECT_TRUE(boxes.shown().empty());
    EXPECT_TRUE(QFile::exists(folder() + "reports/销售.txt"));
    w->mnuWindowMaximizeAll->trigger();
    settle();

    QString dir = qEnvironmentVariable("QUORVA_SCREENSHOT_DIR");
    if (dir.isEmpty()) dir = m_dir.path();
    ASSERT_TRUE(QDir().mkpath(dir));
    EXPECT_TRUE(w->grab().toImage().save(QDir(dir).filePath("frmMain-session.png")));
}

} // namespace
