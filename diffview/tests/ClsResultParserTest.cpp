// The row alignment without windows: where empty rows go, which rows the pairs get, and the list
// of rows to visit.
#include "diffview/tests/AlignSupport.h"
#include "engine/ClsOneRowDiff.h"
#include "platform/excel/Font.h"

#include <gtest/gtest.h>
#include <random>

using Match = AlignedPair::Match;

TEST(ClsResultParser, RowsOnOneSideBeforeAndAfterAPair)
{
    // Left single rows 3 and 4 above the pair 5/3; the right single row 4 below it.
    AlignedPair p;
    p.build(5, 4, {{5, 3}}, {3, 4}, {4});
    p.align();
    EXPECT_EQ(p.rightChanges, QStringList{QStringLiteral("$3:$4")}); // one run
    EXPECT_EQ(p.leftChanges, QStringList{QStringLiteral("$6:$6")});
    EXPECT_TRUE(AlignedPair::hatched(p.right, 3));
    EXPECT_TRUE(AlignedPair::hatched(p.right, 4));
    EXPECT_TRUE(AlignedPair::hatched(p.left, 6));
    EXPECT_FALSE(AlignedPair::hatched(p.left, 5));
    EXPECT_EQ(p.diff(5, 3)->NewLeftRow(), 5);
    EXPECT_EQ(p.diff(5, 3)->NewRightRow(), 5);
    EXPECT_EQ(p.parser.leftSingleRows(), (QList<int>{3, 4}));
    EXPECT_EQ(p.parser.rightSingleRows(), (QList<int>{6}));
    EXPECT_EQ(AlignedPair::text(p.right, 6), QStringLiteral("R4"));
    // The single rows' text is red, the rest is not.
    EXPECT_EQ(p.left->Range(QStringLiteral("A3:B4")).Font().ColorIndex().toLong(), 3);
    EXPECT_EQ(p.right->Range(QStringLiteral("A6:B6")).Font().ColorIndex().toLong(), 3);
    EXPECT_EQ(p.left->Range(QStringLiteral("A5:B5")).Font().ColorIndex().toLong(), -4105);
    // Our own insertions are no edits: every inserted row is still listed.
    EXPECT_EQ(p.parser.leftAddedRows().count(), 2);
    EXPECT_EQ(p.parser.rightAddedRows().count(), 1);
    QList<int> visit;
    EXPECT_EQ(p.parser.CreateDiffArray(visit), 3);
    EXPECT_EQ(visit, (QList<int>{3, 4, 5, 6}));
}

TEST(ClsResultParser, WalkCases)
{
    struct Case
    {
        const char *what;
        int leftRows, rightRows;
        std::vector<Match> matches;
        QList<int> leftSingles, rightSingles;
        QList<int> newRows; // both new rows of every pair, in order
        QStringList leftInserted, rightInserted;
    } cases[] = {
        {"no single rows", 3, 3, {{1, 1}, {2, 2, true}, {3, 3}}, {}, {}, {1, 2, 3}, {}, {}},
        // rows added on one side only move every pair below them
        {"left only",
         5,
         3,
         {{1, 1}, {4, 2}, {5, 3}},
         {2, 3},
         {},
         {1, 4, 5},
         {},
         {QStringLiteral("$2:$3")}},
        {"right only",
         2,
         5,
         {{1, 1}, {2, 5}},
         {},
         {2, 3, 4},
         {1, 5},
         {QStringLiteral("$2:$4")},
         {}},
        {"after the last pair",
         4,
         2,
         {{1, 1}, {2, 2}},
         {3, 4},
         {},
         {1, 2},
         {},
         {QStringLiteral("$3:$4")}},
        {"before the first pair on both sides",
         3,
         4,
         {{3, 4}},
         {1, 2},
         {1, 2, 3},
         {6},
         {QStringLiteral("$3:$5")},
         {QStringLiteral("$1:$2")}},
        {"consecutive rows as one run, a gap as another",
         10,
         4,
         {{1, 1}, {5, 2}, {6, 3}, {10, 4}},
         {2, 3, 4, 7, 8, 9},
         {},
         {1, 5, 6, 10},
         {},
         {QStringLiteral("$2:$4"), QStringLiteral("$7:$9")}},
        {"interleaved",
         4,
         4,
         {{2, 3}, {4, 4}},
         {1, 3},
         {1, 2},
         {4, 6},
         {QStringLiteral("$2:$3")},
         {QStringLiteral("$1:$1"), QStringLiteral("$5:$5")}},
    };
    for (const Case &c : cases) {
        AlignedPair p;
        p.build(c.leftRows, c.rightRows, c.matches, c.leftSingles, c.rightSingles);
        p.align();
        QList<int> got;
        for (const Match &m : c.matches) {
            const auto d = p.diff(m.left, m.right);
            EXPECT_EQ(d->NewLeftRow(), d->NewRightRow()) << c.what;
            got.append(d->NewLeftRow());
        }
        EXPECT_EQ(got, c.newRows) << c.what;
        EXPECT_EQ(p.leftChanges, c.leftInserted) << c.what;
        EXPECT_EQ(p.rightChanges, c.rightInserted) << c.what;
    }
}

