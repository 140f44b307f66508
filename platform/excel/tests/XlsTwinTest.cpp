// Each .xls fixture must read the same as its .xlsx twin (made by the same program from the same
// source). The twin is read by openpyxl, an independent reader.
#include "platform/excel/CellStore.h"
#include "platform/excel/XlsFormula.h"
#include "platform/excel/XlsReader.h"
#include "platform/excel/XlsxReader.h"
#include "tests/support/TestFiles.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cmath>
#include <gtest/gtest.h>

using namespace excel;

namespace {

const char *kDumpTwin = R"PY(
import datetime, json, sys
import openpyxl
from openpyxl.utils.datetime import to_excel

def number(v):
    if isinstance(v, datetime.datetime) or isinstance(v, datetime.date):
        return float(to_excel(v)), True
    if isinstance(v, datetime.time):
        return (v.hour * 3600 + v.minute * 60 + v.second + v.microsecond / 1e6) / 86400.0, True
    if isinstance(v, datetime.timedelta):
        return v.total_seconds() / 86400.0, True
    return v, False

path = sys.argv[1]
wf = openpyxl.load_workbook(path)
wv = openpyxl.load_workbook(path, data_only=True)
sheets = []
for ws in wf.worksheets:
    wsv = wv[ws.title]
    cells = []
    for row in wsv.iter_rows():
        for c in row:
            f = ws.cell(c.row, c.column).value
            formula = f if isinstance(f, str) and f.startswith("=") and ws.cell(c.row, c.column).data_type == "f" else ""
            v = c.value
            if v is None and not formula:
                continue
            if v is None:
                kind, value = "", None
            elif isinstance(v, bool):
                kind, value = "b", v
            elif c.data_type == "e":
                kind, value = "e", v
            elif isinstance(v, str):
                kind, value = "s", v
            else:
                value, _ = number(v)
                kind = "n"
            cells.append([c.row, c.column, kind, value, formula, bool(c.is_date)])
    comments = []
    for row in ws.iter_rows():
        for c in row:
            if c.comment is not None:
                comments.append([c.row, c.column, c.comment.text, c.comment.author or ""])
    merges = [[m.min_row, m.min_col, m.max_row, m.max_col] for m in ws.merged_cells.ranges]
    sheets.append({"name": ws.title, "state": ws.sheet_state, "cells": cells,
                   "comments": comments, "merges": sorted(merges)})
print("JSON:" + json.dumps(sheets))
)PY";

QString errorName(int code)
{
    return XlsFormula::errorText(code - 2000);
}

QString state(int visible)
{
    return visible == -1 ? QStringLiteral("visible")
                         : (visible == 0 ? QStringLiteral("hidden") : QStringLiteral("veryHidden"));
}

