// Record layouts that the writers used for the fixtures never produce, built byte by byte.
#include "platform/excel/CellStore.h"
#include "platform/excel/XlsFormula.h"
#include "platform/excel/XlsReader.h"
#include "platform/excel/tests/XlsBuilder.h"

#include <functional>
#include <gtest/gtest.h>

using namespace excel;
using B = XlsBuilder;

namespace {

const Cell *find(const SheetData &sheet, int row, int column)
{
    if (std::size_t(row - 1) >= sheet.rows.size()) return nullptr;
    for (const Cell &c : sheet.rows[std::size_t(row - 1)]) {
        if (c.column == column) return &c;
    }
    return nullptr;
}

QString textOf(const WorkbookData &book, const Cell *c)
{
    return c && c->kind() == CellKind::String ? book.strings[c->string()] : QStringLiteral("?");
}

QString formulaOf(const SheetData &sheet, int row, int column)
{
    const Cell *c = CellStore::find(sheet, row, column);
    return c ? CellStore::formulaText(sheet, row, *c) : QString();
}

QByteArray continued(std::uint16_t type, const QByteArray &first, const QByteArray &rest)
{
    return B::record(type, first) + B::record(0x003C, rest);
}

QByteArray formulaRecord(int row, int column, const QByteArray &result, const QByteArray &tokens)
{
    return B::record(0x0006, B::cell(row, column) + result + B::u16(0) + B::u32(0) +
                                 B::u16(std::uint16_t(tokens.size())) + tokens);
}

const QByteArray kStringResult = QByteArray::fromHex("0000000000 00ffff");
const QByteArray kNumberResult = B::f64(7);

struct Case
{
    const char *name;
    QByteArray globals;
    std::vector<B::Sheet> sheets;
    std::function<void(const WorkbookData &)> check;
};

std::vector<Case> cases()
{
    return {
        {"texts in LABEL and RSTRING records",
         {},
         {{"S", B::record(0x0204, B::cell(0, 0) + B::text("plain")) +
                    B::record(0x00D6, B::cell(0, 1) + B::text(QStringLiteral("富文本")) +
                                          B::u16(1) + B::u32(0))}},
         [](const WorkbookData &b) {
             const SheetData &s = *b.sheets[0];
             EXPECT_EQ(textOf(b, find(s, 1, 1)), "plain");
             EXPECT_EQ(textOf(b, find(s, 1, 2)), QStringLiteral("富文本"));
         }},
        {"RK forms, MULRK, BOOLERR",
         {},
         {{"S", B::record(0x027E, B::cell(0, 0) + B::u32((5u << 2) | 2)) +
                    B::record(0x027E, B::cell(0, 1) + B::u32((1234u << 2) | 3)) +
                    B::record(0x027E, B::cell(0, 2) + B::u32(0x3FF80000)) +
                    B::record(0x027E, B::cell(0, 3) + B::u32(std::uint32_t(-3 << 2) | 2)) +
                    B::record(0x00BD, B::u16(1) + B::u16(2) + B::u16(0) + B::u32((1u << 2) | 2) +
                                          B::u16(0) + B::u32((2u << 2) | 2) + B::u16(3)) +
                    B::record(0x0205, B::cell(2, 0) + QByteArray::fromHex("0100")) +
                    B::record(0x0205, B::cell(2, 1) + QByteArray::fromHex("0701"))}},
         [](const WorkbookData &b) {
             const SheetData &s = *b.sheets[0];
             EXPECT_EQ(find(s, 1, 1)->number(), 5);
             EXPECT_DOUBLE_EQ(find(s, 1, 2)->number(), 12.34);
             EXPECT_EQ(find(s, 1, 3)->number(), 1.5);
             EXPECT_EQ(find(s, 1, 4)->number(), -3);
             EXPECT_EQ(find(s, 2, 3)->number(), 1);
             EXPECT_EQ(find(s, 2, 4)->number(), 2);
             EXPECT_EQ(find(s, 3, 1)->kind(), CellKind::Boolean);
             EXPECT_TRUE(find(s, 3, 1)->boolean());
             EXPECT_EQ(find(s, 3, 2)->kind(), CellKind::Error);
             EXPECT_EQ(find(s, 3, 2)->error(), 2007);
         }},
        {"shared string split over CONTINUE, switching to UTF-16",
         continued(0x00FC,
                   B::u32(2) + B::u32(2) + B::text("first") + B::u16(5) + QByteArray(1, '\0') +
                       "abc",
                   QByteArray(1, '\1') + B::chars(QStringLiteral("中文"), true)),
         {{"S", B::record(0x00FD, B::cell(0, 0) + B::u32(0)) +
                    B::record(0x00FD, B::cell(0, 1) + B::u32(1))}},
         [](const WorkbookData &b) {
             EXPECT_EQ(textOf(b, find(*b.sheets[0], 1, 1)), "first");
             EXPECT_EQ(textOf(b, find(*b.sheets[0], 1, 2)), QStringLiteral("abc中文"));
         }},
        {"formula text result continued, empty text result",
         {},
         {{"S", formulaRecord(0, 0, kStringResult, QByteArray::fromHex("170100 61")) +
                    continued(0x0207, B::u16(4) + QByteArray(1, '\0') + "ab",
                              QByteArray(1, '\1') + B::chars("cd", true)) +
                    formulaRecord(1, 0, QByteArray::fromHex("0300000000 00ffff"),
                                  QByteArray::fromHex("170000"))}},
         [](const WorkbookData &b) {
             const SheetData &s = *b.sheets[0];
             EXPECT_EQ(textOf(b, find(s, 1, 1)), "abcd");
             EXPECT_EQ(formulaOf(s, 1, 1), "=\"a\"");
             EXPECT_EQ(textOf(b, find(s, 2, 1)), "");
         }},
        {"shared formula, expanded per cell; a missing one says so",
         {},
         {{"S", formulaRecord(0, 0, kNumberResult, QByteArray::fromHex("01 0000 0000")) +
                    B::record(0x04BC, B::u16(0) + B::u16(2) + QByteArray::fromHex("0000 00 03") +
                                          B::u16(5) + QByteArray::fromHex("4c0000 01c0")) +
                    formulaRecord(1, 0, kNumberResult, QByteArray::fromHex("01 0000 0000")) +
                    formulaRecord(2, 0, kNumberResult, QByteArray::fromHex("01 0000 0000")) +
                    formulaRecord(5, 0, kNumberResult, QByteArray::fromHex("01 0400 0000"))}},
         [](const WorkbookData &b) {
             const SheetData &s = *b.sheets[0];
             EXPECT_EQ(formulaOf(s, 1, 1), "=B1");
             EXPECT_EQ(formulaOf(s, 2, 1), "=B2");
             EXPECT_EQ(formulaOf(s, 3, 1), "=B3");
             EXPECT_TRUE(formulaOf(s, 6, 1).startsWith(XlsFormula::kNotDecompiled));
             EXPECT_EQ(find(s, 6, 1)->number(), 7);
         }},
        {"cells out of order and written twice",
         {},
         {{"S", B::record(0x0203, B::cell(0, 2) + B::f64(3)) +
                    B::record(0x0203, B::cell(0, 1) + B::f64(2)) +
                    B::record(0x0203, B::cell(0, 1) + B::f64(9)) +
                    B::record(0x0201, B::cell(4, 0, 99))}},
         [](const WorkbookData &b) {
             const SheetData &s = *b.sheets[0];
             ASSERT_EQ(s.rows[0].size(), 2u);
             EXPECT_EQ(s.rows[0][0].column, 2);
             EXPECT_EQ(s.rows[0][0].number(), 9);
             EXPECT_EQ(s.rows[0][1].column, 3);
             ASSERT_EQ(s.rows.size(), 5u); // the formatted empty cell counts
             EXPECT_EQ(s.rows[4][0].kind(), CellKind::Blank);
             EXPECT_EQ(s.rows[4][0].style, 0u); // an unknown XF reads as the default
         }},
        {"sheet kinds, visibility, 1904 dates, embedded chart records",
         B::record(0x0022, B::u16(1)),
         {{"Visible", B::bof(0x0020) + B::record(0x0203, B::cell(5, 5) + B::f64(1)) +
                          B::record(0x000A, {}) + B::record(0x0203, B::cell(0, 0) + B::f64(2))},
          {"Chart", {}, 2},
          {"Hidden", {}, 0, 1},
          {"Very", {}, 0, 2}},
         [](const WorkbookData &b) {
             EXPECT_TRUE(b.date1904);
             ASSERT_EQ(b.sheets.size(), 3u);
             EXPECT_EQ(b.sheets[0]->rows.size(), 1u);
             EXPECT_EQ(b.sheets[0]->visible, -1);
             EXPECT_EQ(b.sheets[1]->name, "Hidden");
             EXPECT_EQ(b.sheets[1]->visible, 0);
             EXPECT_EQ(b.sheets[2]->visible, 2);
             ASSERT_EQ(b.warnings.size(), 1u);
             EXPECT_TRUE(b.warnings[0].contains(QStringLiteral("\"Chart\" is a chart sheet")));
         }},
        {"comment text over several CONTINUE records, merges, row heights",
         {},
         {{"S",
           B::record(0x005D, B::u16(0x15) + B::u16(0x12) + B::u16(0x19) + B::u16(7) +
                                 QByteArray(14, '\0')) +
               B::record(0x01B6, B::u16(0) + B::u16(0) + QByteArray(6, '\0') + B::u16(6) +
                                     B::u16(16) + QByteArray(4, '\0')) +
               B::record(0x003C, QByteArray(1, '\0') + "abc") +
               B::record(0x003C, QByteArray(1, '\1') + B::chars(QStringLiteral("定义"), true)) +
               B::record(0x003C, QByteArray(1, '\0') + "!") +
               B::record(0x003C, QByteArray(16, '\0')) +
               B::record(0x001C, B::cell(1, 2) + B::u16(7) + B::text("Bo") + QByteArray(1, 0)) +
               B::record(0x00E5, B::u16(2) + B::u16(0) + B::u16(1) + B::u16(0) + B::u16(2) +
                                     B::u16(4) + B::u16(4) + B::u16(3) + B::u16(5)) +
               B::record(0x0225, B::u16(0) + B::u16(300)) +
               B::record(0x0208, B::u16(3) + B::u16(0) + B::u16(1) + B::u16(600) + B::u32(0) +
                                     B::u32(0x40)) +
               B::record(0x0208,
                         B::u16(4) + B::u16(0) + B::u16(1) + B::u16(500) + B::u32(0) + B::u32(0))}},
         [](const WorkbookData &b) {
             const SheetData &s = *b.sheets[0];
             const CellComment &c = s.comments.at(SheetData::commentKey(2, 3));
             EXPECT_EQ(c.text, QStringLiteral("abc定义!"));
             EXPECT_EQ(c.author, "Bo");
             ASSERT_EQ(s.merges.size(), 2u);
             EXPECT_EQ(s.merges[0].firstRow, 1);
             EXPECT_EQ(s.merges[0].lastRow, 2);
             EXPECT_EQ(s.merges[0].lastColumn, 3);
             EXPECT_EQ(s.merges[1].firstColumn, 4);
             EXPECT_DOUBLE_EQ(s.defaultRowHeight, 15.0);
             EXPECT_EQ(s.rowHeights.size(), 1u);
             EXPECT_DOUBLE_EQ(s.rowHeights.at(4), 30.0);
         }},
        {"3-D references and names from the globals",
         B::record(0x01AE, B::u16(2) + B::u16(0x0401)) +
             B::record(0x0017, B::u16(1) + B::u16(0) + B::u16(1) + B::u16(1)) +
             B::record(0x0018, B::u16(0) + QByteArray(1, 0) + QByteArray(1, 4) + B::u16(0) +
                                   B::u16(0) + B::u16(0) + QByteArray(4, 0) + QByteArray(1, 0) +
                                   "Rate"),
         {{"First", formulaRecord(0, 0, kNumberResult,
                                  QByteArray::fromHex("3a0000 0100 01c0 4301000000 05"))},
          {"Other Sheet", {}}},
         [](const WorkbookData &b) {
             const SheetData &s = *b.sheets[0];
             EXPECT_EQ(formulaOf(s, 1, 1), "='Other Sheet'!B2*Rate");
         }},
    };
}

TEST(XlsRecordsTest, ReadsRecordLayouts)
{
    for (const Case &c : cases()) {
        SCOPED_TRACE(c.name);
        WorkbookData book;
        QString error;
        ASSERT_TRUE(XlsReader::readBytes(B::container(B::workbook(c.globals, c.sheets)), &book,
                                         &error, QStringLiteral("built.xls")))
            << error.toStdString();
        c.check(book);
    }
}

TEST(XlsRecordsTest, RefusesEncryptedAndOldWorkbooks)
{
    std::vector<std::pair<QByteArray, const char *>> refused = {
        {B::container(B::workbook(B::record(0x002F, QByteArray(54, '\0')), {{"S", {}}})),
         "encrypted"},
        {B::container(B::bof(0x0005, 0x0500) + B::record(0x000A, {})), "older than Excel 97"},
        {B::container(B::bof(0x0005) + B::record(0x000A, {}), QStringLiteral("Book")),
         "older than Excel 97"},
        {B::container(B::workbook({}, {{"S", B::record(0x0203, B::cell(0, 20000) + B::f64(1))}})),
         "outside the sheet"},
        {B::container(B::workbook({}, {{"S", B::record(0x0203, B::cell(0, 0))}})), "cut short"},
    };
    // Two sheets made to start at the same record.
    QByteArray overlapping =
        B::workbook({}, {{"A", B::record(0x0203, B::cell(0, 0) + B::f64(1))}, {"B", {}}});
    overlapping.replace(37, 4, overlapping.mid(24, 4));
    refused.push_back({B::container(overlapping), "overlap"});
    for (const auto &[bytes, message] : refused) {
        WorkbookData book;
        QString error;
        EXPECT_FALSE(XlsReader::readBytes(bytes, &book, &error, QStringLiteral("old.xls")));
        EXPECT_TRUE(error.startsWith(QStringLiteral("Cannot read \"old.xls\": ")));
        EXPECT_TRUE(error.contains(QLatin1String(message))) << error.toStdString();
    }
}

} // namespace