TEST(ClsResultParser, NothingToInsertChangesNothing)
{
    AlignedPair p;
    p.build(4, 4, {{1, 1}, {2, 2, true}, {3, 3}, {4, 4, true}}, {}, {});
    p.align();
    EXPECT_TRUE(p.leftChanges.isEmpty());
    EXPECT_TRUE(p.rightChanges.isEmpty());
    EXPECT_EQ(p.left->Range(QStringLiteral("A1:B4")).Font().ColorIndex().toLong(), -4105);
    EXPECT_EQ(p.diff(3, 3)->NewLeftRow(), 3);
    QList<int> visit;
    EXPECT_EQ(p.parser.CreateDiffArray(visit), 1);
    EXPECT_EQ(visit, (QList<int>{1, 3})); // the unequal pairs' left rows
}

TEST(ClsResultParser, ListToVisitWithoutAPairIsEmpty)
{
    ClsResultParser parser;
    QList<int> rows{7};
    EXPECT_EQ(parser.CreateDiffArray(rows), -1);
    EXPECT_TRUE(rows.isEmpty());
}

TEST(ClsResultParser, DevelopmentSelfCheckWalk)
{
    ClsResultParser parser;
    parser.UnitTest();
    EXPECT_EQ(parser.leftSingleRows(), (QList<int>{1, 2, 6}));
    EXPECT_EQ(parser.rightSingleRows(), (QList<int>{3, 4, 7}));
    EXPECT_EQ(parser.matchedLeftRows(), QList<int>{5});
    EXPECT_EQ(parser.matchedRightRows(), QList<int>{5});
}

namespace {

// The rows of one side: `count` rows, of which the matched ones are taken in order.
QList<int> pickSorted(std::mt19937 &random, int from, int to, int count)
{
    QList<int> all;
    for (int row = from; row <= to; ++row)
        all.append(row);
    std::shuffle(all.begin(), all.end(), random);
    all.resize(count);
    std::sort(all.begin(), all.end());
    return all;
}

// The walk of the rows as first laid down, for matchings that keep both sides' order: one round
// per matched pair, first the left single rows at or above the pair's left row, then the right
// single rows at or above its right row, each moving the other sheet's rows still to come; the
// rounds go on until every single row is placed.
struct Walk
{
    QList<int> left, right, matchedLeft, matchedRight;
};

Walk referenceWalk(Walk w)
{
    const auto shiftFrom = [](QList<int> &rows, qsizetype from) {
        for (qsizetype k = from; k < rows.size(); ++k)
            ++rows[k];
    };
    qsizetype i = 0, j = 0, k = 0;
    while (i < w.left.size() || j < w.right.size()) {
        const int a = k < w.matchedLeft.size() ? w.matchedLeft[k] : 0;
        for (; i < w.left.size() && (a <= 0 || w.left[i] <= a); ++i) {
            shiftFrom(w.right, j);
            shiftFrom(w.matchedRight, k);
        }
        const int b = k < w.matchedRight.size() ? w.matchedRight[k] : 0;
        for (; j < w.right.size() && (b <= 0 || w.right[j] <= b); ++j) {
            shiftFrom(w.left, i);
            shiftFrom(w.matchedLeft, k);
        }
        ++k;
    }
    return w;
}

// Rows of one side of a random matching: matched rows in order, a common heading now and then,
// the rest single.
struct RandomMatching
{
    int leftRows, rightRows;
    QList<int> leftMatched, rightMatched, leftSingles, rightSingles;

