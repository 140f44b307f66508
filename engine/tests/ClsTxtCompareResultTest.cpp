#include "engine/ClsTxtCompareResult.h"

#include "core/ClsLogFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QStringList table(ClsTxtCompareResult &r)
{
    QStringList lines;
    r.printTable([&lines](const QString &line) { lines.append(line); });
    return lines;
}

QString blanks(int n)
{
    return QString(n, QLatin1Char(' '));
}

void addDiff(ClsTxtCompareResult &r, int left, int right, const char *column, const char *value)
{
    r.AddRec(ClsTxtCompareResult::PairKey(left, right), left, right, QString::fromUtf8(column),
             QString::fromUtf8(value));
}

void addEqual(ClsTxtCompareResult &r, int left, int right)
{
    r.AddRec(ClsTxtCompareResult::PairKey(left, right), left, right, QString(), QString());
}

} // namespace

TEST(ClsTxtCompareResult, PairKeyFormat)
{
    EXPECT_EQ(ClsTxtCompareResult::PairKey(12, 15), QStringLiteral("左边row:12,匹配右边row:15:"));
    EXPECT_EQ(ClsTxtCompareResult::PairKey(3, 100000),
              QStringLiteral("左边row:3,匹配右边row:100000:"));
}

// The layout of the two-pair example: B differs in 3/4, AA in 5/5.
TEST(ClsTxtCompareResult, TwoPairExampleByteForByte)
{
    ClsTxtCompareResult r;
    addDiff(r, 3, 4, "B", "x<->y");
    addDiff(r, 5, 5, "AA", "10<->12");
    EXPECT_EQ(r.columnWidth("B"), 5);
    EXPECT_EQ(r.columnWidth("AA"), 7);
    EXPECT_EQ(r.keyWidth(), 24);

    const QStringList expected = {
        blanks(25) + QStringLiteral("B(列) AA(列) "),
        QStringLiteral("左边row:3,匹配右边row:4: x<->y ") + blanks(7),
        QStringLiteral("左边row:5,匹配右边row:5: ") + blanks(5) + QStringLiteral(" 10<->12"),
    };
    const QStringList lines = table(r);
    ASSERT_EQ(lines, expected);
    // Byte for byte in the encoding the report is written in.
    EXPECT_EQ(lines[0].toUtf8(),
              QByteArray(25, ' ') + QByteArray("B(\xe5\x88\x97) AA(\xe5\x88\x97) "));
    EXPECT_EQ(
        lines[1].toUtf8(),
        QByteArray("\xe5\xb7\xa6\xe8\xbe\xb9row:3,\xe5\x8c\xb9\xe9\x85\x8d\xe5\x8f\xb3\xe8\xbe"
                   "\xb9row:4: x<->y        "));
}

TEST(ClsTxtCompareResult, EmptyResults)
{
    ClsTxtCompareResult nothing;
    EXPECT_EQ(table(nothing), QStringList{blanks(1)});

    // Equal pairs are never printed, but their keys still set the key width.
    ClsTxtCompareResult equalOnly;
    addEqual(equalOnly, 7, 7);
    addEqual(equalOnly, 10, 12);
    EXPECT_EQ(equalOnly.keyWidth(), 26);
    EXPECT_EQ(table(equalOnly), QStringList{blanks(27)});
    EXPECT_EQ(equalOnly.GetResult().GetCount(), 2);
    ASSERT_TRUE(equalOnly.GetClsMapByKey(ClsTxtCompareResult::PairKey(7, 7)));
    EXPECT_EQ(equalOnly.GetClsMapByKey(ClsTxtCompareResult::PairKey(7, 7))->count(), 0);
    EXPECT_FALSE(equalOnly.GetClsMapByKey(ClsTxtCompareResult::PairKey(7, 8)));
}

