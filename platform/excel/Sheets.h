#pragma once

#include "platform/com/Variant.h"

#include <QString>
#include <memory>

namespace excel {

class Workbook;
class Worksheet;

// The worksheets of a workbook, in tab order (the Worksheets and Sheets collections).
class Sheets
{
public:
    explicit Sheets(std::weak_ptr<Workbook> workbook) : m_workbook(std::move(workbook)) {}

    int Count() const;
    // 1-based; raises 9 outside 1..Count.
    std::shared_ptr<Worksheet> Item(int index) const;
    // By name without regard to case; raises 9 when there is none.
    std::shared_ptr<Worksheet> Item(const QString &name) const;
    // By number or by name, as late-bound callers pass it.
    std::shared_ptr<Worksheet> Item(const com::Variant &indexOrName) const;
    // A new worksheet named SheetN (the first free N), placed last and made active; the type
    // argument is accepted and ignored.
    std::shared_ptr<Worksheet> Add(const com::Variant &type = com::Variant());

private:
    std::shared_ptr<Workbook> book() const;

    std::weak_ptr<Workbook> m_workbook;
};

} // namespace excel
