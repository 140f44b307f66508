#pragma once

#include "platform/excel/Application.h"
#include "platform/excel/Workbook.h"
#include "platform/excel/Workbooks.h"
#include "platform/text/BasicError.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestHelpers.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

// Writes a workbook with openpyxl: the body runs with `wb` (a new workbook) and `ws` (its
// first sheet) and may use datetime, Comment, Font and PatternFill.
inline QString writeWithOpenpyxl(const QTemporaryDir &dir, const QString &name, const QString &body)
{
    QString path = dir.filePath(name);
    QString script = QStringLiteral("import sys, openpyxl, datetime\n"
                                    "from openpyxl.comments import Comment\n"
                                    "from openpyxl.styles import Font, PatternFill\n"
                                    "wb = openpyxl.Workbook()\nws = wb.active\n") +
                     body + QStringLiteral("\nwb.save(sys.argv[1])\n");
    QString output;
    EXPECT_EQ(TestFiles::runPython(script, {path}, &output), 0) << output.toStdString();
    return path;
}

#define REQUIRE_OPENPYXL() QUORVA_NEED_OPENPYXL()
