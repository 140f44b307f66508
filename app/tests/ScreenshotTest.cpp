#include "app/frmAbout.h"
#include "app/frmLanguage.h"
#include "app/frmOption.h"
#include "app/frmScript.h"
#include "app/frmSession.h"
#include "app/frmSessionOption.h"
#include "app/tests/DialogFixture.h"
#include "engine/ClsSessionOption.h"
#include "engine/CompareProgressBar.h"
#include "tests/support/TestFiles.h"
#include "ui/ProductIcon.h"

#include <QAbstractButton>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QPixmap>
#include <QPushButton>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace {

using Screenshot = DialogFixture;

QString screenshotDir(const QString &fallback)
{
    QString dir = qEnvironmentVariable("QUORVA_SCREENSHOT_DIR");
    if (dir.isEmpty()) dir = fallback;
    EXPECT_TRUE(QDir().mkpath(dir));
    return dir;
}

// Every visible child lies inside its parent and no two visible siblings overlap, and every
// button, label, check box and option button is at least as wide as its caption needs.
void expectTidy(QWidget *parent)
{
    QList<QWidget *> visible;
    for (QObject *o : parent->children())
        if (auto *w = qobject_cast<QWidget *>(o); w && w->isVisibleTo(parent) && !w->isWindow())
            visible.append(w);
    for (QWidget *w : visible) {
        const std::string name = w->objectName().toStdString();
        if (!w->objectName().startsWith("qt_")) {
            EXPECT_TRUE(parent->rect().contains(w->geometry()))
                << name << " lies outside " << parent->objectName().toStdString();
        }
        if (qobject_cast<QAbstractButton *>(w) || qobject_cast<QLabel *>(w)) {
            EXPECT_GE(w->width(), w->minimumSizeHint().width()) << name << " is clipped";
        }
        expectTidy(w);
    }
    for (int i = 0; i < visible.size(); ++i)
        for (int j = i + 1; j < visible.size(); ++j)
            if (!visible[i]->objectName().startsWith("qt_") &&
                !visible[j]->objectName().startsWith("qt_")) {
                EXPECT_FALSE(visible[i]->geometry().intersects(visible[j]->geometry()))
                    << visible[i]->objectName().toStdString() << " overlaps "
                    << visible[j]->objectName().toStdString();
            }
}

void save(QWidget *dialog, const QString &dir, const QString &name)
{
    QApplication::processEvents();
    expectTidy(dialog);
    const QImage image = dialog->grab().toImage();
    ASSERT_FALSE(image.isNull());
    EXPECT_TRUE(image.save(QDir(dir).filePath(name))) << name.toStdString();
}

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

// Renders each dialog, opened from its command, to a PNG file of its own name.
TEST_F(Screenshot, RendersTheDialogs)
{
    writeLanguageFile("ChineseS.Lan", "");
    writeLanguageFile("English.Lan", "");
    ASSERT_TRUE(QDir().mkpath(folder() + "Script"));
    ASSERT_TRUE(TestFiles::write(folder() + "Script/SameNumber.vbs",
                                 "' 数值相同即视为相等（忽略两边的空格）\r\n"
                                 "Function IsEqual(left, right)\r\n"
                                 "    IsEqual = (Trim(left) = Trim(right))\r\n"
                                 "End Function\r\n"));
    ASSERT_TRUE(TestFiles::write(folder() + "Script/IgnoreCase.vbs",
                                 "Function IsEqual(a, b)\r\n"
                                 "    IsEqual = (LCase(a) = LCase(b))\r\nEnd Function\r\n"));
    frmMain *w = start();
    const QString dir = screenshotDir(m_dir.path());

    w->mnuOption->trigger();
    if (auto *d = shown<frmOption>()) {
        save(d, dir, "frmOption.png");
        d->reject();
    }
    w->mnuLanguage->trigger();
    if (auto *d = shown<frmLanguage>()) {
        save(d, dir, "frmLanguage.png");
        d->reject();
    }
    w->mnuAbout->trigger();
    if (auto *d = shown<frmAbout>()) {
        save(d, dir, "frmAbout.png");
        d->reject();
    }
    w->mnuScript->trigger();
    if (auto *d = shown<frmScript>()) {
        clickNode(d->TreeView1, "SameNumber.vbs");
        save(d, dir, "frmScript.png");
        d->reject();
    }

    w->mnuFileNew->trigger();
    settle();
    ClsSessionOption options;
    options.setLeftName("本月");
    options.setRightName("上月");
    frmSessionOption::ShowModal(&options, w->ActiveSessionWindow());
    if (auto *d = shown<frmSessionOption>()) {
        save(d, dir, "frmSessionOption-general.png");
        clickNode(d->TreeView1, "详细比较窗口");
        save(d, dir, "frmSessionOption-detail.png");
        clickNode(d->TreeView1, "比较报告");
        save(d, dir, "frmSessionOption.png");
        // The smallest size the window allows keeps every control whole.
        d->resize(d->minimumSize());
        save(d, dir, "frmSessionOption-small.png");
        d->reject();
    }
    settle();
}

} // namespace
