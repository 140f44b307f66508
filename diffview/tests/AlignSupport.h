#pragma once

#include "diffview/ClsResultParser.h"
#include "engine/ClsComparePair.h"
#include "engine/ClsTxtCompareResult.h"
#include "platform/excel/Application.h"
#include "platform/excel/Interior.h"
#include "platform/excel/Range.h"
#include "platform/excel/Sheets.h"
#include "platform/excel/Workbook.h"
#include "platform/excel/Workbooks.h"
#include "platform/excel/Worksheet.h"

#include <QStringList>
#include <memory>
#include <vector>

// A left and a right sheet with a comparison result, aligned as the difference view aligns them:
// the sheets' Change events reach the aligner with the whole changed range.
struct AlignedPair
{
    struct Match
    {
        int left, right;
        bool equal = false;
    };

    std::shared_ptr<excel::Application> app = excel::Application::create();
    std::shared_ptr<excel::Workbook> leftBook = app->Workbooks()->Add();
    std::shared_ptr<excel::Workbook> rightBook = app->Workbooks()->Add();
    std::shared_ptr<excel::Worksheet> left = leftBook->Worksheets()->Item(1);
    std::shared_ptr<excel::Worksheet> right = rightBook->Worksheets()->Item(1);
    std::shared_ptr<ClsComparePair> pair = std::make_shared<ClsComparePair>();
    ClsResultParser parser;
    // Row ranges inserted into each sheet, as the Change events named them.
    QStringList leftChanges, rightChanges;

    AlignedPair()
    {
        left->onChange([this](const excel::Range &target) {
            leftChanges.append(target.Address());
            parser.On_LeftSheet_Change(target);
        });
        right->onChange([this](const excel::Range &target) {
            rightChanges.append(target.Address());
            parser.On_RightSheet_Change(target);
        });
    }

    ClsTxtCompareResult &result() { return *pair->GetTxtRecorder(); }

    // Files the matches and single rows and writes each row's texts: a matched row holds
    // "K<n>" in column A on both sides (n counting the matches), a single row "L<row>" or
    // "R<row>", other rows "l<row>" / "r<row>"; column B holds "b<row>" on both sides (the
    // unequal pairs' difference is only recorded).
    void build(int leftRows, int rightRows, const std::vector<Match> &matches,
               const QList<int> &leftSingles, const QList<int> &rightSingles)
    {
        for (int row = 1; row <= leftRows; ++row)
            setRow(left, row, QStringLiteral("l%1").arg(row));
        for (int row = 1; row <= rightRows; ++row)
            setRow(right, row, QStringLiteral("r%1").arg(row));
        int n = 0;
        for (const Match &m : matches) {
            ++n;
            setRow(left, m.left, QStringLiteral("K%1").arg(n));
            setRow(right, m.right, QStringLiteral("K%1").arg(n));
            const QString key = ClsTxtCompareResult::PairKey(m.left, m.right);
            if (m.equal)
                result().AddRec(key, m.left, m.right, QString(), QString());
            else
                result().AddRec(key, m.left, m.right, QStringLiteral("B"), QStringLiteral("x<->y"));
        }
        for (int row : leftSingles) {
            setRow(left, row, QStringLiteral("L%1").arg(row));
            result().AddLeftSingleRow(row);
        }
        for (int row : rightSingles) {
            setRow(right, row, QStringLiteral("R%1").arg(row));
            result().AddRightSingleRow(row);
        }
        leftChanges.clear();
        rightChanges.clear();
    }

    // What the view does when it first shows the pair.
    void align(bool withPair = true)
    {
        parser.SetPair(withPair ? pair : nullptr);
        parser.InitDiffObj(result().GetResult());
        parser.InitLeft(result().GetLeftSingleRows(), left);
        parser.InitRight(result().GetRightSingleRows(), right);
        parser.Deal();
    }

    std::shared_ptr<ClsOneRowDiff> diff(int leftRow, int rightRow)
    {
        return result().GetResult().GetValue(ClsTxtCompareResult::PairKey(leftRow, rightRow));
    }

    static void setRow(const std::shared_ptr<excel::Worksheet> &sheet, int row, const QString &a)
    {
        sheet->Cells(row, 1).setValue(com::Variant(a));
        sheet->Cells(row, 2).setValue(com::Variant(QStringLiteral("b%1").arg(row)));
    }

    static QString text(const std::shared_ptr<excel::Worksheet> &sheet, int row, int column = 1)
    {
        return sheet->Cells(row, column).Value().toText();
    }

    static bool hatched(const std::shared_ptr<excel::Worksheet> &sheet, int row)
    {
        const com::Variant p = sheet->Rows(QStringLiteral("%1:%1").arg(row)).Interior().Pattern();
        return !p.isNull() && p.toLong() == ClsResultParser::xlPatternUp;
    }

    // Every row's texts in columns A to C, up to the last used row, "|"-joined.
    static QStringList rows(const std::shared_ptr<excel::Worksheet> &sheet)
    {
        const excel::Range used = sheet->UsedRange();
        const int last = used.Row() + used.Rows().Count() - 1;
        QStringList out;
        for (int row = 1; row <= last; ++row)
            out.append(text(sheet, row, 1) + QLatin1Char('|') + text(sheet, row, 2) +
                       QLatin1Char('|') + text(sheet, row, 3));
        // formats below the data (hatched rows) widen the used range: trailing empty rows go
        while (!out.isEmpty() && out.last() == QStringLiteral("||"))
            out.removeLast();
        return out;
    }
};
