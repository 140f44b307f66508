#include "engine/ClsComparePair.h"
#include "engine/ClsSessionOption.h"
#include "engine/ModCompare.h"
#include "engine/TSingleSideConfig.h"
#include "platform/excel/Workbook.h"
#include "platform/text/BasicError.h"
#include "tests/support/FakeMessageBox.h"
#include "tests/support/TestFiles.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// A user script may give the event loop a turn in the middle of a row (a long script, its error
// message), and a workbook can be closed then. The rest of the row must then fail with error 462
// like every later read, never read the closed workbook's cells.
TEST(PairYield, AWorkbookClosedWhileTheScriptRunsFailsThePair)
{
    if (!TestFiles::haveOpenpyxl()) GTEST_SKIP() << "python3-openpyxl missing";
    QTemporaryDir dir;
    QString output;
    ASSERT_EQ(TestFiles::runPython(QStringLiteral(R"py(
import sys, openpyxl
for name, x in (('L.xlsx', 'a'), ('R.xlsx', 'b')):
    wb = openpyxl.Workbook()
    ws = wb.active
    ws.title = 'Data'
    for r in range(1, 6):
        ws.append(['k%d' % r] + ['%s%d' % (x, c) for c in range(2, 12)])
    wb.save(sys.argv[1] + '/' + name)
)py"),
                                   {dir.path()}, &output),
              0)
        << output.toStdString();
    ModCompare::SetCancelCompare(false);
    FakeMessageBox boxes;
    auto options = std::make_shared<ClsSessionOption>();
    options->setCompareMethod(ClsSessionOption::CompareByKey);
    options->setCompareAllCol(true);
    options->setUseScript(true);
    options->setShowXlsReport(false);
    options->setTxtReport(true);
    options->setReportPath(dir.filePath(QStringLiteral("out")) + QLatin1Char('/'));
    auto left = std::make_shared<TSingleSideConfig>();
    auto right = std::make_shared<TSingleSideConfig>();
    for (auto [side, file] : {std::pair{left, "L.xlsx"}, std::pair{right, "R.xlsx"}}) {
        side->setFileName(dir.filePath(QLatin1String(file)));
        side->setKeyCol(QStringLiteral("A"));
        ASSERT_TRUE(side->CheckOpt(*options));
    }
    ClsComparePair pair;
    pair.SetAppendOpt(options);
    int calls = 0;
    // Every data cell differs; the first verdict closes the left workbook, as a window closed
    // while the script yielded would.
    pair.SetUserEqual([&](const QString &, const QString &) {
        if (++calls == 1) left->CloseDoc();
        return false;
    });
    pair.InitLeft(left->GetDoc(), QString());
    pair.InitRight(right->GetDoc(), QString());
    pair.SetLeftSheet(QStringLiteral("Data"));
    pair.SetRightSheet(QStringLiteral("Data"));
    pair.SetLeftSideObj(left);
    pair.SetRightSideObj(right);
    try {
        pair.BeginCompare();
        ADD_FAILURE() << "the comparison went on over a closed workbook";
    } catch (const BasicError &e) {
        EXPECT_EQ(e.number(), 462);
    }
    EXPECT_EQ(calls, 1);
    ModCompare::SetCancelCompare(false);
}
