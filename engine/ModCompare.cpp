#include "engine/ModCompare.h"

#include "core/ClsArrayMap.h"
#include "core/ClsMap.h"
#include "core/ModCommon.h"
#include "core/ProcessGlobals.h"
#include "core/TextRules.h"
#include "engine/ModExcel.h"
#include "platform/com/VariantArray.h"
#include "platform/text/BasicError.h"

#include <algorithm>
#include <utility>

namespace {

// Held as the runtime's 16-bit Boolean would be, read and written on the UI thread only.
bool g_cancelCompare = false;
std::function<void()> g_cancelListener;

bool addColumn(ClsMap &columns, int column)
{
    const QString key = QString::number(column);
    if (columns.Exists(key)) return false;
    columns.Add(key, QString());
    return true;
}

ModCompare::BlockCellText blockOf(const com::VariantArray &block)
{
    return [&block](int row, int column) { return block.at(row, column).toText(); };
}

ModCompare::AddKeyRow addTo(ClsArrayMap &keyMap)
{
    return
        [&keyMap](const QStringList &keyRow, int row) { keyMap.Add(keyRow, QString::number(row)); };
}

// The loading loop shared by the sheet and the block readers.
void loadKeyRows(int firstRow, int lastRow, const ModCompare::AddKeyRow &add,
                 const std::function<void(int row, QStringList &keyRow)> &readRow)
{
    QStringList keyRow;
    int emptyRun = 0;
    for (int row = firstRow; row <= lastRow; ++row) {
        readRow(row, keyRow);
        if (!ModCommon::IsStrArrayEmpty(keyRow)) {
            emptyRun = 0;
            add(keyRow, row);
            continue;
        }
        // Ten blank key rows in a row usually mean the data has ended; but a sheet may hold
        // blocks of keys with gaps between them, so look on for a key row before stopping.
        if (++emptyRun >= 10) {
            int next = row + 1;
            for (; next <= lastRow; ++next) {
                readRow(next, keyRow);
                if (!ModCommon::IsStrArrayEmpty(keyRow)) break;
            }
            if (next > lastRow) break;
            emptyRun = 0;
            row = next - 1; // read again at the top of the loop
            continue;
        }
        add(keyRow, row);
    }
}

} // namespace

