#include "platform/excel/CellStore.h"
#include "platform/excel/XlsxReader.h"
#include "platform/excel/XlsxWriter.h"
#include "platform/excel/tests/XlsxWriterTestSupport.h"
#include "tests/support/TestFiles.h"

#include <QTemporaryDir>
#include <cstring>
#include <gtest/gtest.h>

using namespace excel;
using namespace xlsxtest;

namespace {

// The fixtures sit beside this file.
QString fixture(const char *name)
{
    return TestFiles::path(QStringLiteral("platform/excel/tests/fixtures/") + QLatin1String(name));
}

const Cell *cellAt(const SheetData &s, int row, int column)
{
    if (row < 1 || row > int(s.rows.size())) return nullptr;
    for (const Cell &c : s.rows[size_t(row - 1)])
        if (c.column == column) return &c;
    return nullptr;
}

QString textAt(const WorkbookData &wb, const SheetData &s, int row, int column)
{
    const Cell *c = cellAt(s, row, column);
    return c && c->kind() == CellKind::String ? wb.strings[c->string()] : QString();
}

std::uint32_t addString(WorkbookData &wb, const QString &text)
{
    wb.strings.push_back(text);
    return std::uint32_t(wb.strings.size() - 1);
}

bool sameStyle(const CellStyle &a, const CellStyle &b)
{
    return a.numberFormat == b.numberFormat && a.isDate == b.isDate && a.fontColor == b.fontColor &&
           a.fillPattern == b.fillPattern && a.fillColor == b.fillColor;
}

class XlsxWriterRoundTripTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }
    QString file(const QString &name) const { return m_dir.filePath(name); }
    QTemporaryDir m_dir;
};