TEST(ClsTxtCompareResult, RecordingRules)
{
    ClsTxtCompareResult r;
    const QString key = ClsTxtCompareResult::PairKey(2, 3);
    addDiff(r, 2, 3, "C", "a<->b");
    addDiff(r, 2, 3, "D", "c<->d");
    addDiff(r, 2, 3, "C", "longer<->text"); // the first text of a column stays...
    std::shared_ptr<ClsOneRowDiff> row = r.GetResult().GetValue(key);
    ASSERT_TRUE(row);
    EXPECT_FALSE(row->Equal());
    EXPECT_EQ(row->GetFieldMap()->GetObject().keys(), (QStringList{"C", "D"}));
    EXPECT_EQ(row->GetValue("C"), QStringLiteral("a<->b"));
    EXPECT_EQ(r.columnWidth("C"), 13); // ...but the width still counts the later one
    EXPECT_EQ(row->LeftRow(), 2);
    EXPECT_EQ(row->NewLeftRow(), 2);
    EXPECT_EQ(row->RightRow(), 3);
    EXPECT_EQ(row->NewRightRow(), 3);

    // Recorded as equal afterwards: Equal, the columns kept, no longer printed.
    addEqual(r, 2, 3);
    EXPECT_TRUE(row->Equal());
    EXPECT_EQ(row->GetFieldMap()->count(), 2);
    EXPECT_EQ(table(r).size(), 1);
    EXPECT_EQ(r.GetClsMapByKey(key), row->GetFieldMap());
}

TEST(ClsTxtCompareResult, ColumnAndRowOrder)
{
    ClsTxtCompareResult r;
    addDiff(r, 9, 9, "AA", "1<->2");
    addDiff(r, 4, 4, "C", "3<->4");
    addDiff(r, 4, 4, "B", "5<->6");
    addDiff(r, 1, 2, "B", "7<->8");
    const QStringList lines = table(r);
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[0], blanks(25) + QStringLiteral("B(列) C(列) AA(列)"));
    // Rows come in the order their keys were first recorded, not sorted by row number.
    EXPECT_EQ(lines[1],
              QStringLiteral("左边row:9,匹配右边row:9: ") + blanks(5) + " " + blanks(5) + " 1<->2");
    EXPECT_EQ(lines[2], QStringLiteral("左边row:4,匹配右边row:4: 5<->6 3<->4 ") + blanks(5));
    EXPECT_EQ(lines[3],
              QStringLiteral("左边row:1,匹配右边row:2: 7<->8 ") + blanks(5) + " " + blanks(5));
}

TEST(ClsTxtCompareResult, ChineseTextsWidenColumns)
{
    ClsTxtCompareResult r;
    addDiff(r, 10, 10, "B", "甲<->乙乙");   // 2 + 3 + 4 = 9 bytes
    addDiff(r, 11, 11, "B", "a<->b");       // 5 bytes, padded to 9
    addDiff(r, 11, 11, "AB", "x<->中文字"); // 4 + 6 = 10 bytes
    EXPECT_EQ(r.columnWidth("B"), 9);
    EXPECT_EQ(r.columnWidth("AB"), 10);
    EXPECT_EQ(r.keyWidth(), 26);
    const QStringList lines = table(r);
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[0], blanks(27) + QStringLiteral("B(列)     AB(列)    "));
    EXPECT_EQ(lines[1], QStringLiteral("左边row:10,匹配右边row:10: 甲<->乙乙 ") + blanks(10));
    EXPECT_EQ(lines[2], QStringLiteral("左边row:11,匹配右边row:11: a<->b     x<->中文字"));

    // A header wider than its column's texts is kept whole and pushes the header on.
    ClsTxtCompareResult narrow;
    addDiff(narrow, 1, 1, "B", "<->");
    addDiff(narrow, 1, 1, "C", "1<->");
    EXPECT_EQ(table(narrow), (QStringList{blanks(25) + QStringLiteral("B(列) C(列)"),
                                          QStringLiteral("左边row:1,匹配右边row:1: <-> 1<->")}));
}

TEST(ClsTxtCompareResult, SingleRowsKeepFirstOrder)
{
    ClsTxtCompareResult r;
    for (int row : {5, 3, 5, 9})
        r.AddLeftSingleRow(row);
    r.AddRightSingleRow(2);
    EXPECT_EQ(r.GetLeftSingleRows().GetObject().keys(), (QStringList{"5", "3", "9"}));
    EXPECT_EQ(r.GetRightSingleRows().count(), 1);
    // One-side rows are not part of the table.
    EXPECT_EQ(table(r), QStringList{blanks(1)});
}