    RandomMatching(std::mt19937 &random, bool crossing)
    {
        leftRows = 1 + int(random() % 25);
        rightRows = crossing ? leftRows : 1 + int(random() % 25);
        const int pairs = int(random() % (std::min(leftRows, rightRows) + 1));
        const int first =
            !crossing && leftRows > pairs && rightRows > pairs && random() % 2 ? 2 : 1;
        leftMatched = pickSorted(random, first, leftRows, std::min(pairs, leftRows - first + 1));
        rightMatched = pickSorted(random, first, rightRows, int(leftMatched.size()));
        if (crossing) std::shuffle(rightMatched.begin(), rightMatched.end(), random);
        for (int row = first; row <= leftRows; ++row)
            if (!leftMatched.contains(row)) leftSingles.append(row);
        for (int row = first; row <= rightRows; ++row)
            if (!rightMatched.contains(row)) rightSingles.append(row);
    }

    std::vector<Match> matches(std::mt19937 &random) const
    {
        std::vector<Match> out;
        for (qsizetype i = 0; i < leftMatched.size(); ++i)
            out.push_back(Match{leftMatched[i], rightMatched[i], random() % 3 == 0});
        return out;
    }
};

} // namespace

// Any matching that keeps both sides' order lines up exactly: each pair faces itself on the
// same row, holding its own rows' values, every single row faces a hatched empty row, and
// deleting the inserted rows gives back both sheets as they were.
TEST(ClsResultParser, RandomInOrderMatchingsLineUp)
{
    std::mt19937 random(20240519);
    for (int round = 0; round < 150; ++round) {
        const RandomMatching drawn(random, false);
        const std::vector<Match> matches = drawn.matches(random);
        const QList<int> &leftSingles = drawn.leftSingles, &rightSingles = drawn.rightSingles;
        AlignedPair p;
        p.build(drawn.leftRows, drawn.rightRows, matches, leftSingles, rightSingles);
        const QStringList leftBefore = AlignedPair::rows(p.left);
        const QStringList rightBefore = AlignedPair::rows(p.right);
        p.align();
        SCOPED_TRACE(::testing::Message() << "round " << round);

        int n = 0;
        for (const Match &m : matches) {
            const auto d = p.diff(m.left, m.right);
            const QString k = QStringLiteral("K%1").arg(++n);
            ASSERT_EQ(d->NewLeftRow(), d->NewRightRow());
            EXPECT_EQ(AlignedPair::text(p.left, d->NewLeftRow()), k);
            EXPECT_EQ(AlignedPair::text(p.right, d->NewRightRow()), k);
            EXPECT_EQ(AlignedPair::text(p.left, d->NewLeftRow(), 2),
                      QStringLiteral("b%1").arg(m.left));
            EXPECT_EQ(AlignedPair::text(p.right, d->NewRightRow(), 2),
                      QStringLiteral("b%1").arg(m.right));
        }
        for (qsizetype i = 0; i < leftSingles.size(); ++i) {
            const int row = p.parser.leftSingleRows()[i];
            EXPECT_EQ(AlignedPair::text(p.left, row), QStringLiteral("L%1").arg(leftSingles[i]));
            EXPECT_TRUE(AlignedPair::hatched(p.right, row));
            EXPECT_EQ(AlignedPair::text(p.right, row), QString());
        }
        for (qsizetype i = 0; i < rightSingles.size(); ++i) {
            const int row = p.parser.rightSingleRows()[i];
            EXPECT_EQ(AlignedPair::text(p.right, row), QStringLiteral("R%1").arg(rightSingles[i]));
            EXPECT_TRUE(AlignedPair::hatched(p.left, row));
            EXPECT_EQ(AlignedPair::text(p.left, row), QString());
        }
        EXPECT_EQ(p.parser.rowsInsertedIntoRight(), p.parser.leftSingleRows());
        EXPECT_EQ(p.parser.rowsInsertedIntoLeft(), p.parser.rightSingleRows());

        p.parser.DeleteLeftAddedEmptyRows();
        p.parser.DeleteRightAddedEmptyRows();
        EXPECT_EQ(AlignedPair::rows(p.left), leftBefore);
        EXPECT_EQ(AlignedPair::rows(p.right), rightBefore);
        if (::testing::Test::HasFailure()) break;
    }
}