// Compares what both readers give and returns the differences, one per line.
QStringList compare(const WorkbookData &book, const QJsonArray &twin)
{
    QStringList diffs;
    if (book.sheets.size() != std::size_t(twin.size()))
        diffs << QStringLiteral("sheet count %1 vs %2").arg(book.sheets.size()).arg(twin.size());
    for (std::size_t s = 0; s < book.sheets.size() && s < std::size_t(twin.size()); ++s) {
        const SheetData &sheet = *book.sheets[s];
        const QJsonObject expected = twin[int(s)].toObject();
        const QString where = sheet.name + QLatin1Char('!');
        if (sheet.name != expected[QStringLiteral("name")].toString())
            diffs << QStringLiteral("sheet %1 named %2 vs %3")
                         .arg(s)
                         .arg(sheet.name, expected[QStringLiteral("name")].toString());
        if (state(sheet.visible) != expected[QStringLiteral("state")].toString())
            diffs << where + QStringLiteral(" visibility %1 vs %2")
                                 .arg(state(sheet.visible),
                                      expected[QStringLiteral("state")].toString());

        // Non-empty cells of ours, keyed like the twin's.
        std::map<std::pair<int, int>, const Cell *> ours;
        for (std::size_t r = 0; r < sheet.rows.size(); ++r) {
            for (const Cell &c : sheet.rows[r]) {
                if (c.kind() != CellKind::Blank || c.hasFormula) ours[{int(r) + 1, c.column}] = &c;
            }
        }
        for (const QJsonValue &v : expected[QStringLiteral("cells")].toArray()) {
            const QJsonArray e = v.toArray();
            const int row = e[0].toInt(), col = e[1].toInt();
            const QString at = where + XlsFormula::columnName(col - 1) + QString::number(row);
            const auto it = ours.find({row, col});
            if (it == ours.end()) {
                diffs << at + QStringLiteral(": missing");
                continue;
            }
            const Cell &c = *it->second;
            ours.erase(it);
            const QString kind = e[2].toString();
            const QString formula = CellStore::formulaText(sheet, row, c);
            if (formula != e[4].toString())
                diffs << at + QStringLiteral(": formula %1 vs %2").arg(formula, e[4].toString());
            if (kind == QLatin1String("n") && book.styles[c.style].isDate != e[5].toBool())
                diffs << at + QStringLiteral(": date format %1 vs %2")
                                  .arg(book.styles[c.style].isDate)
                                  .arg(e[5].toBool());
            if (kind == QLatin1String("n")) {
                if (c.kind() != CellKind::Number ||
                    std::abs(c.number() - e[3].toDouble()) >
                        1e-9 * std::max(1.0, std::abs(e[3].toDouble())))
                    diffs << at + QStringLiteral(": number %1 vs kind %2 value %3")
                                      .arg(e[3].toDouble())
                                      .arg(int(c.kind()))
                                      .arg(c.kind() == CellKind::Number ? c.number() : 0);
            } else if (kind == QLatin1String("s")) {
                const QString text = c.kind() == CellKind::String ? book.strings[c.string()]
                                                                  : QStringLiteral("<not text>");
                if (text != e[3].toString())
                    diffs << at + QStringLiteral(": text \"%1\" vs \"%2\"")
                                      .arg(text, e[3].toString());
            } else if (kind == QLatin1String("b")) {
                if (c.kind() != CellKind::Boolean || c.boolean() != e[3].toBool())
                    diffs << at + QStringLiteral(": boolean expected %1").arg(e[3].toBool());
            } else if (kind == QLatin1String("e")) {
                if (c.kind() != CellKind::Error || errorName(c.error()) != e[3].toString())
                    diffs << at + QStringLiteral(": error expected %1").arg(e[3].toString());
            }
        }
        for (const auto &[key, cell] : ours) {
            // The twin's reader gives no value for an empty text result.
            if (cell->kind() == CellKind::String && book.strings[cell->string()].isEmpty())
                continue;
            diffs << where + XlsFormula::columnName(key.second - 1) + QString::number(key.first) +
                         QStringLiteral(": only in .xls");
        }

        QJsonArray comments;
        for (const auto &[key, comment] : sheet.comments)
            comments.append(
                QJsonArray{int(key >> 16), int(key & 0xFFFF), comment.text, comment.author});
        const QJsonArray twinComments = expected[QStringLiteral("comments")].toArray();
        if (comments != twinComments)
            diffs << where +
                         QStringLiteral(" comments %1 vs %2")
                             .arg(QString::fromUtf8(
                                      QJsonDocument(comments).toJson(QJsonDocument::Compact)),
                                  QString::fromUtf8(
                                      QJsonDocument(twinComments).toJson(QJsonDocument::Compact)));
        std::vector<std::array<int, 4>> merges;
        for (const CellRect &m : sheet.merges)
            merges.push_back({m.firstRow, m.firstColumn, m.lastRow, m.lastColumn});
        std::sort(merges.begin(), merges.end());
        QJsonArray mergeJson;
        for (const auto &m : merges)
            mergeJson.append(QJsonArray{m[0], m[1], m[2], m[3]});
        if (mergeJson != expected[QStringLiteral("merges")].toArray())
            diffs << where + QStringLiteral(" merged ranges differ");
    }
    return diffs;
}

