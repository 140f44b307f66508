#pragma once

// What several benchmarks do alike: write the workbook they made, and ask for every report of a
// comparison of their sheet "Data".
#include "core/ClsMap.h"
#include "engine/ClsSessionOption.h"
#include "platform/excel/Application.h"
#include "platform/excel/Workbook.h"

#include <QString>
#include <cstdio>
#include <exception>
#include <memory>

namespace BenchSupport {

// Saves the book at the path and ends its application; false (said on stderr) when it cannot.
inline bool saveAndQuit(const std::shared_ptr<excel::Workbook> &book,
                        const std::shared_ptr<excel::Application> &app, const QString &path)
{
    try {
        book->SaveAs(path);
    } catch (const std::exception &e) {
        std::fprintf(stderr, "cannot write %s: %s\n", qPrintable(path), e.what());
        return false;
    }
    app->Quit();
    return true;
}

// Options of a keyed comparison of the sheets "Data" over all columns with the text report and
// the whole report workbook, written into the folder.
inline std::shared_ptr<ClsSessionOption> allReportsOptions(const QString &reportFolder)
{
    auto options = std::make_shared<ClsSessionOption>();
    options->setReportPath(reportFolder);
    options->setCompareMethod(ClsSessionOption::CompareByKey);
    options->setCompareAllCol(true);
    options->setTxtReport(true);
    options->setShowXlsReport(true);
    options->setShowDiffInXls(true);
    options->setShowLeftSingleInXls(true);
    options->setShowRightSingleInXls(true);
    options->leftSelected().Add(QStringLiteral("Data"), QStringLiteral("1"));
    options->rightSelected().Add(QStringLiteral("Data"), QStringLiteral("1"));
    return options;
}

} // namespace BenchSupport