// In-order matchings are placed exactly as the walk places them.
TEST(ClsResultParser, InOrderMatchingsArePlacedAsTheWalkPlacesThem)
{
    std::mt19937 random(4111);
    for (int round = 0; round < 1200; ++round) {
        const RandomMatching m(random, false);
        ClsComparePair pair;
        ClsTxtCompareResult &result = *pair.GetTxtRecorder();
        ClsMap left, right;
        for (qsizetype i = 0; i < m.leftMatched.size(); ++i)
            result.AddRec(ClsTxtCompareResult::PairKey(m.leftMatched[i], m.rightMatched[i]),
                          m.leftMatched[i], m.rightMatched[i], QString(), QString());
        for (int row : m.leftSingles)
            left.Add(QString::number(row), QString());
        for (int row : m.rightSingles)
            right.Add(QString::number(row), QString());
        ClsResultParser parser;
        parser.InitDiffObj(result.GetResult());
        parser.InitLeft(left, nullptr);
        parser.InitRight(right, nullptr);
        parser.Deal();
        const Walk want =
            referenceWalk({m.leftSingles, m.rightSingles, m.leftMatched, m.rightMatched});
        SCOPED_TRACE(::testing::Message() << "round " << round);
        ASSERT_EQ(parser.leftSingleRows(), want.left);
        ASSERT_EQ(parser.rightSingleRows(), want.right);
        ASSERT_EQ(parser.matchedLeftRows(), want.matchedLeft);
        ASSERT_EQ(parser.matchedRightRows(), want.matchedRight);
    }
}

namespace {

// Every single row faces a hatched empty row of the other sheet, every hatched row faces a
// single row, and the list to visit holds every single row.
void expectSinglesFaceEmptyRows(AlignedPair &p)
{
    QList<int> visit;
    p.parser.CreateDiffArray(visit);
    const int last =
        std::max(p.left->UsedRange().Rows().Count(), p.right->UsedRange().Rows().Count());
    for (int row = 1; row <= last; ++row) {
        const QString l = AlignedPair::text(p.left, row), r = AlignedPair::text(p.right, row);
        SCOPED_TRACE(::testing::Message()
                     << "row " << row << ": " << l.toStdString() << " | " << r.toStdString());
        if (l.startsWith(QLatin1Char('L')) || r.startsWith(QLatin1Char('R'))) {
            EXPECT_TRUE(l.startsWith(QLatin1Char('L')) ? AlignedPair::hatched(p.right, row)
                                                       : AlignedPair::hatched(p.left, row));
            EXPECT_TRUE((l.isEmpty() && r.startsWith(QLatin1Char('R'))) ||
                        (r.isEmpty() && l.startsWith(QLatin1Char('L'))));
            EXPECT_TRUE(visit.contains(row));
        }
        // an empty row faces a one-side row, never another empty row or matched data
        EXPECT_TRUE(!AlignedPair::hatched(p.left, row) || r.startsWith(QLatin1Char('R')));
        EXPECT_TRUE(!AlignedPair::hatched(p.right, row) || l.startsWith(QLatin1Char('L')));
    }
}

} // namespace

