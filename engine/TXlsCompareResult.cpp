#include "engine/TXlsCompareResult.h"

#include "core/ModCommon.h"
#include "engine/ModExcel.h"
#include "engine/SheetBlock.h"
#include "engine/ThrottledYield.h"
#include "platform/com/VariantArray.h"
#include "platform/excel/Comment.h"
#include "platform/excel/Font.h"
#include "platform/excel/Range.h"
#include "platform/excel/Worksheet.h"
#include "platform/text/BasicError.h"
#include "platform/text/BasicText.h"

#include <algorithm>
#include <exception>

namespace {

constexpr int GridColumns = 256;
constexpr int MaxSheetNameLength = 31;
constexpr int LeftRowColor = 3;  // red
constexpr int RightRowColor = 5; // blue

QString rowLabel(int row)
{
    return QStringLiteral("row") + QString::number(row);
}

} // namespace

TXlsCompareResult::TXlsCompareResult() = default;
TXlsCompareResult::~TXlsCompareResult() = default;

void TXlsCompareResult::Initialize(const QString &outSheetName)
{
    m_outSheetName = outSheetName;
    m_rowCount = 0;
    m_rowsWritten = 0;
    m_maxCol = 0;
    m_firstQueue.RemoveAll();
    m_secondQueue.RemoveAll();
}

void TXlsCompareResult::InitInputSheet(SheetRef firstSheet, SheetRef secondSheet)
{
    m_firstSheet = std::move(firstSheet);
    m_secondSheet = std::move(secondSheet);
}

void TXlsCompareResult::setInputLastColumns(int first, int second)
{
    m_firstLastColumn = first;
    m_secondLastColumn = second;
}

int TXlsCompareResult::lastColumnOf(const SheetRef &sourceSheet) const
{
    if (sourceSheet == m_firstSheet && m_firstLastColumn > 0) return m_firstLastColumn;
    if (sourceSheet == m_secondSheet && m_secondLastColumn > 0) return m_secondLastColumn;
    return ModExcel::GetLastUsedColumn(sourceSheet);
}

void TXlsCompareResult::setMaxCol(int column)
{
    m_maxCol = std::min(column, GridColumns);
}

void TXlsCompareResult::CopyRowFrom(bool /*useMemory*/, const SheetBlock * /*dataSource*/,
                                    const SheetRef &sourceSheet, int sourceRow,
                                    const QString &startColumn)
{
    ++m_rowCount;
    if (m_maxCol == 0) return;
    m_startColumn = ModCommon::ColumnLetterToNumber(startColumn);
    if (!sourceSheet) return;
    const QString outRow = QString::number(m_rowCount);
    if (sourceSheet == m_firstSheet)
        m_firstQueue.Add(outRow, QString::number(sourceRow));
    else if (sourceSheet == m_secondSheet)
        m_secondQueue.Add(outRow, QString::number(sourceRow));
}

void TXlsCompareResult::EndWrite(const SheetBlock *firstDataSource,
                                 const SheetBlock *secondDataSource)
{
    m_rowsWritten = m_rowCount;
    if (m_rowsWritten == 0) return;
    if (!m_OutSheet) {
        if (m_firstQueue.count() == 0 && m_secondQueue.count() == 0) return;
        // Rows were queued for a sheet nobody made: a caller's fault, never lost silently.
        throw BasicError(
            BasicError::ObjectVariableNotSet,
            QStringLiteral("The report sheet \"%1\" was not created.").arg(m_outSheetName));
    }
    m_useMemory = true;
    if (m_firstSheet) writeSide(m_firstQueue, firstDataSource, m_firstSheet, m_leftName);
    if (m_secondSheet) writeSide(m_secondQueue, secondDataSource, m_secondSheet, m_rightName);
}

void TXlsCompareResult::writeSide(const ClsMap &queue, const SheetBlock *dataSource,
                                  const SheetRef &sourceSheet, const QString &label)
{
    if (queue.count() == 0) return;
    if (dataSource && !dataSource->isNull()) {
        try {
            WriteRowsToBuffer(queue, *dataSource, sourceSheet, label);
            return;
        } catch (const std::exception &) {
            // Rewritten below, cell by cell from the live sheet.
        }
    }
    m_useMemory = false;
    WriteRowsToSheet(queue, sourceSheet, label);
}

