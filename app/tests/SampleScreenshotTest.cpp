#include "app/frmSession.h"
#include "app/frmSessionOption.h"
#include "app/tests/SessionFixture.h"
#include "tests/support/TestFiles.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPixmap>
#include <QTabWidget>
#include <gtest/gtest.h>

namespace {

using SampleScreenshot = SessionFixture;

// The README's pictures, rendered from the program as it runs the checked-in sample project
// (tools/screenshots.sh copies them into docs/screenshots/): the main window with the session
// after its comparison, quorva-main.png, and the session's options dialog,
// quorva-session-options.png, in the folder named by QUORVA_SCREENSHOT_DIR (the test's own
// folder otherwise).
TEST_F(SampleScreenshot, RendersTheSampleSessionAndItsOptions)
{
    ASSERT_TRUE(QDir().mkpath(folder() + "samples"));
    ASSERT_TRUE(QDir().mkpath(folder() + "Script"));
    for (const char *name : {"left.xlsx", "right.xlsx", "orders.vrk"})
        ASSERT_TRUE(
            QFile::copy(TestFiles::path(QString("samples/") + name), folder() + "samples/" + name));
    ASSERT_TRUE(QFile::copy(TestFiles::path("samples/Script/Tolerance.vbs"),
                            folder() + "Script/Tolerance.vbs"));
    QString dir = qEnvironmentVariable("QUORVA_SCREENSHOT_DIR");
    if (dir.isEmpty()) dir = m_dir.path();
    ASSERT_TRUE(QDir().mkpath(dir));

    const QString project = folder() + "samples/orders.vrk";
    start("\"" + project + "\" /A");
    ASSERT_TRUE(window);
    EXPECT_TRUE(boxes.shown().empty()) << prompts().join('\n').toStdString();
    ASSERT_TRUE(QFile::exists(folder() + "samples/reports/订单.txt"));
    window->resize(1060, 720);
    window->mnuWindowMaximizeAll->trigger();
    settle();
    EXPECT_TRUE(window->grab().toImage().save(QDir(dir).filePath("quorva-main.png")));

    frmSession *frm = session(project);
    ASSERT_TRUE(frm);
    frmSessionOption::ShowModal(frm->sessionOption(), frm);
    settle();
    auto *dialog = frm->findChild<frmSessionOption *>();
    ASSERT_TRUE(dialog);
    EXPECT_TRUE(dialog->grab().toImage().save(QDir(dir).filePath("quorva-session-options.png")));
    dialog->reject();
    settle();
}

} // namespace