// WINDOW1 names the sheet in front; a chart sheet before it does not shift it. Two sheets of
// one name (also in different case) are refused, as a save of the workbook would be.
TEST(XlsRecords, ActiveTabAndSheetNames)
{
    auto window1 = [](int tab) {
        return B::record(0x003D, B::u16(0) + B::u16(0) + B::u16(100) + B::u16(100) + B::u16(0x38) +
                                     B::u16(std::uint16_t(tab)) + B::u16(0) + B::u16(1) +
                                     B::u16(600));
    };
    const QByteArray cell = B::record(0x0203, B::cell(0, 0) + B::f64(1));
    auto sheets = [&](const char *second) {
        return std::vector<B::Sheet>{{QStringLiteral("One"), cell},
                                     {QStringLiteral("Chart"), QByteArray(), 2},
                                     {QString::fromUtf8(second), cell},
                                     {QStringLiteral("Three"), cell}};
    };
    WorkbookData book;
    QString error;
    ASSERT_TRUE(XlsReader::readBytes(B::container(B::workbook(window1(3), sheets("Two"))), &book,
                                     &error, QStringLiteral("tabs.xls")))
        << error.toStdString();
    ASSERT_EQ(book.sheets.size(), 3u);
    EXPECT_EQ(book.activeSheet, 2); // "Three", the third worksheet
    book = WorkbookData();
    ASSERT_TRUE(XlsReader::readBytes(B::container(B::workbook(window1(1), sheets("Two"))), &book,
                                     &error, QStringLiteral("tabs.xls")));
    EXPECT_EQ(book.activeSheet, -1); // the chart sheet, which is not read

    book = WorkbookData();
    EXPECT_FALSE(XlsReader::readBytes(B::container(B::workbook(window1(0), sheets("ONE"))), &book,
                                      &error, QStringLiteral("twice.xls")));
    EXPECT_TRUE(error.contains(QStringLiteral("twice.xls"))) << error.toStdString();
    EXPECT_TRUE(error.contains(QStringLiteral("two sheets are named \"ONE\"")))
        << error.toStdString();
}
