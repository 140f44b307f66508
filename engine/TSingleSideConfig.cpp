#include "engine/TSingleSideConfig.h"

#include "core/ModCommon.h"
#include "core/ModFile.h"
#include "core/ModStl.h"
#include "core/ProcessGlobals.h"
#include "engine/ClsSessionOption.h"
#include "engine/ModCompare.h"
#include "engine/ModControlExcel.h"
#include "engine/ModExcel.h"
#include "engine/SheetComboBox.h"
#include "engine/SheetListView.h"
#include "engine/SideWindowHost.h"
#include "platform/excel/Application.h"
#include "platform/excel/Sheets.h"
#include "platform/excel/Window.h"
#include "platform/excel/Workbook.h"
#include "platform/excel/Workbooks.h"
#include "platform/excel/Worksheet.h"
#include "platform/win/MessageBox.h"

#include <algorithm>
#include <exception>

TSingleSideConfig::TSingleSideConfig()
    : m_keyCol(std::make_unique<ClsMap>()), m_dataCol(std::make_unique<ClsMap>())
{
}

TSingleSideConfig::~TSingleSideConfig()
{
    CloseExcelAll();
}

bool TSingleSideConfig::OpenDoc(excel::WorkbookPrefetch *prefetch)
{
    return ModExcel::OpenWorkbook(m_fileName, m_excelApp, m_doc, false, prefetch);
}

bool TSingleSideConfig::needsReading() const
{
    return ModExcel::WouldReadWorkbook(m_fileName, m_doc);
}

void TSingleSideConfig::InitDoc()
{
    OpenDoc();
}

void TSingleSideConfig::Initialize(int hParentWnd, const QString &strSheetName)
{
    m_hHostWnd = hParentWnd;
    ShowWnd(false);
    RecordVisibleSheets();
    ShowOneSheet(strSheetName);
}

void TSingleSideConfig::ShowWnd(bool blnShow)
{
    try {
        if (!m_excelApp) return;
        if (blnShow && m_hHostWnd > 0) {
            // Into the host before it shows: a window shown on its own first would flash on
            // the desktop, and the window system's late news of its own size would undo the
            // host's fitting.
            SideWindowHost *host = SideWindowHost::current();
            const win::HWND previous = host ? host->embed(m_excelApp->Hwnd(), m_hHostWnd) : 0;
            // Shown a second time, the window is in the host already: the parent to give it
            // back to stays the one it had before.
            if (previous != 0 && previous != m_hHostWnd) m_hPrevParentWnd = previous;
        }
        m_excelApp->setVisible(blnShow);
    } catch (const std::exception &) {
        // the side stays as far as it got
    }
}

void TSingleSideConfig::Event_ParentWndResize()
{
    SideWindowHost *host = SideWindowHost::current();
    if (!m_excelApp || m_hHostWnd <= 0 || !host) return;
    host->fit(m_excelApp->Hwnd(), m_hHostWnd);
}

void TSingleSideConfig::Restore()
{
    try {
        if (!m_excelApp) return;
        SideWindowHost *host = SideWindowHost::current();
        if (m_hPrevParentWnd >= 1 && host) host->giveBack(m_excelApp->Hwnd(), m_hPrevParentWnd);
        // The host goes with the view: a later ShowWnd must not put the window into it.
        m_hPrevParentWnd = 0;
        m_hHostWnd = 0;
        CloseDoc();
        ShowWnd(false);
    } catch (const std::exception &) {
        // the side stays as far as it got
    }
}

void TSingleSideConfig::Zoom(int nZoom)
{
    try {
        if (m_excelApp) m_excelApp->ActiveWindow()->setZoom(nZoom);
    } catch (const std::exception &) {
        // a value outside 10 to 400 leaves the window as it was
    }
}

void TSingleSideConfig::ShowOneSheet(const QString &strSheetName)
{
    ModControlExcel::ShowOnlySheet(m_doc, strSheetName);
}

int TSingleSideConfig::GetEndRow(const std::shared_ptr<excel::Worksheet> &sheet) const
{
    const qint64 byCount = qint64(m_startRow) + sheet->UsedRange().Rows().Count();
    // A used range that starts below row 1 ends lower than StartRow + its row count.
    const qint64 end = std::max<qint64>(byCount, ModExcel::GetLastUsedRow(sheet));
    return int(std::min<qint64>(end, CurrentOptions().MaxRowNum()));
}

