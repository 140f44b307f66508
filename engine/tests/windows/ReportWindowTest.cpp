// The report workbook as the program makes it: with the spreadsheet windows installed, the
// report's application shows its window while the comparison fills and saves the workbook.
#include "engine/ClsCompareCore.h"
#include "engine/ClsSessionOption.h"
#include "engine/ModCompare.h"
#include "engine/TSingleSideConfig.h"
#include "platform/excel/windows/SheetWindows.h"
#include "platform/win/Gdi.h"
#include "tests/support/FakeDialogs.h"
#include "tests/support/FakeMessageBox.h"
#include "tests/support/TestFiles.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(ReportWindow, AComparisonWritesItsReportWorkbookWhileTheWindowsShowIt)
{
    FakeMessageBox boxes; // the run must not fail with a message
    FakeShell shell;
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    win::setScreenDpi(96);
    excel::SheetWindows::install();

    const QString book =
        TestFiles::path(QStringLiteral("platform/excel/windows/tests/fixtures/look.xlsx"));
    auto options = std::make_shared<ClsSessionOption>();
    options->setReportPath(dir.path());
    options->setShowXlsReport(true);
    options->setShowDiffInXls(true);
    options->setShowLeftSingleInXls(true);
    options->setShowRightSingleInXls(true);
    options->leftSelected().Add(QString::fromUtf8("数据"), QStringLiteral("1"));
    options->rightSelected().Add(QString::fromUtf8("数据"), QStringLiteral("1"));
    {
        ClsCompareCore core;
        core.SetAppendOpt(options);
        for (const auto &side : {core.m_leftObj, core.m_rightObj}) {
            side->setFileName(book);
            side->setKeyCol(QStringLiteral("A"));
        }
        ASSERT_TRUE(core.CheckOpt(false));
        core.CompareSheetEntry(false);
        QCoreApplication::processEvents();
    }
    EXPECT_TRUE(boxes.shown().empty()) << boxes.shown().front().prompt.toStdString();
    EXPECT_TRUE(QFileInfo::exists(dir.filePath(QString::fromUtf8("数据.xlsx"))));
    excel::SheetWindows::uninstall();
    win::setScreenDpi(0);
}
