#include "app/frmSession.h"
#include "app/tests/MainWindowFixture.h"
#include "engine/CompareProgressBar.h"
#include "ui/ProductIcon.h"

#include <QDir>
#include <QImage>
#include <QLineEdit>
#include <QMdiArea>
#include <QPixmap>
#include <QPushButton>
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

} // namespace
