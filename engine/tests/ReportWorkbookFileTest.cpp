// The report workbook as a file: where it lands when something already stands at its path, and
// what another reader sees of it.
#include "engine/ClsCompareCore.h"
#include "engine/ClsScript.h"
#include "engine/ClsSessionOption.h"
#include "engine/ModCompare.h"
#include "engine/TSingleSideConfig.h"
#include "engine/tests/CompareRunSupport.h"
#include "tests/support/FakeDialogs.h"
#include "tests/support/FakeMessageBox.h"
#include "tests/support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace CompareRunSupport;

namespace {

class ReportWorkbookFileTest : public testing::Test
{
protected:
    void SetUp() override
    {
        QUORVA_NEED_OPENPYXL();
        ASSERT_TRUE(m_dir.isValid());
        ModCompare::SetCancelCompare(false);
        m_report = m_dir.path() + QStringLiteral("/report/");
        ASSERT_TRUE(QDir().mkpath(m_report));
        m_options = std::make_shared<ClsSessionOption>();
        m_options->setReportPath(m_report);
        m_options->setShowXlsReport(true);
        m_options->setShowDiffInXls(true);
        m_options->setShowLeftSingleInXls(true);
        m_options->setShowRightSingleInXls(true);
        const QString error = makeBooks(m_dir.path(), QStringLiteral(R"(
book('L.xlsx', [('Data', [['k1', 'apple', 10], ['k2', 'pear', 20], ['k3', 'fig', 1]])])
book('R.xlsx', [('Data', [['k1', 'apple', 11], ['k2', 'pear', 21], ['k4', 'kiwi', 2]])])
)"));
        ASSERT_TRUE(error.isEmpty()) << error.toStdString();
    }
    void TearDown() override { ModCompare::SetCancelCompare(false); }

    void compare()
    {
        ClsCompareCore core;
        core.SetAppendOpt(m_options);
        core.m_script->setScriptFolder(m_dir.path() + QStringLiteral("/Script"));
        core.m_leftObj->setFileName(m_dir.filePath(QStringLiteral("L.xlsx")));
        core.m_rightObj->setFileName(m_dir.filePath(QStringLiteral("R.xlsx")));
        core.m_leftObj->setKeyCol(QStringLiteral("A"));
        core.m_rightObj->setKeyCol(QStringLiteral("A"));
        m_options->leftSelected().Add(QStringLiteral("Data"), QStringLiteral("1"));
        m_options->rightSelected().Add(QStringLiteral("Data"), QStringLiteral("1"));
        m_options->setCompareInDetail(false);
        ASSERT_TRUE(core.CheckOpt(false));
        core.CompareSheetEntry(false);
    }
    QString reportBook() const { return m_report + QStringLiteral("Data.xlsx"); }

    QTemporaryDir m_dir;
    QString m_report;
    std::shared_ptr<ClsSessionOption> m_options;
    FakeMessageBox m_boxes;
    FakeShell m_shell;
    FakeMainWindow m_window;
};

} // namespace

// A link planted at the report's path (in a folder others can write to) is replaced by the
// report; the file it points to is left alone.
TEST_F(ReportWorkbookFileTest, AReportReplacesALinkAtItsPathNeverItsTarget)
{
    const QString victim = m_dir.filePath(QStringLiteral("victim.xlsx"));
    ASSERT_TRUE(TestFiles::write(victim, "someone's precious file"));
    ASSERT_TRUE(QFile::setPermissions(victim, QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    const QFileDevice::Permissions permissions = QFile::permissions(victim);
    ASSERT_TRUE(QFile::link(victim, reportBook()));

    compare();

    const QFileInfo report(reportBook());
    EXPECT_FALSE(report.isSymLink());
    EXPECT_TRUE(report.isFile());
    EXPECT_TRUE(TestFiles::read(reportBook()).startsWith("PK"));
    EXPECT_EQ(TestFiles::read(victim), QByteArray("someone's precious file"));
    EXPECT_EQ(QFile::permissions(victim), permissions);
    const ReadBack book = readBook(reportBook());
    ASSERT_TRUE(book.error.isEmpty()) << book.error.toStdString();
    EXPECT_EQ(book.rows(QStringLiteral("差异的行")).size(), 4);
}

// The differences sheet's rows are as high as the run asks, for a reader that follows the
// file format to the letter as well.
TEST_F(ReportWorkbookFileTest, TheDifferencesSheetShowsTheRowHeightAskedFor)
{
    m_options->setModifyRowHeight(true);
    m_options->setRowHeight(30);
    compare();
    QString out;
    ASSERT_EQ(TestFiles::runPython(QStringLiteral(R"(
import sys, openpyxl
for ws in openpyxl.load_workbook(sys.argv[1]).worksheets:
    f = ws.sheet_format
    print(ws.title, f.defaultRowHeight, bool(f.customHeight),
          [ws.row_dimensions[r].height for r in range(1, ws.max_row + 1)])
)"),
                                   {reportBook()}, &out),
              0)
        << out.toStdString();
    EXPECT_EQ(out.trimmed().toStdString(), "差异的行 30.0 True [30.0, 30.0, 30.0, 30.0]\n"
                                           "左边孤立的行 15.0 False [None]\n"
                                           "右边孤立的行 15.0 False [None]");
}
