#include "platform/excel/Workbooks.h"

#include "platform/excel/Application.h"
#include "platform/excel/ModelErrors.h"
#include "platform/excel/Workbook.h"
#include "platform/excel/WorkbookFile.h"
#include "platform/excel/WorkbookPrefetch.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>

namespace excel {

void Workbooks::check() const
{
    std::shared_ptr<Application> app = m_application.lock();
    if (!app || app->hasQuit()) ModelErrors::gone(QStringLiteral("The application"));
}

void Workbooks::add(const std::shared_ptr<Workbook> &workbook)
{
    m_books.push_back(workbook);
    if (std::shared_ptr<Application> app = m_application.lock()) app->setActiveWorkbook(workbook);
}

std::shared_ptr<Workbook> Workbooks::Open(const QString &fileName, bool readOnly,
                                          WorkbookPrefetch *prefetch)
{
    check();
    const QString full = QFileInfo(fileName).absoluteFilePath();
    for (const auto &book : m_books)
        if (!book->isClosed() && book->FullName() == full) return book;
    std::unique_ptr<WorkbookData> data;
    QString error;
    if (prefetch && prefetch->holds(full)) {
        if (!prefetch->take(&data, &error)) ModelErrors::refuse(error);
    } else {
        data = std::make_unique<WorkbookData>();
        if (!WorkbookFile::read(full, data.get(), &error)) ModelErrors::refuse(error);
    }
    data->path = full;
    // A file its owner may not write opens read-only, whatever the caller asked for.
    const bool locked = !(QFile::permissions(full) & QFileDevice::WriteOwner);
    auto book = std::make_shared<Workbook>(m_application, std::move(data),
                                           QFileInfo(full).fileName(), readOnly || locked);
    add(book);
    return book;
}

std::shared_ptr<Workbook> Workbooks::Add(const com::Variant &)
{
    check();
    auto data = std::make_unique<WorkbookData>();
    data->format = WorkbookData::Format::New;
    for (int i = 1; i <= 3; ++i) {
        auto sheet = std::make_unique<SheetData>();
        sheet->name = QStringLiteral("Sheet%1").arg(i);
        sheet->modified = true;
        data->sheets.push_back(std::move(sheet));
    }
    auto book = std::make_shared<Workbook>(m_application, std::move(data),
                                           m_application.lock()->nextBookName(), false);
    add(book);
    return book;
}

void Workbooks::Close()
{
    std::vector<std::shared_ptr<Workbook>> books = m_books;
    for (const auto &book : books)
        if (!book->isClosed()) book->release();
    m_books.clear();
}

int Workbooks::Count() const
{
    check();
    return int(m_books.size());
}

std::shared_ptr<Workbook> Workbooks::Item(int index) const
{
    check();
    if (index < 1 || index > int(m_books.size()))
        ModelErrors::noSuchItem(QStringLiteral("There is no workbook number %1.").arg(index));
    return m_books[std::size_t(index - 1)];
}

std::shared_ptr<Workbook> Workbooks::Item(const QString &name) const
{
    check();
    for (const auto &book : m_books)
        if (book->Name().compare(name, Qt::CaseInsensitive) == 0) return book;
    ModelErrors::noSuchItem(QStringLiteral("There is no open workbook named \"%1\".").arg(name));
}

void Workbooks::remove(const Workbook *workbook)
{
    m_books.erase(
        std::remove_if(m_books.begin(), m_books.end(),
                       [&](const std::shared_ptr<Workbook> &b) { return b.get() == workbook; }),
        m_books.end());
}

} // namespace excel