// Matchings that cross (a key comparison can pair rows out of order) cannot face each other,
// but every pair's new rows still name its own rows in each sheet, and every single row faces
// an empty row and is visited.
TEST(ClsResultParser, CrossingMatchingsKeepTheirRowsAndEverySingleRowIsReached)
{
    {
        // Left A, B, X, P; right P, Y, A, B.
        AlignedPair p;
        p.build(4, 4, {{4, 1, true}, {1, 3, true}, {2, 4, true}}, {3}, {2});
        p.align();
        expectSinglesFaceEmptyRows(p);
        QList<int> visit;
        p.parser.CreateDiffArray(visit);
        EXPECT_EQ(visit, (QList<int>{2, 4})); // Y faces an empty row at 2, X one at 4
    }
    std::mt19937 random(7);
    for (int round = 0; round < 150; ++round) {
        const RandomMatching m(random, true);
        const std::vector<Match> matches = m.matches(random);
        AlignedPair p;
        p.build(m.leftRows, m.rightRows, matches, m.leftSingles, m.rightSingles);
        p.align();
        SCOPED_TRACE(::testing::Message() << "round " << round);
        int n = 0;
        for (const Match &match : matches) {
            const auto d = p.diff(match.left, match.right);
            const QString k = QStringLiteral("K%1").arg(++n);
            EXPECT_EQ(AlignedPair::text(p.left, d->NewLeftRow()), k);
            EXPECT_EQ(AlignedPair::text(p.right, d->NewRightRow()), k);
        }
        expectSinglesFaceEmptyRows(p);
        if (::testing::Test::HasFailure()) break;
    }
}

TEST(ClsResultParser, RunsThatDoNotFitAreLeftOutAndThePairsStayOnTheirRows)
{
    // Right single rows 2 and 5-7 go into the left sheet, which has room for 3 rows only: the
    // first run fits, the second does not, and nothing below it is inserted.
    AlignedPair p;
    p.build(5, 9, {{1, 1}, {2, 3}, {3, 4}, {4, 8}, {5, 9}}, {}, {2, 5, 6, 7});
    p.pair->setLeftEndRow(65536 - 3);
    p.align();
    EXPECT_EQ(p.leftChanges, QStringList{QStringLiteral("$2:$2")});
    EXPECT_EQ(p.parser.rowsInsertedIntoLeft(), QList<int>{2});
    EXPECT_EQ(p.parser.rightAddedRows().count(), 1);
    int n = 0;
    for (auto [l, r] : {std::pair{1, 1}, {2, 3}, {3, 4}, {4, 8}, {5, 9}}) {
        const auto d = p.diff(l, r);
        EXPECT_EQ(AlignedPair::text(p.left, d->NewLeftRow()), QStringLiteral("K%1").arg(++n));
    }
    // A left sheet whose data reaches the grid's last row refuses every insertion.
    AlignedPair full;
    full.build(3, 4, {{1, 1}, {2, 3}, {3, 4}}, {}, {2});
    full.left->Cells(65536, 1).setValue(com::Variant(QStringLiteral("end")));
    full.leftChanges.clear();
    full.align(false);
    EXPECT_TRUE(full.leftChanges.isEmpty());
    EXPECT_TRUE(full.parser.rowsInsertedIntoLeft().isEmpty());
    EXPECT_EQ(full.parser.rightAddedRows().count(), 0);
    EXPECT_EQ(full.diff(3, 4)->NewLeftRow(), 3);
    EXPECT_EQ(full.diff(3, 4)->NewRightRow(), 4);
    const QStringList before = AlignedPair::rows(full.left);
    full.parser.DeleteLeftAddedEmptyRows();
    EXPECT_EQ(AlignedPair::rows(full.left), before);
    EXPECT_EQ(AlignedPair::text(full.left, 65536), QStringLiteral("end"));
}