namespace ModCompare {

void SetCancelCompare(bool cancel)
{
    g_cancelCompare = cancel;
    if (cancel && g_cancelListener) g_cancelListener();
}

bool IsCancelCompare()
{
    return g_cancelCompare;
}

void SetCancelListener(std::function<void()> listener)
{
    g_cancelListener = std::move(listener);
}

void PairByName(const QStringList &leftNames, const QStringList &rightNames, ClsMap &pairs)
{
    pairs.RemoveAll();
    ClsMap rightLeft; // case-insensitive, the map's default
    for (const QString &name : rightNames)
        rightLeft.Add(name, QString());
    QStringList leftovers;
    for (const QString &name : leftNames) {
        if (rightLeft.Exists(name)) {
            pairs.Add(name, name);
            rightLeft.Remove(name);
        } else {
            leftovers.append(name);
        }
    }
    for (int k = 0; k < leftovers.size() && k < rightLeft.count(); ++k)
        pairs.Add(leftovers.at(k), rightLeft.GetKey(k));
}

void PairByPosition(const QStringList &leftNames, const QStringList &rightNames, ClsMap &pairs)
{
    pairs.RemoveAll();
    const qsizetype n = std::min(leftNames.size(), rightNames.size());
    for (qsizetype i = 0; i < n; ++i)
        pairs.Add(leftNames.at(i), rightNames.at(i));
}

int ListColumn(const QString &text)
{
    try {
        const int column = ModCommon::ParseColumn(text);
        return column >= 1 && column <= MaxListColumn ? column : 0;
    } catch (const BasicError &) {
        return 0; // an empty text, or a number that does not fit
    }
}

bool ListItemColumns(const QString &item, int &first, int &last)
{
    const qsizetype dash = item.indexOf(QLatin1Char('-'));
    const int a = ListColumn(dash < 0 ? item : item.left(dash));
    const int b = dash < 0 ? a : ListColumn(item.mid(dash + 1));
    if (a == 0 || b == 0) return false;
    first = std::min(a, b);
    last = std::max(a, b);
    return true;
}

bool ParseColumnList(const QString &list, const QString &separator, ClsMap &columns)
{
    if (list.isEmpty()) return true;
    const QStringList items = list.split(separator, Qt::KeepEmptyParts, Qt::CaseSensitive);
    for (const QString &item : items) {
        int first = 0, last = 0;
        if (!ListItemColumns(item, first, last)) return false;
        for (int c = first; c <= last; ++c) {
            if (!addColumn(columns, c)) return false;
        }
    }
    return true;
}

void ReadSheetRowCells(const std::shared_ptr<excel::Worksheet> &sheet, int row,
                       const QList<int> &columns, QStringList &keyRow, bool mergeAware, bool trim)
{
    keyRow.clear();
    keyRow.reserve(columns.size());
    for (int column : columns) {
        QString text = mergeAware ? ModExcel::GetCellText(sheet, row, column)
                                  : sheet->Cells(row, column).Value().toText();
        keyRow.append(trim ? TextRules::trimBlanks(text) : text);
    }
}

void LoadKeyRowsFromSheet(const std::shared_ptr<excel::Worksheet> &sheet, int &firstRow,
                          int &rowCount, const ClsMap &keyColumns, ClsArrayMap &keyMap,
                          bool mergeAware, bool trim)
{
    LoadKeyRowsFromSheet(sheet, firstRow, rowCount, keyColumns, addTo(keyMap), mergeAware, trim);
}

void LoadKeyRowsFromSheet(const std::shared_ptr<excel::Worksheet> &sheet, int &firstRow,
                          int &rowCount, const ClsMap &keyColumns, const AddKeyRow &add,
                          bool mergeAware, bool trim)
{
    QList<int> columns;
    if (keyColumns.ToArray(columns) < 0) return; // no key column: there is no key to load
    const qint64 byCount = qint64(firstRow) + rowCount;
    const qint64 last = std::min<qint64>(std::max<qint64>(byCount, ModExcel::GetLastUsedRow(sheet)),
                                         CurrentOptions().MaxRowNum());
    loadKeyRows(firstRow, int(last), add, [&](int row, QStringList &keyRow) {
        ReadSheetRowCells(sheet, row, columns, keyRow, mergeAware, trim);
    });
}

void ReadArrayRowCells(const BlockCellText &block, int row, const QList<int> &columns,
                       QStringList &keyRow, bool trim)
{
    keyRow.clear();
    keyRow.reserve(columns.size());
    for (int column : columns) {
        QString text = block(row, column);
        keyRow.append(trim ? TextRules::trimBlanks(text) : text);
    }
}

void ReadArrayRowCells(const com::VariantArray &block, int row, const QList<int> &columns,
                       QStringList &keyRow, bool trim)
{
    ReadArrayRowCells(blockOf(block), row, columns, keyRow, trim);
}

void LoadKeyRowsFromArray(const BlockCellText &block, int &firstRow, int lastRow,
                          const ClsMap &keyColumns, ClsArrayMap &keyMap, bool trim)
{
    LoadKeyRowsFromArray(block, firstRow, lastRow, keyColumns, addTo(keyMap), trim);
}

void LoadKeyRowsFromArray(const BlockCellText &block, int &firstRow, int lastRow,
                          const ClsMap &keyColumns, const AddKeyRow &add, bool trim)
{
    QList<int> columns;
    if (keyColumns.ToArray(columns) < 0) return; // no key column: there is no key to load
    loadKeyRows(firstRow, lastRow, add, [&](int row, QStringList &keyRow) {
        ReadArrayRowCells(block, row, columns, keyRow, trim);
    });
}

void LoadKeyRowsFromArray(const com::VariantArray &block, int &firstRow, int lastRow,
                          const ClsMap &keyColumns, ClsArrayMap &keyMap, bool trim)
{
    LoadKeyRowsFromArray(blockOf(block), firstRow, lastRow, keyColumns, keyMap, trim);
}

} // namespace ModCompare