bool TSingleSideConfig::CheckOpt(const ClsSessionOption &options, excel::WorkbookPrefetch *prefetch)
{
    const QString listTitle = QStringLiteral("输入参数合法性检查");
    m_keyCol = std::make_unique<ClsMap>();
    if (!ModCompare::ParseColumnList(m_keyColText, QStringLiteral(","), *m_keyCol)) {
        ModCommon::ShowMsg(m_keyColText + QStringLiteral("列有重复！"), win::vbCritical, listTitle);
        return false;
    }
    m_dataCol = std::make_unique<ClsMap>();
    if (!options.CompareAllCol() &&
        !ModCompare::ParseColumnList(m_dataColText, QStringLiteral(","), *m_dataCol)) {
        ModCommon::ShowMsg(m_dataColText + QStringLiteral("列有重复！"), win::vbCritical,
                           listTitle);
        return false;
    }
    if (!ModFile::FileExists(m_fileName)) {
        ModCommon::ShowMsg(QStringLiteral("文件 ") + m_fileName + QStringLiteral(" 不存在！"),
                           win::vbCritical, QStringLiteral("输入有效性检查"));
        return false;
    }
    return OpenDoc(prefetch);
}

void TSingleSideConfig::InitAllDataCol(int nEndCol)
{
    m_dataCol->RemoveAll();
    ModStl::FillMapWithNumbers(nEndCol, *m_dataCol);
}

int TSingleSideConfig::GetKeyColArray(QList<int> &aKeyColArray) const
{
    return m_keyCol->ToArray(aKeyColArray);
}

int TSingleSideConfig::GetDataColCount() const
{
    return m_dataCol->count();
}

int TSingleSideConfig::GetDataColArray(QList<int> &aDataColArray) const
{
    return m_dataCol->ToArray(aDataColArray);
}

void TSingleSideConfig::CloseDoc()
{
    ModExcel::CloseWorkbook(m_doc);
}

void TSingleSideConfig::ReOpenDoc()
{
    ModExcel::CloseWorkbook(m_doc);
    OpenDoc();
}

void TSingleSideConfig::CloseExcelAll()
{
    ModExcel::QuitExcel(m_excelApp, m_doc);
}

void TSingleSideConfig::RecordVisibleSheets()
{
    m_visibleSheets.RemoveAll();
    ModExcel::SaveVisibleSheets(m_doc, m_visibleSheets);
}

void TSingleSideConfig::OnBeforeSave()
{
    ModExcel::RestoreVisibleSheets(m_doc, m_visibleSheets);
}

QStringList TSingleSideConfig::sheetNames()
{
    QStringList names;
    try {
        // Reopened so that the list shows the file as it is on disk now.
        CloseDoc();
        if (!ModFile::FileExists(m_fileName) || !OpenDoc() || !m_excelApp) return names;
        auto books = m_excelApp->Workbooks();
        if (books->Count() < 1) return names;
        auto sheets = books->Item(1)->Worksheets();
        for (int i = 1; i <= sheets->Count(); ++i)
            names.append(sheets->Item(i)->Name());
    } catch (const std::exception &) {
        // The list shows what was read before the error.
    }
    return names;
}

void TSingleSideConfig::RefreshWorkSheet2ListView(SheetListView &ListView1)
{
    ListView1.clear();
    const QStringList names = sheetNames();
    for (const QString &name : names)
        ListView1.addItem(name);
    if (!names.isEmpty()) ListView1.setSelectedItem(1);
}

void TSingleSideConfig::RefreshWorkSheet(SheetComboBox &cbo, int nDefaultIdx)
{
    const QString kept = cbo.text();
    cbo.clear();
    const QStringList names = sheetNames();
    for (const QString &name : names)
        cbo.addItem(name);
    if (!kept.isEmpty())
        cbo.selectText(kept);
    else if (cbo.count() > 0)
        cbo.setListIndex(nDefaultIdx >= 0 && nDefaultIdx < cbo.count() ? nDefaultIdx : 0);
}

bool TSingleSideConfig::IsHasMerge(const std::shared_ptr<excel::Worksheet> &sheet) const
{
    QList<int> columns;
    m_keyCol->ToArray(columns);
    const QString endRow = QString::number(GetEndRow(sheet));
    for (int column : columns) {
        const QString letters = ModCommon::GetColumnLetter(column);
        const QString address =
            letters + QString::number(m_startRow) + QLatin1Char(':') + letters + endRow;
        if (ModExcel::HasMergedCells(sheet->Range(address))) return true;
    }
    return false;
}
