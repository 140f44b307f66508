#include "diffview/ViewDiffMarks.h"

#include "core/ClsMap.h"
#include "core/ModCommon.h"
#include "diffview/ClsExcelDraw.h"
#include "diffview/ViewAligner.h"
#include "diffview/ViewSideSaver.h"
#include "engine/ClsComparePair.h"
#include "engine/ClsOneRowDiff.h"
#include "engine/ClsSessionOption.h"
#include "engine/ClsTxtCompareResult.h"
#include "engine/ThrottledYield.h"
#include "platform/excel/Workbook.h"

#include <QTimer>
#include <algorithm>
#include <exception>

ViewDiffMarks::ViewDiffMarks(QObject *context) : m_Context(context) {}

void ViewDiffMarks::index(const std::shared_ptr<ClsComparePair> &pair)
{
    m_Marked.clear();
    if (!pair || !pair->GetTxtRecorder()) return;
    const auto &store = pair->GetTxtRecorder()->GetResult().GetObject();
    for (int k = 0; k < store.count(); ++k) {
        const std::shared_ptr<ClsOneRowDiff> &diff = store.valueAt(k);
        if (diff && diff->GetFieldMap() && diff->GetFieldMap()->count() > 0)
            m_Marked.push_back(MarkedPair{diff->NewLeftRow(), diff});
    }
    std::stable_sort(
        m_Marked.begin(), m_Marked.end(),
        [](const MarkedPair &a, const MarkedPair &b) { return a.newLeftRow < b.newLeftRow; });
}

std::vector<ViewDiffMarks::MarkedPair> ViewDiffMarks::visiblePairs(int first, int count) const
{
    const auto from =
        std::lower_bound(m_Marked.begin(), m_Marked.end(), first,
                         [](const MarkedPair &p, int row) { return p.newLeftRow < row; });
    std::vector<MarkedPair> pairs;
    for (auto it = from; it != m_Marked.end() && it->newLeftRow < first + count; ++it)
        pairs.push_back(*it);
    return pairs;
}

bool ViewDiffMarks::draw(int showDiffMethod, int first, int count, const Sides &sides)
{
    m_Drawing = true;
    m_Stop = false;
    try {
        switch (showDiffMethod) {
        case ClsSessionOption::ShowRedFont:
            ColorDiffCells(first, count, sides);
            break;
        case ClsSessionOption::ShowEllipses:
            DrawDiffOverlay(first, count, sides);
            break;
        default:
            break;
        }
    } catch (const std::exception &) {
        // A side that went away mid-drawing leaves its marks undrawn; the next tick tries again.
    }
    m_Drawing = false;
    const bool finished = !m_Stop;
    m_Stop = false;
    if (!m_AfterDrawing.empty() && m_Context) {
        std::vector<std::function<void()>> commands = std::exchange(m_AfterDrawing, {});
        QTimer::singleShot(0, m_Context, [commands] {
            for (const auto &command : commands)
                command();
        });
    }
    return finished;
}

void ViewDiffMarks::detach()
{
    m_Detached = true;
    m_Stop = true;
}

void ViewDiffMarks::noteEdit(bool left)
{
    if (m_Drawing) m_EditedWhileDrawing[left ? 0 : 1] = true;
}

void ViewDiffMarks::afterDrawing(std::function<void()> command)
{
    if (!m_Drawing) {
        command();
        return;
    }
    m_AfterDrawing.push_back(std::move(command));
}

void ViewDiffMarks::DrawDiffOverlay(int first, int count, const Sides &sides)
{
    const std::vector<MarkedPair> pairs = visiblePairs(first, count);
    ClsExcelDraw left, right;
    left.Initialize(sides.leftApp);
    left.BeginDraw();
    right.Initialize(sides.rightApp);
    right.BeginDraw();
    for (const MarkedPair &p : pairs) {
        const std::shared_ptr<ClsMap> fields = p.diff->GetFieldMap();
        left.DrawDiffCols(p.diff->NewLeftRow(), *fields);
        right.DrawDiffCols(p.diff->NewRightRow(), *fields);
    }
    left.EndDraw();
    right.EndDraw();
}

void ViewDiffMarks::ColorDiffCells(int first, int count, const Sides &sides)
{
    // Red marks are not the user's changes (their colours go before a save): a workbook saved
    // before them stays saved, unless the user edited it meanwhile.
    const bool leftSaved = ViewSideSaver::isSaved(sides.leftBook);
    const bool rightSaved = ViewSideSaver::isSaved(sides.rightBook);
    m_EditedWhileDrawing[0] = m_EditedWhileDrawing[1] = false;
    for (const MarkedPair &p : visiblePairs(first, count)) {
        if (halted()) break;
        ColorRowDiff(p.diff->NewLeftRow(), p.diff->NewRightRow(), p.diff->GetFieldMap(),
                     sides.aligner);
    }
    if (m_Detached) return;
    for (bool left : {true, false}) {
        const BookRef &b = left ? sides.leftBook : sides.rightBook;
        if (b && (left ? leftSaved : rightSaved) && !m_EditedWhileDrawing[left ? 0 : 1]) {
            try {
                b->setSaved(true);
            } catch (const std::exception &) {
            }
        }
    }
}

void ViewDiffMarks::ColorRowDiff(int leftRow, int rightRow, const std::shared_ptr<ClsMap> &fields,
                                 ViewAligner *aligner)
{
    if (!fields || !aligner) return;
    ThrottledYield yield(m_YieldMs);
    QStringList columns;
    fields->ToArray_String(columns);
    for (const QString &key : columns) {
        yield.cancelled();
        // The view may have closed while the events ran: its aligner is gone then.
        if (halted()) return;
        try {
            const int column = ModCommon::ParseColumn(key);
            aligner->markCellRed(true, leftRow, column);
            aligner->markCellRed(false, rightRow, column);
        } catch (const std::exception &) {
        }
    }
}
