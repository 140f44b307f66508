#include "engine/ClsTxtCompareResult.h"

#include "core/ClsLogFile.h"
#include "core/ModCommon.h"
#include "core/ModStl.h"
#include "core/ModString.h"

#include <algorithm>

ClsTxtCompareResult::ClsTxtCompareResult() = default;

QString ClsTxtCompareResult::PairKey(int leftRow, int rightRow)
{
    // Built in one piece: every matched row pair of a comparison makes one.
    static const QString left = QStringLiteral("左边row:");
    static const QString right = QStringLiteral(",匹配右边row:");
    char16_t digits[2][12];
    auto decimal = [](int n, char16_t *buffer) {
        char16_t *end = buffer + 12, *p = end;
        unsigned v = n < 0 ? 0u - unsigned(n) : unsigned(n);
        do {
            *--p = char16_t(u'0' + v % 10);
            v /= 10;
        } while (v);
        if (n < 0) *--p = u'-';
        return QStringView(p, end);
    };
    const QStringView l = decimal(leftRow, digits[0]), r = decimal(rightRow, digits[1]);
    QString key;
    key.reserve(left.size() + l.size() + right.size() + r.size() + 1);
    key.append(left).append(l).append(right).append(r).append(QLatin1Char(':'));
    return key;
}

void ClsTxtCompareResult::widenColumn(const QString &column, const QString &value)
{
    const int width = ModString::GetAnsiByteLength(value);
    if (!m_colWidths.Exists(column) || m_colWidths.GetValue(column).toInt() < width)
        m_colWidths.SetValue(column, QString::number(width));
}

void ClsTxtCompareResult::widenKey(int leftRow, int rightRow)
{
    // The key's width without making the key: its fixed part and the digits of both rows.
    static const int fixedWidth = ModString::GetAnsiByteLength(PairKey(0, 0)) - 2;
    auto digits = [](int n) {
        int count = n < 0 ? 2 : 1;
        for (unsigned v = n < 0 ? 0u - unsigned(n) : unsigned(n); v >= 10; v /= 10)
            ++count;
        return count;
    };
    m_keyWidth = std::max(m_keyWidth, fixedWidth + digits(leftRow) + digits(rightRow));
}

void ClsTxtCompareResult::addEqualPair(int leftRow, int rightRow)
{
    m_pending.push_back(PendingPair{leftRow, rightRow, nullptr});
    widenKey(leftRow, rightRow);
}

void ClsTxtCompareResult::addDifferingColumn(int leftRow, int rightRow, const QString &column,
                                             const QString &value)
{
    widenColumn(column, value);
    // The columns of one pair come one after the other: they go to the pair recorded last.
    // Another recording of a pair recorded before is merged into it when the pairs are filed.
    if (m_pending.empty() || !m_pending.back().row || m_pending.back().leftRow != leftRow ||
        m_pending.back().rightRow != rightRow) {
        auto row = std::make_shared<ClsOneRowDiff>();
        row->setLeftRow(leftRow);
        row->setRightRow(rightRow);
        m_pending.push_back(PendingPair{leftRow, rightRow, std::move(row)});
        widenKey(leftRow, rightRow);
    }
    ClsOneRowDiff &row = *m_pending.back().row;
    row.Add(column, value);
    row.setEqual(false);
}

std::shared_ptr<ClsMap> ClsTxtCompareResult::fieldsOf(int leftRow, int rightRow) const
{
    if (!m_pending.empty() && m_pending.back().row && m_pending.back().leftRow == leftRow &&
        m_pending.back().rightRow == rightRow)
        return m_pending.back().row->GetFieldMap();
    return GetClsMapByKey(PairKey(leftRow, rightRow));
}