// Everything the store holds comes back from our own reader as it was written.
TEST_F(XlsxWriterRoundTripTest, NewWorkbookReadsBackIntoTheSameStore)
{
    WorkbookData wb;
    wb.date1904 = true;
    CellStyle date;
    date.numberFormatId = 164;
    date.numberFormat = QStringLiteral("yyyy\\-mm\\-dd");
    date.isDate = true;
    CellStyle coloured;
    coloured.numberFormat = QStringLiteral("General");
    coloured.fontColor = 0x336699;
    coloured.fillPattern = 1;
    coloured.fillColor = 0xFFCC00;
    wb.styles.push_back(date);
    wb.styles.push_back(coloured);
    SheetData &s = addSheet(wb, QStringLiteral("One"));
    const double numbers[] = {0.0,       -0.5,    1e-300, 1.7976931348623157e308,
                              0.1 + 0.2, 45322.5, 3.0e15};
    int col = 1;
    for (double v : numbers)
        setNumber(s, 1, col++, v);
    setNumber(s, 2, 1, 45322.5, 1);
    setString(wb, s, 2, 2, QStringLiteral("styled"), 2);
    put(s, 2, 3).style = 2; // blank with a format
    setString(wb, s, 3, 1, QStringLiteral(" 空格 "));
    setFormula(s, 3, 2, QStringLiteral("=A1*2"));
    put(s, 3, 2).setNumber(0);
    setFormula(s, 3, 3, QStringLiteral("=\"a\"&\"b\""));
    put(s, 3, 3).setString(addString(wb, QStringLiteral("ab")));
    s.merges.push_back({5, 1, 6, 2});
    s.rowHeights[5] = 33.75;
    s.comments[SheetData::commentKey(3, 1)] = {QStringLiteral("note"), QStringLiteral("me")};
    SheetData &t = addSheet(wb, QStringLiteral("Two"));
    t.visible = 2;
    Cell &e = put(t, 1, 1);
    e.setError(2042);

    QString error;
    const QString path = file(QStringLiteral("new.xlsx"));
    ASSERT_TRUE(XlsxWriter::save(wb, path, &error)) << error.toStdString();
    WorkbookData back;
    ASSERT_TRUE(XlsxReader::read(path, &back, &error)) << error.toStdString();
    ASSERT_EQ(back.sheets.size(), 2u);
    EXPECT_TRUE(back.date1904);
    const SheetData &b = *back.sheets[0];
    EXPECT_EQ(b.name, QStringLiteral("One"));
    EXPECT_EQ(back.sheets[1]->visible, 2);
    col = 1;
    for (double v : numbers) {
        const Cell *c = cellAt(b, 1, col++);
        ASSERT_TRUE(c);
        EXPECT_EQ(c->kind(), CellKind::Number);
        const double stored = c->number();
        EXPECT_EQ(std::memcmp(&stored, &v, sizeof v), 0) << v;
    }
    EXPECT_TRUE(sameStyle(back.styles[cellAt(b, 2, 1)->style], date));
    EXPECT_TRUE(sameStyle(back.styles[cellAt(b, 2, 2)->style], coloured));
    ASSERT_TRUE(cellAt(b, 2, 3));
    EXPECT_EQ(cellAt(b, 2, 3)->kind(), CellKind::Blank);
    EXPECT_TRUE(sameStyle(back.styles[cellAt(b, 2, 3)->style], coloured));
    EXPECT_EQ(textAt(back, b, 2, 2), QStringLiteral("styled"));
    EXPECT_EQ(textAt(back, b, 3, 1), QStringLiteral(" 空格 "));
    EXPECT_EQ(CellStore::formulaText(b, 3, *cellAt(b, 3, 2)), QStringLiteral("=A1*2"));
    EXPECT_EQ(CellStore::formulaText(b, 3, *cellAt(b, 3, 3)), QStringLiteral("=\"a\"&\"b\""));
    EXPECT_EQ(textAt(back, b, 3, 3), QStringLiteral("ab"));
    ASSERT_EQ(b.merges.size(), 1u);
    EXPECT_EQ(b.merges[0].firstRow, 5);
    EXPECT_EQ(b.merges[0].lastColumn, 2);
    EXPECT_EQ(b.rowHeights.at(5), 33.75);
    ASSERT_EQ(b.comments.count(SheetData::commentKey(3, 1)), 1u);
    EXPECT_EQ(b.comments.at(SheetData::commentKey(3, 1)).text, QStringLiteral("note"));
    EXPECT_EQ(cellAt(*back.sheets[1], 1, 1)->kind(), CellKind::Error);
    EXPECT_EQ(cellAt(*back.sheets[1], 1, 1)->error(), 2042);
}

