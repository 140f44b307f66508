#include "platform/excel/Worksheet.h"

#include "platform/excel/Application.h"
#include "platform/excel/CellStore.h"
#include "platform/excel/ModelErrors.h"
#include "platform/excel/Workbook.h"

namespace excel {

namespace {

// "3" or "3:5" ("B" or "B:D") as the address of whole rows (columns); refused with the message
// (its %1 the text) when the text is no such range.
QString wholeLines(const QString &lines, CellAddress::Kind wanted, const QString &refusal)
{
    QString text = lines.contains(u':') ? lines : lines + u':' + lines;
    CellRect rect;
    CellAddress::Kind kind;
    if (!CellAddress::parseRange(text, &rect, &kind) || kind != wanted)
        ModelErrors::refuse(refusal.arg(lines));
    return text;
}

} // namespace

Worksheet::Worksheet(std::weak_ptr<Workbook> workbook, SheetData *data)
    : m_workbook(std::move(workbook)), m_data(data)
{
}

std::shared_ptr<Workbook> Worksheet::workbook() const
{
    std::shared_ptr<Workbook> b = m_workbook.lock();
    if (!b) ModelErrors::gone(QStringLiteral("The worksheet's workbook"));
    b->check();
    if (b->indexOf(m_data) < 0) ModelErrors::gone(QStringLiteral("The worksheet"));
    return b;
}

SheetData &Worksheet::data() const
{
    workbook();
    return *m_data;
}

WorkbookData &Worksheet::book() const
{
    return workbook()->data();
}

void Worksheet::markChanged() const
{
    workbook()->markChanged(m_data);
}

std::shared_ptr<Workbook> Worksheet::Parent() const
{
    return workbook();
}

QString Worksheet::Name() const
{
    return data().name;
}

void Worksheet::setName(const QString &name)
{
    std::shared_ptr<Workbook> b = workbook();
    if (name == m_data->name) return;
    if (name.isEmpty()) ModelErrors::refuse(QStringLiteral("A sheet name cannot be empty."));
    if (name.size() > 31)
        ModelErrors::refuse(
            QStringLiteral("The sheet name \"%1\" is longer than 31 characters.").arg(name));
    for (QChar c : QStringLiteral("[]:*?/\\"))
        if (name.contains(c))
            ModelErrors::refuse(QStringLiteral("The sheet name \"%1\" contains \"%2\"; sheet names "
                                               "cannot contain any of [ ] : * ? / \\.")
                                    .arg(name, c));
    for (auto &other : b->data().sheets)
        if (other.get() != m_data && other->name.compare(name, Qt::CaseInsensitive) == 0)
            ModelErrors::refuse(QStringLiteral("Workbook \"%1\" already has a sheet named \"%2\".")
                                    .arg(b->Name(), other->name));
    const QString old = m_data->name;
    m_data->name = name;
    b->markStructureChanged();
    (void)old;
}

int Worksheet::Visible() const
{
    return data().visible;
}

void Worksheet::setVisible(int visible)
{
    std::shared_ptr<Workbook> b = workbook();
    int wanted = visible == 0 ? 0 : visible == 2 ? 2 : -1;
    if (wanted == m_data->visible) return;
    if (wanted != -1) {
        int shown = 0;
        for (auto &sheet : b->data().sheets)
            if (sheet.get() != m_data && sheet->visible == -1) ++shown;
        if (shown == 0)
            ModelErrors::refuse(QStringLiteral("Sheet \"%1\" is the only visible sheet of \"%2\"; "
                                               "a workbook must keep one visible sheet.")
                                    .arg(m_data->name, b->Name()));
    }
    m_data->visible = wanted;
    // A hidden sheet cannot stay active: the next visible one (else the one before) is.
    if (wanted != -1 && b->ActiveSheet().get() == this) {
        const auto &sheets = b->data().sheets;
        const int at = b->indexOf(m_data);
        SheetData *next = nullptr;
        for (int i = at + 1; i < int(sheets.size()) && !next; ++i)
            if (sheets[std::size_t(i)]->visible == -1) next = sheets[std::size_t(i)].get();
        for (int i = at - 1; i >= 0 && !next; --i)
            if (sheets[std::size_t(i)]->visible == -1) next = sheets[std::size_t(i)].get();
        if (next) b->setActiveSheet(next);
    }
    b->markStructureChanged();
}

int Worksheet::Index() const
{
    return workbook()->indexOf(m_data) + 1;
}

Range Worksheet::Cells() const
{
    workbook();
    return excel::Range(std::const_pointer_cast<Worksheet>(shared_from_this()),
                        CellRect{1, 1, CellAddress::MaxRows, CellAddress::MaxColumns});
}

Range Worksheet::Cells(int row, int column) const
{
    return Cells().Cells(row, column);
}

Range Worksheet::Range(const QString &address) const
{
    workbook();
    CellRect rect;
    CellAddress::Kind kind;
    if (!CellAddress::parseRange(address, &rect, &kind))
        ModelErrors::refuse(QStringLiteral("\"%1\" is not a cell address.").arg(address));
    auto self = std::const_pointer_cast<Worksheet>(shared_from_this());
    excel::Range::CountBy by = kind == CellAddress::Kind::WholeRows ? excel::Range::CountBy::Rows
                               : kind == CellAddress::Kind::WholeColumns
                                   ? excel::Range::CountBy::Columns
                                   : excel::Range::CountBy::Cells;
    return excel::Range(self, rect, by);
}

Range Worksheet::Range(const QString &first, const QString &last) const
{
    return Range(Range(first), Range(last));
}

Range Worksheet::Range(const excel::Range &first, const excel::Range &last) const
{
    workbook();
    if (first.Worksheet().get() != this || last.Worksheet().get() != this)
        ModelErrors::refuse(
            QStringLiteral("Both corners of a range must lie on sheet \"%1\".").arg(m_data->name));
    CellRect a = first.rect(), b = last.rect();
    CellRect r{std::min(a.firstRow, b.firstRow), std::min(a.firstColumn, b.firstColumn),
               std::max(a.lastRow, b.lastRow), std::max(a.lastColumn, b.lastColumn)};
    return excel::Range(std::const_pointer_cast<Worksheet>(shared_from_this()), r);
}

Range Worksheet::UsedRange() const
{
    CellRect area{1, 1, 1, 1};
    CellStore::usedArea(data(), &area);
    return excel::Range(std::const_pointer_cast<Worksheet>(shared_from_this()), area);
}

Range Worksheet::Rows() const
{
    return Cells().Rows();
}

Range Worksheet::Rows(int row) const
{
    return Cells().Rows(row);
}

Range Worksheet::Rows(const QString &rows) const
{
    return Range(wholeLines(rows, CellAddress::Kind::WholeRows,
                            QStringLiteral("\"%1\" is not a row range such as \"3:5\".")));
}

Range Worksheet::Columns() const
{
    return Cells().Columns();
}

Range Worksheet::Columns(int column) const
{
    return Cells().Columns(column);
}

Range Worksheet::Columns(const QString &columns) const
{
    return Range(wholeLines(columns, CellAddress::Kind::WholeColumns,
                            QStringLiteral("\"%1\" is not a column range such as \"B:D\".")));
}

double Worksheet::StandardHeight() const
{
    return data().defaultRowHeight;
}

void Worksheet::Select()
{
    Activate();
}

void Worksheet::Activate()
{
    std::shared_ptr<Workbook> b = workbook();
    if (m_data->visible != -1)
        ModelErrors::refuse(
            QStringLiteral("Sheet \"%1\" is hidden and cannot be activated.").arg(m_data->name));
    b->setActiveSheet(m_data);
}

void Worksheet::Move(const std::shared_ptr<Worksheet> &before,
                     const std::shared_ptr<Worksheet> &after)
{
    std::shared_ptr<Workbook> b = workbook();
    const std::shared_ptr<Worksheet> &anchor = before ? before : after;
    if (!anchor)
        ModelErrors::refuse(QStringLiteral(
            "Moving a sheet into a new workbook is not supported; give Before or After."));
    if (anchor->workbook() != b)
        ModelErrors::refuse(QStringLiteral("Sheets can only be moved within their workbook."));
    if (anchor.get() == this) return;
    int from = b->indexOf(m_data);
    int target = b->indexOf(anchor->m_data) + (before ? 0 : 1);
    if (target > from) --target; // the sheet leaves its place first
    b->moveSheet(m_data, target);
}

Range Worksheet::Selection() const
{
    workbook();
    return excel::Range(std::const_pointer_cast<Worksheet>(shared_from_this()), m_selection);
}

void Worksheet::setSelection(const excel::Range &range)
{
    workbook();
    m_selection = range.rect();
    if (std::shared_ptr<Application> app = workbook()->application()) app->notifyViewChanged();
    auto handlers = m_selectionChange;
    for (auto &[id, handler] : handlers)
        handler(range);
}

int Worksheet::onChange(Handler handler)
{
    m_change[m_nextId] = std::move(handler);
    return m_nextId++;
}

int Worksheet::onSelectionChange(Handler handler)
{
    m_selectionChange[m_nextId] = std::move(handler);
    return m_nextId++;
}

void Worksheet::disconnect(int id)
{
    m_change.erase(id);
    m_selectionChange.erase(id);
}

void Worksheet::fireChange(const excel::Range &target)
{
    std::shared_ptr<Workbook> b = workbook();
    std::shared_ptr<Application> app = b->application();
    if (app && !app->EnableEvents()) return;
    auto handlers = m_change; // a handler may disconnect itself
    for (auto &[id, handler] : handlers)
        handler(target);
}

} // namespace excel
