#include "engine/TSingleSideConfig.h"

#include "core/ModCommon.h"
#include "core/ModFile.h"
#include "core/ModStl.h"
#include "core/ProcessGlobals.h"
#include "engine/ClsSessionOption.h"
#include "engine/ModCompare.h"
#include "engine/ModExcel.h"
#include "platform/win/MessageBox.h"

#include <algorithm>

TSingleSideConfig::TSingleSideConfig() = default;

TSingleSideConfig::~TSingleSideConfig()
{
    CloseExcelAll();
}

bool TSingleSideConfig::OpenDoc()
{
    return ModExcel::OpenWorkbook(m_fileName, m_app, m_book, false);
}

void TSingleSideConfig::InitDoc()
{
    OpenDoc();
}

int TSingleSideConfig::GetEndRow(const SheetRef &sheet) const
{
    const int end = m_startRow + sheet->UsedRange().Rows().Count();
    return std::min(end, CurrentOptions().MaxRowNum());
}

bool TSingleSideConfig::CheckOpt(const ClsSessionOption &options)
{
    const QString title = QStringLiteral("输入参数合法性检查");
    m_keyCols.RemoveAll();
    if (!ModCompare::ParseColumnList(m_keyCol, QStringLiteral(","), m_keyCols)) {
        ModCommon::ShowMsg(m_keyCol + QStringLiteral("列有重复！"), win::vbCritical, title);
        return false;
    }
    m_dataCols.RemoveAll();
    if (!options.CompareAllCol() &&
        !ModCompare::ParseColumnList(m_dataCol, QStringLiteral(","), m_dataCols)) {
        ModCommon::ShowMsg(m_dataCol + QStringLiteral("列有重复！"), win::vbCritical, title);
        return false;
    }
    if (!ModFile::FileExists(m_fileName)) {
        ModCommon::ShowMsg(QStringLiteral("文件 ") + m_fileName + QStringLiteral(" 不存在！"),
                           win::vbCritical, QStringLiteral("输入有效性检查"));
        return false;
    }
    return OpenDoc();
}

void TSingleSideConfig::InitAllDataCol(int nEndCol)
{
    m_dataCols.RemoveAll();
    ModStl::FillMapWithNumbers(nEndCol, m_dataCols);
}

int TSingleSideConfig::GetKeyColArray(QList<int> &columns) const
{
    return m_keyCols.ToArray(columns);
}

int TSingleSideConfig::GetDataColArray(QList<int> &columns) const
{
    return m_dataCols.ToArray(columns);
}

void TSingleSideConfig::CloseDoc()
{
    ModExcel::CloseWorkbook(m_book);
}

void TSingleSideConfig::CloseExcelAll()
{
    ModExcel::QuitExcel(m_app, m_book);
}

bool TSingleSideConfig::IsHasMerge(const SheetRef &sheet) const
{
    QList<int> columns;
    m_keyCols.ToArray(columns);
    const QString rows = QStringLiteral("%1:%2");
    const int endRow = GetEndRow(sheet);
    for (int column : columns) {
        const QString letters = ModCommon::GetColumnLetter(column);
        const QString address =
            rows.arg(letters + QString::number(m_startRow), letters + QString::number(endRow));
        if (ModExcel::HasMergedCells(sheet->Range(address))) return true;
    }
    return false;
}
