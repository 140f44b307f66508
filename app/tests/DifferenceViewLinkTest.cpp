#include "app/ModMain.h"
#include "app/ProgramEntry.h"
#include "app/frmSessionOption.h"
#include "app/tests/DialogFixture.h"
#include "diffview/LeftRightViewSeam.h"
#include "diffview/SessionOptionDialogSeam.h"
#include "engine/ClsSessionOption.h"

#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class DifferenceViewLink : public DialogFixture
{
protected:
    void TearDown() override
    {
        CompareViewSeam::install(nullptr);
        SessionOptionDialogSeam::install(nullptr);
        DialogFixture::TearDown();
    }
};

} // namespace

// The program shows detail runs in the difference view, whose session options button opens the
// program's own session options dialog over it.
TEST_F(DifferenceViewLink, TheProgramInstallsTheViewAndItsOptionsDialog)
{
    frmMain *w = start();
    ModMain::InstallDifferenceView();
    EXPECT_NE(dynamic_cast<LeftRightViewSeam *>(CompareViewSeam::installed()), nullptr);
    SessionOptionDialogSeam *link = SessionOptionDialogSeam::installed();
    ASSERT_NE(link, nullptr);

    ClsSessionOption options;
    options.setShowDiffMethod(ClsSessionOption::ShowEllipses);
    int closedWith = -1;
    link->show(&options, w, [&](bool changed) { closedWith = changed ? 1 : 0; });
    frmSessionOption *dialog = shown<frmSessionOption>();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(closedWith, -1) << "returns at once";
    QTest::mouseClick(dialog->cmdCancel, Qt::LeftButton);
    settle();
    EXPECT_EQ(closedWith, 0);
    EXPECT_FALSE(exists<frmSessionOption>());
}
