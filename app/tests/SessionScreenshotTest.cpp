#include "app/frmSession.h"
#include "app/tests/SessionFixture.h"
#include "tests/support/TestFiles.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
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

using SessionScreenshot = SessionFixture;

// The session window and the main window with a session, rendered to PNG files in the folder
// named by QUORVA_SCREENSHOT_DIR (the test's own folder otherwise), for the README and for looking
// at the layout: captions whole, Chinese glyphs drawn, nothing overlapping.

// The session window alone in the main window's session area, at its designed size and at a
// smaller and a larger one, each of its three pages: frmSession-<width>x<height>-p<page>.png.
TEST_F(SessionScreenshot, RendersTheSessionWindow)
{
    frmMain *w = start();
    w->resize(1200, 860);
    frmSession *frm = newSession();
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