// Where the writing program stored the two files differently, the .xls read faithfully still
// differs from the twin. Each such line is listed with its cause (see fixtures/README.md).
// The twin as our own .xlsx reader gives it, in the shape the openpyxl script prints.
QJsonArray dumpBook(const WorkbookData &book)
{
    QJsonArray sheets;
    for (const auto &sheet : book.sheets) {
        QJsonArray cells;
        for (std::size_t r = 0; r < sheet->rows.size(); ++r) {
            for (const Cell &c : sheet->rows[r]) {
                const QString formula = CellStore::formulaText(*sheet, int(r) + 1, c);
                QJsonValue value;
                QString kind;
                switch (c.kind()) {
                case CellKind::Blank:
                    break;
                case CellKind::Number:
                    kind = QStringLiteral("n");
                    value = c.number();
                    break;
                case CellKind::String:
                    kind = QStringLiteral("s");
                    value = book.strings[c.string()];
                    break;
                case CellKind::Boolean:
                    kind = QStringLiteral("b");
                    value = c.boolean();
                    break;
                case CellKind::Error:
                    kind = QStringLiteral("e");
                    value = errorName(c.error());
                    break;
                }
                if (kind.isEmpty() && formula.isEmpty()) continue;
                if (kind == QLatin1String("s") && value.toString().isEmpty() && formula.isEmpty())
                    continue;
                cells.append(QJsonArray{int(r) + 1, int(c.column), kind, value, formula,
                                        book.styles[c.style].isDate});
            }
        }
        QJsonArray comments;
        for (const auto &[key, comment] : sheet->comments)
            comments.append(
                QJsonArray{int(key >> 16), int(key & 0xFFFF), comment.text, comment.author});
        std::vector<std::array<int, 4>> merges;
        for (const CellRect &m : sheet->merges)
            merges.push_back({m.firstRow, m.firstColumn, m.lastRow, m.lastColumn});
        std::sort(merges.begin(), merges.end());
        QJsonArray mergeJson;
        for (const auto &m : merges)
            mergeJson.append(QJsonArray{m[0], m[1], m[2], m[3]});
        sheets.append(QJsonObject{{QStringLiteral("name"), sheet->name},
                                  {QStringLiteral("state"), state(sheet->visible)},
                                  {QStringLiteral("cells"), cells},
                                  {QStringLiteral("comments"), comments},
                                  {QStringLiteral("merges"), mergeJson}});
    }
    return sheets;
}

struct Twin
{
    const char *xls;
    const char *xlsx;
    std::vector<const char *> writerDifferences;
    // Differences from our .xlsx reader only (where it and openpyxl disagree on the twin).
    std::vector<const char *> xlsxReaderDifferences = {};
};

void PrintTo(const Twin &twin, std::ostream *out)
{
    *out << twin.xls;
}

class XlsTwinTest : public ::testing::TestWithParam<Twin>
{
};