void TXlsCompareResult::WriteRowsToBuffer(const ClsMap &queue, const SheetBlock &dataSource,
                                          const SheetRef &sourceSheet, const QString &label)
{
    // One write per output row: the whole output range at once would need a Variant per cell
    // of it, which is what the cell store exists to avoid.
    const int lastColumn = lastColumnOf(sourceSheet);
    const bool labels = m_startColumn > 2;
    const int firstOut = labels ? 1 : m_startColumn;
    const int lastOut = std::min(m_startColumn + lastColumn - 1, GridColumns);
    if (lastOut < firstOut) return;
    const int width = lastOut - firstOut + 1;
    ThrottledYield yield;
    const ClsMap::Store &store = queue.GetObject();
    for (int i = 0; i < store.count(); ++i) {
        yield.cancelled(); // keep the window live; a cancelled run still writes what it found
        const int k = store.keyAt(i).toInt();
        const int r = store.valueAt(i).toInt();
        auto buffer = com::VariantArray::grid(1, width);
        if (labels) {
            buffer->at(1, 1) = com::Variant(label);
            buffer->at(1, 2) = com::Variant(rowLabel(r));
        }
        for (int c = 1; c <= lastColumn; ++c) {
            const int out = c + m_startColumn - 1;
            if (out > GridColumns) break;
            buffer->at(1, out - firstOut + 1) = dataSource.value(r, c);
        }
        m_OutSheet->Range(m_OutSheet->Cells(k, firstOut), m_OutSheet->Cells(k, lastOut))
            .setValue(com::Variant(buffer));
    }
}

void TXlsCompareResult::WriteRowsToSheet(const ClsMap &queue, const SheetRef &sourceSheet,
                                         const QString &label)
{
    const int lastColumn = lastColumnOf(sourceSheet);
    ThrottledYield yield;
    const ClsMap::Store &store = queue.GetObject();
    for (int i = 0; i < store.count(); ++i) {
        yield.cancelled();
        const int k = store.keyAt(i).toInt();
        const int r = store.valueAt(i).toInt();
        if (m_startColumn > 2) {
            m_OutSheet->Cells(k, 1).setValue(com::Variant(label));
            m_OutSheet->Cells(k, 2).setValue(com::Variant(rowLabel(r)));
        }
        // Value, then formula, then the comment's text. The formula goes over only when the
        // cell has one: entering a constant's text again would turn the text 001 into the
        // number 1 and the text =x into a formula.
        for (int c = 1; c <= lastColumn; ++c) {
            const int out = m_startColumn + c - 1;
            if (out > GridColumns) break;
            const excel::Range source = sourceSheet->Cells(r, c);
            excel::Range target = m_OutSheet->Cells(k, out);
            const com::Variant value = source.Value();
            target.setValue(value);
            const QString formula = source.Formula();
            if (formula.startsWith(QLatin1Char('=')) && formula != value.toText())
                target.setFormula(formula);
            std::shared_ptr<excel::Comment> comment = source.Comment();
            if (comment && !comment->Text().isEmpty()) {
                if (std::shared_ptr<excel::Comment> old = target.Comment())
                    old->setText(comment->Text());
                else
                    target.AddComment(comment->Text());
            }
        }
    }
}

void TXlsCompareResult::SetForeColor(const ClsMap &fieldMap)
{
    if (m_rowCount < 2 || !m_OutSheet) return; // no row pair queued yet: nothing to colour
    ThrottledYield yield;
    const QStringList columns = fieldMap.GetObject().keys();
    for (const QString &letters : columns) {
        if (yield.cancelled()) return;
        const int c = ModCommon::ColumnLetterToNumber(letters) + 2;
        if (c > GridColumns) return;
        m_OutSheet->Cells(m_rowCount - 1, c).Font().setColorIndex(LeftRowColor);
        m_OutSheet->Cells(m_rowCount, c).Font().setColorIndex(RightRowColor);
    }
}

QStringList TXlsCompareResult::DistinctSheetNames(const QStringList &names)
{
    QStringList out;
    auto taken = [&out](const QString &name) {
        return std::any_of(out.begin(), out.end(), [&name](const QString &other) {
            return BasicText::equalsText(name, other);
        });
    };
    for (const QString &name : names) {
        QString candidate = name;
        for (int n = 1; taken(candidate); ++n) {
            const QString suffix = QStringLiteral("_") + QString::number(n);
            candidate = name.left(MaxSheetNameLength - suffix.size()) + suffix;
        }
        out.append(candidate);
    }
    return out;
}