TEST(ClsTxtCompareResult, Print2FileWritesTheTableWithCrLf)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("Data.txt"));
    ClsTxtCompareResult r;
    addDiff(r, 3, 4, "B", "x<->y");
    addDiff(r, 5, 5, "AA", "10<->12");
    {
        ClsLogFile log;
        ASSERT_TRUE(log.SetFileName(path));
        r.Print2File(log);
        log.CloseFile();
        EXPECT_EQ(log.lostLines(), 0);
    }
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray expected = QStringLiteral("                         B(列) AA(列) \r\n"
                                               "左边row:3,匹配右边row:4: x<->y        \r\n"
                                               "左边row:5,匹配右边row:5:       10<->12\r\n")
                                    .toUtf8();
    EXPECT_EQ(file.readAll(), expected);
}

namespace {

// One recording step: an equal pair (column empty) or one differing column of a pair.
struct Step
{
    int left, right;
    const char *column, *value;
};

// Everything a reader of the results can see, as text.
QStringList seen(ClsTxtCompareResult &r)
{
    QStringList out = table(r);
    out.append(QStringLiteral("key width %1").arg(r.keyWidth()));
    r.GetResult().GetObject().forEach(
        [&out](const QString &key, const std::shared_ptr<ClsOneRowDiff> &row) {
            out.append(QStringLiteral("%1 %2/%3 %4/%5 equal=%6 fields=%7")
                           .arg(key)
                           .arg(row->LeftRow())
                           .arg(row->RightRow())
                           .arg(row->NewLeftRow())
                           .arg(row->NewRightRow())
                           .arg(row->Equal())
                           .arg(row->GetFieldMap()->GetObject().keys().join(u',')));
        });
    return out;
}

} // namespace

// The comparison records through addEqualPair / addDifferingPair / addColumn; readers must see
// exactly what AddRec under the pair keys would have given them, also when both ways mix.
TEST(ClsTxtCompareResult, TheComparisonsWayOfRecordingGivesWhatAddRecGives)
{
    const std::vector<std::vector<Step>> runs = {
        {{3, 4, "B", "x<->y"}, {3, 4, "C", "1<->2"}, {5, 5, "", ""}, {12345, 9, "AA", "苹果<->"}},
        {{1, 1, "", ""}, {2, 2, "", ""}, {3, 3, "", ""}},
        {{7, 70, "D", "a<->b"}, {7, 70, "D", "later<->text"}, {-1, 100000, "", ""}},
    };
    for (std::size_t n = 0; n < runs.size(); ++n) {
        SCOPED_TRACE(n);
        // Record every run as the comparison does, with a lookup in the middle of the second
        // half (which files what was pending) and an AddRec of a pair already recorded.
        ClsTxtCompareResult viaAddRec, viaComparison;
        std::vector<Step> steps = runs[n];
        steps.insert(steps.end(), runs[n].begin(), runs[n].end());
        for (std::size_t i = 0; i < steps.size(); ++i) {
            const Step &s = steps[i];
            const QString key = ClsTxtCompareResult::PairKey(s.left, s.right);
            viaAddRec.AddRec(key, s.left, s.right, QString::fromUtf8(s.column),
                             QString::fromUtf8(s.value));
            if (i == runs[n].size() + 1) viaComparison.GetResult();
            if (i == steps.size() - 1) {
                viaComparison.AddRec(key, s.left, s.right, QString::fromUtf8(s.column),
                                     QString::fromUtf8(s.value));
                continue;
            }
            if (!*s.column) {
                viaComparison.addEqualPair(s.left, s.right);
                continue;
            }
            viaComparison.addDifferingColumn(s.left, s.right, QString::fromUtf8(s.column),
                                             QString::fromUtf8(s.value));
            const std::shared_ptr<ClsMap> fields = viaComparison.fieldsOf(s.left, s.right);
            ASSERT_TRUE(fields);
            EXPECT_TRUE(fields->Exists(QString::fromUtf8(s.column)));
        }
        // The table before the results are filed, then everything after.
        EXPECT_EQ(table(viaComparison), table(viaAddRec));
        EXPECT_EQ(seen(viaComparison), seen(viaAddRec));
    }
}