void ClsTxtCompareResult::fileThePending() const
{
    if (m_pending.empty()) return;
    ClsObjMap<ClsOneRowDiff>::Store &store = m_result.GetObject();
    store.reserve(store.count() + int(m_pending.size()));
    for (PendingPair &pair : m_pending) {
        // A pair recorded twice (which the comparison never does) keeps its first object, as
        // AddRec would update it.
        std::shared_ptr<ClsOneRowDiff> &row = store.item(PairKey(pair.leftRow, pair.rightRow));
        if (!row) {
            row = pair.row;
            if (!row) {
                row = std::make_shared<ClsOneRowDiff>();
                row->setLeftRow(pair.leftRow);
                row->setRightRow(pair.rightRow);
                row->setEqual(true);
            }
            continue;
        }
        row->setLeftRow(pair.leftRow);
        row->setRightRow(pair.rightRow);
        if (!pair.row) {
            row->setEqual(true);
            continue;
        }
        pair.row->GetFieldMap()->GetObject().forEach(
            [&row](const QString &column, const QString &value) { row->Add(column, value); });
        row->setEqual(false);
    }
    m_pending.clear();
    m_pending.shrink_to_fit();
}

void ClsTxtCompareResult::AddRec(const QString &pairKey, int leftRow, int rightRow,
                                 const QString &column, const QString &value)
{
    fileThePending();
    if (!column.isEmpty()) widenColumn(column, value);

    // One lookup: an absent key is filed at once and given its object.
    std::shared_ptr<ClsOneRowDiff> &row = m_result.GetObject().item(pairKey);
    if (!row) row = std::make_shared<ClsOneRowDiff>();
    row->setLeftRow(leftRow);
    row->setRightRow(rightRow);
    if (column.isEmpty()) {
        row->setEqual(true);
    } else {
        row->Add(column, value);
        row->setEqual(false);
    }

    // Equal pairs count too, although their keys are never printed.
    m_keyWidth = std::max(m_keyWidth, ModString::GetAnsiByteLength(pairKey));
}

int ClsTxtCompareResult::columnWidth(const QString &column) const
{
    const QString *width = m_colWidths.GetObject().find(column);
    return width ? width->toInt() : 0;
}

void ClsTxtCompareResult::printTable(const std::function<void(const QString &)> &writeLine)
{
    // Shorter letters first, so B comes before AA.
    ModStl::SortMapByKey(m_colWidths);
    const QStringList columns = m_colWidths.GetObject().keys();
    std::vector<int> widths;
    widths.reserve(std::size_t(columns.size()));
    for (const QString &c : columns)
        widths.push_back(columnWidth(c));

    // A header wider than its column (widths count only recorded texts) pushes the rest of the
    // header line right; the rows below keep their own widths.
    QStringList headers;
    for (qsizetype i = 0; i < columns.size(); ++i)
        headers.append(
            ModCommon::PadToWidth(columns[i] + QStringLiteral("(列)"), widths[std::size_t(i)]));
    writeLine(QString(m_keyWidth + 1, QLatin1Char(' ')) + headers.join(QLatin1Char(' ')));

    auto printRow = [&](const QString &key, const std::shared_ptr<ClsOneRowDiff> &row) {
        if (!row || row->Equal()) return;
        QString line = ModCommon::PadToWidth(key, m_keyWidth);
        for (qsizetype i = 0; i < columns.size(); ++i) {
            line += QLatin1Char(' ');
            const int width = widths[std::size_t(i)];
            if (row->Exists(columns[i]))
                line += ModCommon::PadToWidth(row->GetValue(columns[i]), width);
            else
                line += QString(width, QLatin1Char(' '));
        }
        writeLine(line);
    };
    // Filed pairs first, then the pending ones (recorded after them); equal pending pairs
    // have no object and print nothing, so the table costs what the differences cost.
    m_result.GetObject().forEach(printRow);
    for (const PendingPair &pair : m_pending)
        if (pair.row && !pair.row->Equal())
            printRow(PairKey(pair.leftRow, pair.rightRow), pair.row);
}

void ClsTxtCompareResult::Print2File(ClsLogFile &logFile)
{
    printTable([&logFile](const QString &line) { logFile.WriteLine(line); });
}

std::shared_ptr<ClsMap> ClsTxtCompareResult::GetClsMapByKey(const QString &pairKey) const
{
    fileThePending();
    std::shared_ptr<ClsOneRowDiff> row = m_result.GetValue(pairKey);
    return row ? row->GetFieldMap() : nullptr;
}

void ClsTxtCompareResult::AddLeftSingleRow(int row)
{
    m_leftSingleRows.Add(QString::number(row), QString());
}

void ClsTxtCompareResult::AddRightSingleRow(int row)
{
    m_rightSingleRows.Add(QString::number(row), QString());
}
