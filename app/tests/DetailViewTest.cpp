// From a session window's "compare in detail" to the difference view and back, as a user goes:
// the view opens on the compared pair with both workbooks hosted and linked by the pairing
// library, the user steps through the differences, edits, saves and closes, and the session
// window is ready for the next run.

#include "app/ModMain.h"
#include "app/ProgramEntry.h"
#include "app/frmSession.h"
#include "app/tests/SessionFixture.h"
#include "diffview/HookManagerSeam.h"
#include "diffview/LeftRightViewSeam.h"
#include "diffview/PairwinHookManager.h"
#include "diffview/SessionOptionDialogSeam.h"
#include "diffview/frmLeftRight.h"
#include "engine/ClsComparePair.h"
#include "platform/excel/Application.h"
#include "platform/excel/Sheets.h"
#include "platform/excel/Window.h"
#include "platform/excel/Workbook.h"
#include "platform/excel/Worksheet.h"
#include "platform/excel/windows/SheetAppView.h"
#include "platform/excel/windows/SheetGridWindow.h"
#include "platform/excel/windows/SheetMainWindow.h"
#include "platform/excel/windows/SheetWindows.h"
#include "platform/win/Windows.h"
#include "tests/support/TestFiles.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace {

// The pairing library from the build's folder.
class BuiltPairing : public HookManagerSeam
{
public:
    std::unique_ptr<HookManager> create() override
    {
        return PairwinHookManager::create(QStringLiteral(PAIRWIN_FOLDER "/"));
    }

private:
    HookManagerSeam::Scope m_installed{this};
};

class DetailView : public SessionFixture
{
protected:
    void SetUp() override
    {
        SessionFixture::SetUp();
        // The program gives spreadsheet applications their windows.
        excel::SheetWindows::install();
        ASSERT_TRUE(m_registry.isValid());
        qputenv("QUORVA_REGISTRY", m_registry.filePath(QStringLiteral("registry.reg")).toUtf8());
    }
    void TearDown() override
    {
        CompareViewSeam::install(nullptr);
        SessionOptionDialogSeam::install(nullptr);
        SessionFixture::TearDown();
        excel::SheetWindows::uninstall();
        qunsetenv("QUORVA_REGISTRY");
    }
    QTemporaryDir m_registry;
};

excel::SheetGridWindow *gridOf(const std::shared_ptr<excel::Worksheet> &sheet)
{
    auto app = sheet->Parent()->application();
    return static_cast<excel::SheetAppView *>(app->windowView())->mainWindow()->grid();
}

} // namespace

TEST_F(DetailView, FromTheSessionWindowThroughTheViewAndBack)
{
    QUORVA_NEED_OPENPYXL();
    ASSERT_EQ(makeBooks(R"(
book('left.xlsx', [('Data', [['key', 'name', 'amount'], ['k1', 'apple', 10], ['k2', 'pear', 20],
                             ['k3', 'plum', 30], ['k4', 'fig', 40]])])
book('right.xlsx', [('Data', [['key', 'name', 'amount'], ['k1', 'apple', 10], ['k2', 'pear', 25],
                              ['k5', 'kiwi', 50], ['k3', 'plum', 30], ['k4', 'fig', 44]])])
)"),
              "");
    frmSession *frm = newSession();
    ASSERT_TRUE(frm);
    dialogs.answer(folder() + "left.xlsx");
    click(frm->CmdLeftSelectFile);
    dialogs.answer(folder() + "right.xlsx");
    click(frm->CmdRightSelectFile);
    click(frm->CmdLeft_Refresh_Sheet);
    click(frm->CmdRight_Refresh_Sheet);
    selectSheets(frm->ListViewLeftSheets, {"Data"});
    selectSheets(frm->ListViewRightSheets, {"Data"});
    frm->SSTab1->setCurrentIndex(0);
    type(frm->txtLeftKeyCol, "a");
    frm->SSTab1->setCurrentIndex(1);
    type(frm->txtReportPath, folder() + "out");

    ModMain::InstallDifferenceView();
    auto *seam = dynamic_cast<LeftRightViewSeam *>(CompareViewSeam::installed());
    ASSERT_NE(seam, nullptr);
    BuiltPairing pairing;
    bool shown = false;
    seam->setRunner([&](frmLeftRight &view) {
        shown = true;
        settle();
        auto pair = view.pair();
        ASSERT_TRUE(pair);
        auto left = pair->GetLeftSheet(), right = pair->GetRightSheet();
        EXPECT_EQ(win::GetParent(left->Parent()->application()->Hwnd()),
                  win::hwndOf(view.frameLeft));
        EXPECT_EQ(win::GetParent(right->Parent()->application()->Hwnd()),
                  win::hwndOf(view.frameRight));
        // k2 differs (row 3); k5 faces an inserted row 4 on the left; k4 differs (row 6).
        EXPECT_EQ(view.diffRows(), (QList<int>{3, 4, 6}));
        auto next = view.ToolbarButtons.at(0);
        QTest::mouseClick(next, Qt::LeftButton);
        QTest::mouseClick(next, Qt::LeftButton);
        EXPECT_EQ(left->Parent()->application()->ActiveWindow()->ScrollRow(), 6);
        EXPECT_EQ(right->Parent()->application()->ActiveWindow()->ScrollRow(), 6);
        QTest::mouseClick(next, Qt::LeftButton);
        EXPECT_TRUE(view.txtNoMoreDiff->isVisible());

        // The user takes the right side's amount for k4 on the left and saves the left side.
        excel::SheetGridWindow *grid = gridOf(left);
        QTest::mouseClick(grid, Qt::LeftButton, Qt::NoModifier, grid->cellRect(6, 3).center());
        QTest::keyClicks(grid, "44");
        ASSERT_NE(grid->editor(), nullptr);
        QTest::keyClick(grid->editor(), Qt::Key_Return);
        EXPECT_TRUE(view.CmdLeftSave->isEnabled());
        QTest::mouseClick(view.CmdLeftSave, Qt::LeftButton);
        EXPECT_FALSE(view.CmdLeftSave->isEnabled());
        QTest::mouseClick(view.CmdQuit, Qt::LeftButton);
        EXPECT_TRUE(view.isUnloaded());
    });
    click(frm->CmdCompareDetail);
    settle();
    EXPECT_TRUE(shown);
    EXPECT_TRUE(boxes.shown().empty()) << prompts().join('\n').toStdString();
    EXPECT_TRUE(lines(folder() + "out/Data.txt").contains("在匹配行内，存在差异的行数2"));

    QString output;
    ASSERT_EQ(TestFiles::runPython(R"(
import sys, openpyxl
ws = openpyxl.load_workbook(sys.argv[1])["Data"]
for row in ws.iter_rows(values_only=True):
    print("|".join("" if v is None else str(v) for v in row))
)",
                                   {folder() + "left.xlsx"}, &output),
              0)
        << output.toStdString();
    EXPECT_EQ(output.trimmed().split('\n'), (QStringList{"key|name|amount", "k1|apple|10",
                                                         "k2|pear|20", "k3|plum|30", "k4|fig|44"}));

    // The session window is ready for the next run, which sees the saved file.
    EXPECT_TRUE(frm->CmdCompareDetail->isEnabled());
    seam->setRunner([&](frmLeftRight &view) {
        EXPECT_EQ(view.diffRows(), (QList<int>{3, 4}));
        QTest::mouseClick(view.CmdQuit, Qt::LeftButton);
    });
    click(frm->CmdCompareDetail);
    EXPECT_TRUE(boxes.shown().empty()) << prompts().join('\n').toStdString();
}
