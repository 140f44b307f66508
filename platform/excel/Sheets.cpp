#include "platform/excel/Sheets.h"

#include "platform/excel/ModelErrors.h"
#include "platform/excel/Workbook.h"
#include "platform/excel/Worksheet.h"

namespace excel {

std::shared_ptr<Workbook> Sheets::book() const
{
    std::shared_ptr<Workbook> b = m_workbook.lock();
    if (!b) ModelErrors::gone(QStringLiteral("The workbook"));
    b->check();
    return b;
}

int Sheets::Count() const
{
    return int(book()->data().sheets.size());
}

std::shared_ptr<Worksheet> Sheets::Item(int index) const
{
    std::shared_ptr<Workbook> b = book();
    auto &sheets = b->data().sheets;
    if (index < 1 || index > int(sheets.size()))
        ModelErrors::noSuchItem(
            QStringLiteral("Workbook \"%1\" has no sheet number %2.").arg(b->Name()).arg(index));
    return b->sheetObject(sheets[std::size_t(index - 1)].get());
}

std::shared_ptr<Worksheet> Sheets::Item(const QString &name) const
{
    std::shared_ptr<Workbook> b = book();
    for (auto &sheet : b->data().sheets)
        if (sheet->name.compare(name, Qt::CaseInsensitive) == 0) return b->sheetObject(sheet.get());
    ModelErrors::noSuchItem(
        QStringLiteral("Workbook \"%1\" has no sheet named \"%2\".").arg(b->Name(), name));
}

std::shared_ptr<Worksheet> Sheets::Item(const com::Variant &indexOrName) const
{
    if (indexOrName.isString()) return Item(indexOrName.stringValue());
    return Item(int(indexOrName.toLong()));
}

std::shared_ptr<Worksheet> Sheets::Add(const com::Variant &)
{
    std::shared_ptr<Workbook> b = book();
    auto &sheets = b->data().sheets;
    QString name;
    for (int n = 1;; ++n) {
        name = QStringLiteral("Sheet%1").arg(n);
        bool taken = false;
        for (auto &sheet : sheets)
            taken = taken || sheet->name.compare(name, Qt::CaseInsensitive) == 0;
        if (!taken) break;
    }
    std::shared_ptr<Worksheet> ws = b->addSheet(name, int(sheets.size()));
    ws->Activate();
    return ws;
}

} // namespace excel
