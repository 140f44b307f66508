#include "platform/excel/Workbook.h"

#include "platform/excel/Application.h"
#include "platform/excel/ModelErrors.h"
#include "platform/excel/Sheets.h"
#include "platform/excel/Workbooks.h"
#include "platform/excel/Worksheet.h"
#include "platform/excel/XlsxReader.h"
#include "platform/excel/XlsxWriter.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>

namespace excel {

Workbook::Workbook(std::weak_ptr<Application> application, std::unique_ptr<WorkbookData> data,
                   const QString &name, bool readOnly)
    : m_application(std::move(application)), m_data(std::move(data)), m_name(name),
      m_readOnly(readOnly)
{
    // The sheet the file was saved with in front, else the first visible one.
    const int active = m_data->activeSheet;
    if (active >= 0 && active < int(m_data->sheets.size()) &&
        m_data->sheets[std::size_t(active)]->visible == -1) {
        m_activeSheet = m_data->sheets[std::size_t(active)].get();
        return;
    }
    if (!m_data->sheets.empty()) m_activeSheet = m_data->sheets.front().get();
    for (auto &sheet : m_data->sheets)
        if (sheet->visible == -1) {
            m_activeSheet = sheet.get();
            break;
        }
}

Workbook::~Workbook() = default;

void Workbook::check() const
{
    if (m_closed) ModelErrors::gone(QStringLiteral("The workbook \"%1\"").arg(m_name));
    std::shared_ptr<Application> app = m_application.lock();
    if (!app || app->hasQuit())
        ModelErrors::gone(QStringLiteral("The application of workbook \"%1\"").arg(m_name));
}

WorkbookData &Workbook::data()
{
    check();
    return *m_data;
}

const WorkbookData &Workbook::data() const
{
    check();
    return *m_data;
}

QString Workbook::Name() const
{
    check();
    return m_name;
}

QString Workbook::FullName() const
{
    check();
    return m_data->path.isEmpty() ? m_name : m_data->path;
}

QString Workbook::Path() const
{
    check();
    return m_data->path.isEmpty() ? QString() : QFileInfo(m_data->path).absolutePath();
}

bool Workbook::ReadOnly() const
{
    check();
    return m_readOnly;
}

bool Workbook::Saved() const
{
    check();
    return m_saved;
}

void Workbook::setSaved(bool saved)
{
    check();
    m_saved = saved;
}

std::vector<QString> Workbook::warnings() const
{
    check();
    return m_data->warnings;
}

void Workbook::markChanged(SheetData *sheet)
{
    if (sheet) {
        sheet->modified = true;
        ++sheet->version;
    }
    m_saved = false;
    notifyWindow();
}

void Workbook::markStructureChanged()
{
    m_data->structureModified = true;
    m_saved = false;
    notifyWindow();
}

void Workbook::notifyWindow()
{
    if (std::shared_ptr<Application> app = m_application.lock()) app->notifyContentChanged();
}

void Workbook::write(const QString &path, XlsxWriter::Link link)
{
    QString error;
    if (!XlsxWriter::save(*m_data, path, &error, link))
        ModelErrors::refuse(
            error.isEmpty()
                ? QStringLiteral("Cannot save \"%1\".").arg(QDir::toNativeSeparators(path))
                : error);
    const QString full = QFileInfo(path).absoluteFilePath();
    const FileStamp written = FileStamp::of(full);
    // Read the file back so that the store matches it: new sheets get their part names and
    // edited styles and strings their places in the file, which the next save builds on.
    auto fresh = std::make_unique<WorkbookData>();
    QString readError;
    if (XlsxReader::read(full, fresh.get(), &readError) &&
        fresh->sheets.size() == m_data->sheets.size()) {
        std::map<const SheetData *, std::shared_ptr<Worksheet>> objects;
        SheetData *active = nullptr;
        for (std::size_t i = 0; i < m_data->sheets.size(); ++i) {
            SheetData *oldSheet = m_data->sheets[i].get();
            SheetData *newSheet = fresh->sheets[i].get();
            auto it = m_sheetObjects.find(oldSheet);
            if (it != m_sheetObjects.end()) {
                it->second->rebind(newSheet);
                objects[newSheet] = it->second;
            }
            if (oldSheet == m_activeSheet) active = newSheet;
        }
        m_sheetObjects = std::move(objects);
        m_activeSheet = active;
        fresh->warnings = m_data->warnings;
        m_data = std::move(fresh);
    } else {
        m_data->warnings.push_back(QStringLiteral("The saved file \"%1\" could not be read back "
                                                  "(%2); the next save writes every sheet again.")
                                       .arg(QDir::toNativeSeparators(full), readError));
        m_data->path = full;
        m_data->structureModified = true;
        for (auto &sheet : m_data->sheets) {
            sheet->modified = true;
            // The file just written holds the rows where the store has them.
            sheet->rowMoves.clear();
        }
    }
    m_data->path = full;
    m_data->fileStamp = written;
    m_data->format = full.endsWith(QLatin1String(".xlsm"), Qt::CaseInsensitive)
                         ? WorkbookData::Format::Xlsm
                         : WorkbookData::Format::Xlsx;
    m_name = QFileInfo(full).fileName();
    m_saved = true;
    notifyWindow(); // the caption names the file
}

bool Workbook::changedOnDisk() const
{
    if (m_closed || m_data->path.isEmpty() || m_data->fileStamp.size < 0) return false;
    return !(FileStamp::of(m_data->path) == m_data->fileStamp);
}

void Workbook::Save()
{
    check();
    if (m_readOnly)
        ModelErrors::refuse(
            QStringLiteral("\"%1\" was opened read-only; save it under another name with SaveAs.")
                .arg(m_name));
    if (m_data->format == WorkbookData::Format::New || m_data->path.isEmpty())
        ModelErrors::refuse(
            QStringLiteral("\"%1\" has never been saved; give it a file name with SaveAs.")
                .arg(m_name));
    if (m_data->format == WorkbookData::Format::Xls)
        ModelErrors::refuse(
            QStringLiteral("\"%1\" was read from a legacy .xls file, which is never overwritten; "
                           "save it under an .xlsx name with SaveAs.")
                .arg(m_name));
    write(m_data->path, m_link);
}

void Workbook::SaveAs(const QString &fileName, XlsxWriter::Link link)
{
    check();
    QString path = fileName;
    QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix.isEmpty()) {
        path += QStringLiteral(".xlsx");
    } else if (suffix == QLatin1String("xls")) {
        ModelErrors::refuse(QStringLiteral("\"%1\": workbooks are saved as .xlsx, never as .xls; "
                                           "choose a name ending in .xlsx.")
                                .arg(QDir::toNativeSeparators(fileName)));
    } else if (suffix != QLatin1String("xlsx") && suffix != QLatin1String("xlsm")) {
        ModelErrors::refuse(
            QStringLiteral("\"%1\": a workbook file name must end in .xlsx or .xlsm.")
                .arg(QDir::toNativeSeparators(fileName)));
    }
    write(path, link);
    m_link = link;
    m_readOnly = false;
}

