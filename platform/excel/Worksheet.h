#pragma once

#include "platform/excel/Range.h"
#include "platform/excel/SheetData.h"
#include "platform/excel/WorkbookData.h"

#include <QString>
#include <functional>
#include <map>
#include <memory>

namespace excel {

class Workbook;

// One worksheet of an open workbook.
class Worksheet : public std::enable_shared_from_this<Worksheet>
{
public:
    using Handler = std::function<void(const excel::Range &target)>;

    Worksheet(std::weak_ptr<Workbook> workbook, SheetData *data);

    QString Name() const;
    // Raises 1004 for an empty name, more than 31 characters, any of []:*?/\ and a name that
    // another sheet of the workbook has (without regard to case).
    void setName(const QString &name);
    // -1 visible, 0 hidden, 2 very hidden.
    int Visible() const;
    // True (-1) and any value but 0 and 2 show the sheet; hiding the last visible sheet raises.
    void setVisible(int visible);
    int Index() const; // 1-based tab position

    excel::Range Cells() const;
    excel::Range Cells(int row, int column) const;
    // "C3:C120", "A3:IV120", "B7:A2", "A:C", "3:5"; a bad address raises 1004.
    excel::Range Range(const QString &address) const;
    excel::Range Range(const QString &first, const QString &last) const;
    excel::Range Range(const excel::Range &first, const excel::Range &last) const;
    // The bounding box of cells with a value, formula, comment or format; $A$1 when empty.
    excel::Range UsedRange() const;
    excel::Range Rows() const;
    excel::Range Rows(int row) const;
    excel::Range Rows(const QString &rows) const; // "3:5" or "3"
    excel::Range Columns() const;
    excel::Range Columns(int column) const;
    excel::Range Columns(const QString &columns) const; // "B:D" or "B"
    double StandardHeight() const;

    void Select();
    void Activate();
    // Moves the sheet before `before` or after `after` (give one of them).
    void Move(const std::shared_ptr<Worksheet> &before, const std::shared_ptr<Worksheet> &after);
    std::shared_ptr<Workbook> Parent() const;

    // The current selection (A1 until something is selected).
    excel::Range Selection() const;
    void setSelection(const excel::Range &range);

    // Events. Change fires for values and formulas written by code or by the user, and for row
    // insertion and deletion; SelectionChange when the selection moves.
    int onChange(Handler handler);
    int onSelectionChange(Handler handler);
    void disconnect(int id);
    // For the window layer: a user's edit of the target.
    void fireChange(const excel::Range &target);

    // --- used by the model's other classes ---
    SheetData &data() const; // raises when the workbook is closed
    WorkbookData &book() const;
    std::shared_ptr<Workbook> workbook() const;
    void markChanged() const;
    void rebind(SheetData *data) { m_data = data; }

private:
    std::weak_ptr<Workbook> m_workbook;
    SheetData *m_data;
    CellRect m_selection{1, 1, 1, 1};
    std::map<int, Handler> m_change;
    std::map<int, Handler> m_selectionChange;
    int m_nextId = 1;
};

} // namespace excel