// A file from another writer (shared strings with rich text, cached results, a comment, a
// hidden sheet): edit one sheet, save, and read it back with both readers.
TEST_F(XlsxWriterRoundTripTest, EditedFileFromAnotherWriterKeepsWhatWasNotEdited)
{
    const QString path = file(QStringLiteral("book.xlsx"));
    ASSERT_TRUE(QFile::copy(fixture("other_writer.xlsx"), path));
    WorkbookData wb;
    QString error;
    ASSERT_TRUE(XlsxReader::read(path, &wb, &error)) << error.toStdString();
    ASSERT_EQ(wb.sheets.size(), 2u);
    SheetData &data = *wb.sheets[0];
    const QString rich = textAt(wb, data, 3, 1);
    ASSERT_EQ(rich, QStringLiteral("bold and plain"));

    setNumber(data, 2, 2, 5);
    setString(wb, data, 9, 1, QStringLiteral("added"));
    // A new fill on the red 0.1, made the way the object model makes it.
    const Cell *red = cellAt(data, 4, 2);
    ASSERT_TRUE(red);
    CellStyle changed = wb.styles[red->style];
    changed.derivedFrom = changed.sourceIndex;
    changed.sourceIndex = -1;
    changed.fillPattern = 1;
    changed.fillColor = 0x00FFFF;
    wb.styles.push_back(changed);
    put(data, 4, 2).style = std::uint32_t(wb.styles.size() - 1);
    data.comments.begin()->second.text = QStringLiteral("edited comment");
    data.modified = true;
    ASSERT_TRUE(XlsxWriter::save(wb, path, &error)) << error.toStdString();

    WorkbookData back;
    ASSERT_TRUE(XlsxReader::read(path, &back, &error)) << error.toStdString();
    const SheetData &b = *back.sheets[0];
    EXPECT_EQ(cellAt(b, 2, 2)->number(), 5.0);
    EXPECT_EQ(textAt(back, b, 9, 1), QStringLiteral("added"));
    EXPECT_EQ(textAt(back, b, 3, 1), rich);
    EXPECT_EQ(textAt(back, b, 1, 1), QStringLiteral("名称"));
    EXPECT_EQ(textAt(back, *back.sheets[1], 1, 1), QStringLiteral("secret")); // untouched sheet
    EXPECT_EQ(back.sheets[1]->visible, 0);
    const CellStyle &st = back.styles[cellAt(b, 4, 2)->style];
    EXPECT_EQ(st.fontColor, 0xFF0000);
    EXPECT_EQ(st.fillColor, 0x00FFFF);
    EXPECT_TRUE(
        sameStyle(back.styles[cellAt(b, 4, 1)->style], wb.styles[cellAt(data, 4, 1)->style]));
    EXPECT_EQ(b.comments.begin()->second.text, QStringLiteral("edited comment"));
    EXPECT_EQ(CellStore::formulaText(b, 2, *cellAt(b, 2, 3)), QStringLiteral("=A2+B2"));
    EXPECT_EQ(cellAt(b, 2, 3)->number(), 42.0); // the cached result stays until recalculated

    QUORVA_NEED_OPENPYXL();
    // The rich text keeps its runs, the old strings keep their places and the new one follows.
    QString out;
    ASSERT_EQ(TestFiles::runPython(QStringLiteral(R"py(
import sys, zipfile, openpyxl
z = zipfile.ZipFile(sys.argv[1])
sst = z.read('xl/sharedStrings.xml').decode()
print(sst.count('<si>'), '<r><rPr><b/>' in sst, sst.index('secret') < sst.index('added'))
wb = openpyxl.load_workbook(sys.argv[1])
print(wb['Data']['A9'].value, wb['Data']['B2'].value, wb['Hidden']['A1'].value, wb['Data']['B4'].fill.fgColor.rgb)
)py"),
                                   {path}, &out),
              0)
        << out.toStdString();
    EXPECT_EQ(out.trimmed(), QStringLiteral("7 True True\nadded 5 secret FF00FFFF"));
}

// Saving what was read, unchanged, and saving it again gives the same parts.
TEST_F(XlsxWriterRoundTripTest, SavingTwiceIsStable)
{
    const QString first = file(QStringLiteral("first.xlsx"));
    const QString second = file(QStringLiteral("second.xlsx"));
    WorkbookData wb;
    QString error;
    ASSERT_TRUE(XlsxReader::read(fixture("other_writer.xlsx"), &wb, &error)) << error.toStdString();
    for (auto &s : wb.sheets)
        s->modified = true;
    ASSERT_TRUE(XlsxWriter::save(wb, first, &error)) << error.toStdString();
    WorkbookData again;
    ASSERT_TRUE(XlsxReader::read(first, &again, &error)) << error.toStdString();
    for (auto &s : again.sheets)
        s->modified = true;
    ASSERT_TRUE(XlsxWriter::save(again, second, &error)) << error.toStdString();
    QUORVA_NEED_OPENPYXL();
    QString out;
    ASSERT_EQ(TestFiles::runPython(QStringLiteral(R"py(
import sys, zipfile
a = zipfile.ZipFile(sys.argv[1]); b = zipfile.ZipFile(sys.argv[2])
print(sorted(n for n in a.namelist() if a.read(n) != b.read(n)), sorted(a.namelist()) == sorted(b.namelist()))
)py"),
                                   {first, second}, &out),
              0)
        << out.toStdString();
    EXPECT_EQ(out.trimmed(), QStringLiteral("[] True"));
}

} // namespace