void Workbook::Close()
{
    check();
    if (std::shared_ptr<Application> app = m_application.lock()) app->Workbooks()->remove(this);
    release();
}

void Workbook::release()
{
    m_closed = true;
    m_sheetObjects.clear();
    m_activeSheet = nullptr;
    m_data = std::make_unique<WorkbookData>();
    notifyWindow();
}

std::shared_ptr<Sheets> Workbook::Worksheets()
{
    check();
    if (!m_sheets) m_sheets = std::make_shared<excel::Sheets>(weak_from_this());
    return m_sheets;
}

std::shared_ptr<Sheets> Workbook::Sheets()
{
    return Worksheets();
}

std::shared_ptr<Worksheet> Workbook::ActiveSheet()
{
    check();
    if (indexOf(m_activeSheet) < 0)
        m_activeSheet = m_data->sheets.empty() ? nullptr : m_data->sheets.front().get();
    return m_activeSheet ? sheetObject(m_activeSheet) : nullptr;
}

void Workbook::Activate()
{
    check();
    if (std::shared_ptr<Application> app = m_application.lock())
        app->setActiveWorkbook(shared_from_this());
}

std::shared_ptr<Worksheet> Workbook::sheetObject(SheetData *sheet)
{
    check();
    auto it = m_sheetObjects.find(sheet);
    if (it != m_sheetObjects.end()) return it->second;
    auto ws = std::make_shared<Worksheet>(weak_from_this(), sheet);
    m_sheetObjects[sheet] = ws;
    return ws;
}

int Workbook::indexOf(const SheetData *sheet) const
{
    for (std::size_t i = 0; i < m_data->sheets.size(); ++i)
        if (m_data->sheets[i].get() == sheet) return int(i);
    return -1;
}

void Workbook::setActiveSheet(SheetData *sheet)
{
    m_activeSheet = sheet;
    notifyWindow();
}

void Workbook::moveSheet(SheetData *sheet, int newIndex)
{
    int from = indexOf(sheet);
    if (from < 0 || from == newIndex) return;
    auto owned = std::move(m_data->sheets[std::size_t(from)]);
    m_data->sheets.erase(m_data->sheets.begin() + from);
    newIndex = std::clamp(newIndex, 0, int(m_data->sheets.size()));
    m_data->sheets.insert(m_data->sheets.begin() + newIndex, std::move(owned));
    markStructureChanged();
}

std::shared_ptr<Worksheet> Workbook::addSheet(const QString &name, int index)
{
    auto sheet = std::make_unique<SheetData>();
    sheet->name = name;
    sheet->modified = true;
    SheetData *raw = sheet.get();
    index = std::clamp(index, 0, int(m_data->sheets.size()));
    m_data->sheets.insert(m_data->sheets.begin() + index, std::move(sheet));
    markStructureChanged();
    return sheetObject(raw);
}

} // namespace excel
