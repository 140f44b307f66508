#pragma once

#include "platform/com/Variant.h"

#include <QString>
#include <memory>
#include <vector>

namespace excel {

class Application;
class Workbook;
class WorkbookPrefetch;

// The open workbooks of one application.
class Workbooks
{
public:
    explicit Workbooks(std::weak_ptr<Application> application)
        : m_application(std::move(application))
    {
    }

    // Opens an .xlsx, .xlsm or (when that reader is there) .xls file. A workbook of the same
    // full path that is already open is returned as it is. Raises 1004 with a message naming
    // the file when it cannot be read. A prefetch that holds a read of the same file hands
    // over what it read instead of the file being read again.
    std::shared_ptr<Workbook> Open(const QString &fileName, bool readOnly = false,
                                   WorkbookPrefetch *prefetch = nullptr);
    // A new workbook with Sheet1, Sheet2 and Sheet3; the template argument is accepted and
    // ignored (only plain worksheets are made).
    std::shared_ptr<Workbook> Add(const com::Variant &templateArgument = com::Variant());
    // Closes every workbook without saving.
    void Close();
    int Count() const;
    // 1-based; raises 9 outside 1..Count.
    std::shared_ptr<Workbook> Item(int index) const;
    std::shared_ptr<Workbook> Item(const QString &name) const;

    // Called by Workbook::Close.
    void remove(const Workbook *workbook);

private:
    void check() const;
    void add(const std::shared_ptr<Workbook> &workbook);

    std::weak_ptr<Application> m_application;
    std::vector<std::shared_ptr<Workbook>> m_books;
};

} // namespace excel
