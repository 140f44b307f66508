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

void ClsTxtCompareResult::AddRec(const QString &pairKey, int leftRow, int rightRow,
                                 const QString &column, const QString &value)
{
    if (!column.isEmpty()) {
        const int width = ModString::GetAnsiByteLength(value);
        if (!m_colWidths.Exists(column) || m_colWidths.GetValue(column).toInt() < width)
            m_colWidths.SetValue(column, QString::number(width));
    }

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

    m_result.GetObject().forEach(
        [&](const QString &key, const std::shared_ptr<ClsOneRowDiff> &row) {
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
        });
}

void ClsTxtCompareResult::Print2File(ClsLogFile &logFile)
{
    printTable([&logFile](const QString &line) { logFile.WriteLine(line); });
}

std::shared_ptr<ClsMap> ClsTxtCompareResult::GetClsMapByKey(const QString &pairKey) const
{
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