TEST_P(XlsTwinTest, ReadsAsItsXlsxTwin)
{
    QUORVA_NEED_OPENPYXL();
    const QString dir = TestFiles::path(QStringLiteral("platform/excel/tests/fixtures/"));
    WorkbookData book;
    QString error;
    ASSERT_TRUE(XlsReader::read(dir + QLatin1String(GetParam().xls), &book, &error))
        << error.toStdString();
    EXPECT_EQ(book.format, WorkbookData::Format::Xls);

    QString output;
    ASSERT_EQ(TestFiles::runPython(QString::fromUtf8(kDumpTwin),
                                   {dir + QLatin1String(GetParam().xlsx)}, &output),
              0)
        << output.toStdString();
    const int marker = int(output.lastIndexOf(QStringLiteral("JSON:")));
    ASSERT_GE(marker, 0) << output.toStdString();
    const QJsonArray twin = QJsonDocument::fromJson(output.mid(marker + 5).toUtf8()).array();
    ASSERT_FALSE(twin.isEmpty());
    QStringList diffs = compare(book, twin);
    for (const char *known : GetParam().writerDifferences)
        EXPECT_TRUE(diffs.removeOne(QString::fromUtf8(known))) << "no longer differs: " << known;
    EXPECT_TRUE(diffs.isEmpty()) << diffs.join(QLatin1Char('\n')).toStdString();

    // The same against our own .xlsx reader, so that both formats open alike.
    WorkbookData xlsx;
    ASSERT_TRUE(XlsxReader::read(dir + QLatin1String(GetParam().xlsx), &xlsx, &error))
        << error.toStdString();
    diffs = compare(book, dumpBook(xlsx));
    for (const char *known : GetParam().writerDifferences)
        EXPECT_TRUE(diffs.removeOne(QString::fromUtf8(known))) << "no longer differs: " << known;
    for (const char *known : GetParam().xlsxReaderDifferences)
        EXPECT_TRUE(diffs.removeOne(QString::fromUtf8(known))) << "no longer differs: " << known;
    EXPECT_TRUE(diffs.isEmpty()) << "against XlsxReader:\n"
                                 << diffs.join(QLatin1Char('\n')).toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Fixtures, XlsTwinTest,
    ::testing::Values(
        // The .xls writer stores TRUE() and FALSE() as the constants TRUE
        // and FALSE, and every error constant as #N/A; its .xlsx writer
        // gives exponents three digits.
        Twin{"libreoffice.xls",
             "libreoffice.xlsx",
             {"Data!D2: formula =TRUE vs =TRUE()", "Data!D3: formula =FALSE vs =FALSE()",
              "Data!D4: formula =TRUE vs =TRUE()", "Data!E3: formula =#N/A vs =#DIV/0!",
              "Calc!C12: formula =VLOOKUP(2,A1:B3,2,FALSE) vs "
              "=VLOOKUP(2,A1:B3,2,FALSE())",
              "Calc!C21: formula =TRUE vs =TRUE()", "Calc!C39: formula =1.5E+20*2 vs =1.5E+020*2"}},
        // The .xlsx writer drops sheet visibility and writes numbers in
        // full.
        Twin{"gnumeric.xls",
             "gnumeric.xlsx",
             {"Hidden! visibility hidden vs visible",
              "VeryHidden! visibility veryHidden vs visible",
              "Calc!C39: formula =1.5E+20*2 vs =150000000000000000000*2"}},
        // LibreOffice's .xls writer stores a whole-row range on another sheet as a deleted
        // reference, and FALSE() as FALSE.
        Twin{"lo-functions.xls",
             "lo-functions.xlsx",
             {"F!A13: formula =SUM(One!#REF!) vs =SUM(One!1:2)",
              "F!A24: formula =HLOOKUP(1,One!A1:B2,2,FALSE) vs =HLOOKUP(1,One!A1:B2,2,FALSE())"}},
        // gnumeric's .xls writer drops the arguments of functions new in Excel 2007; its .xlsx
        // writer gives numbers in 21 digits, date formats to cells holding DATE() and EDATE(),
        // and STDEV as STDEV.S.
        Twin{"gnumeric-functions.xls",
             "gnumeric-functions.xlsx",
             {"F!A8: formula =SUMIFS() vs =SUMIFS(One!A1:A5,One!B1:B5,\">2\")",
              "F!A9: formula =COUNTIFS() vs =COUNTIFS(One!A1:A5,\">1\",One!B1:B5,\"<7\")",
              "F!A10: formula =AVERAGEIF() vs =AVERAGEIF(One!A1:A5,\">2\")",
              "F!A11: formula =One!A1*0.00001 vs =One!A1*9.99999999999999999995e-06",
              "F!A17: date format 0 vs 1", "F!A31: date format 0 vs 1",
              "F!A32: formula =STDEV(One!A1:A5) vs =_xlfn.STDEV.S(One!A1:A5)"}}),
    [](const auto &info) {
        std::string name =
            std::string(info.param.xls).substr(0, std::string(info.param.xls).find('.'));
        std::replace(name.begin(), name.end(), '-', '_');
        return name;
    });

} // namespace
