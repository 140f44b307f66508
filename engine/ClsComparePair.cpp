#include "engine/ClsComparePair.h"

#include "core/ClsLanguage.h"
#include "core/ClsLogFile.h"
#include "core/ModCommon.h"
#include "core/ModFile.h"
#include "engine/ClsSessionOption.h"
#include "engine/ClsTxtCompareResult.h"
#include "engine/ClsWrappedSheet.h"
#include "engine/CompareMainWindow.h"
#include "engine/CompareProgressBar.h"
#include "engine/KeyRowIndex.h"
#include "engine/ModCompare.h"
#include "engine/ModExcel.h"
#include "engine/TSingleSideConfig.h"
#include "engine/TXlsCompareResult.h"
#include "engine/ThrottledYield.h"
#include "platform/excel/Application.h"
#include "platform/excel/CellAddress.h"
#include "platform/excel/CellStore.h"
#include "platform/excel/SheetData.h"
#include "platform/excel/Sheets.h"
#include "platform/excel/Workbook.h"
#include "platform/excel/WorkbookData.h"
#include "platform/excel/Worksheet.h"
#include "platform/shell/ShellExecute.h"
#include "platform/text/BasicError.h"
#include "platform/text/BasicText.h"
#include "platform/win/MessageBox.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cstring>
#include <exception>

namespace {

const QString kTitle = QStringLiteral("Quorva");

// Two paths name the same file (links and ".." resolved when the file exists).
bool sameFile(const QString &a, const QString &b)
{
    if (a.isEmpty() || b.isEmpty()) return false;
    const QFileInfo fa(a), fb(b);
    const QString ca = fa.canonicalFilePath(), cb = fb.canonicalFilePath();
    if (!ca.isEmpty() && !cb.isEmpty()) return ca == cb;
    return fa.absoluteFilePath() == fb.absoluteFilePath();
}

QString fullNameOf(const std::shared_ptr<excel::Workbook> &book)
{
    if (!book) return QString();
    try {
        return book->FullName();
    } catch (const std::exception &) {
        return QString();
    }
}

// Why a report folder could not be made: the first level that is a file, or that could not be
// created where its parent is.
QString folderFailure(const QString &folder)
{
    QString level = folder.startsWith(QLatin1Char('/')) ? QString() : QStringLiteral(".");
    for (const QString &piece : folder.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        const QString parent = level.isEmpty() ? QStringLiteral("/") : level;
        level += QLatin1Char('/') + piece;
        const QFileInfo info(level);
        if (info.isDir()) continue;
        if (info.exists())
            return QStringLiteral("%1 是文件，不是文件夹，报告目录无法建立。").arg(level);
        if (!QFileInfo(parent).isWritable())
            return QStringLiteral("没有在 %1 中建立文件夹的权限。").arg(parent);
        return QStringLiteral("文件夹 %1 无法建立。").arg(level);
    }
    return QString();
}

} // namespace

QString ClsComparePair::reportBaseName(const QString &sheetName)
{
    // Spreadsheet programs refuse "/" in sheet names, but a file can still hold one, and a name
    // such as "../x" would make the run delete and replace a file outside the report folder.
    // Control characters make names no file manager shows, a leading "." hides the report, and
    // a name longer than a folder entry takes could not be created at all.
    QString name;
    name.reserve(sheetName.size());
    for (QChar c : sheetName) {
        const bool control = c.unicode() < 0x20 || c.unicode() == 0x7f ||
                             (c.unicode() >= 0x80 && c.unicode() < 0xa0);
        name.append(control || c == QLatin1Char('/') ? QLatin1Char('_') : c);
    }
    if (name.startsWith(QLatin1Char('.'))) name[0] = QLatin1Char('_');
    if (name.isEmpty()) name = QStringLiteral("_");
    // Room is kept for a "(n)" of a unique name and the extension within the 255 bytes of an
    // entry; the cut never splits a character.
    constexpr qsizetype kMaxBytes = 200;
    qsizetype bytes = 0, keep = 0;
    for (; keep < name.size(); ++keep) {
        const char16_t c = name.at(keep).unicode();
        // UTF-8 bytes: each half of a surrogate pair counts two of the pair's four.
        const int size = c < 0x80 ? 1 : c < 0x800 || QChar::isSurrogate(c) ? 2 : 3;
        if (bytes + size > kMaxBytes) break;
        bytes += size;
    }
    if (keep < name.size() && keep > 0 && name.at(keep - 1).isHighSurrogate()) --keep;
    name.truncate(keep);
    return name;
}

// Tells from the cell stores whether two cells certainly read as the same text, without making
// either text: the common case of a comparison is equal cells, and turning every number into
// its text would cost more than the whole matching. Two cells of one kind with the same raw
// value read alike (the text of a value is a function of the value). "No" means "not known":
// the caller then compares the texts. A row pair is taken once (setRows), then its cells are
// probed column by column.
class ClsComparePair::CellProbe
{
public:
    CellProbe(const ClsWrappedSheet &left, const ClsWrappedSheet &right)
        : m_leftOwner(left.worksheet()->workbook()), m_rightOwner(right.worksheet()->workbook()),
          m_leftBook(&left.worksheet()->book()), m_rightBook(&right.worksheet()->book()),
          m_leftSheet(&left.worksheet()->data()), m_rightSheet(&right.worksheet()->data()),
          m_leftEndRow(left.endRow()), m_rightEndRow(right.endRow())
    {
    }

    void setRows(int leftRow, int rightRow)
    {
        // A workbook closed while the run yielded has freed its cells.
        if (m_leftOwner->isClosed() || m_rightOwner->isClosed())
            throw BasicError(462, QStringLiteral("The compared workbook is no longer available."));
        m_left = rowOf(*m_leftSheet, leftRow, m_leftEndRow);
        m_right = rowOf(*m_rightSheet, rightRow, m_rightEndRow);
    }

    bool identical(int leftColumn, int rightColumn) const
    {
        const excel::Cell *a = m_left.find(leftColumn);
        const excel::Cell *b = m_right.find(rightColumn);
        const bool aBlank = !a || a->kind() == excel::CellKind::Blank;
        const bool bBlank = !b || b->kind() == excel::CellKind::Blank;
        if (aBlank || bBlank) return aBlank && bBlank;
        if (a->kind() != b->kind()) return false;
        switch (a->kind()) {
        case excel::CellKind::Number: {
            const double x = a->number(), y = b->number();
            if (std::memcmp(&x, &y, sizeof x) != 0) return false;
            const bool aDate = isDate(*m_leftBook, *a);
            return aDate == isDate(*m_rightBook, *b) &&
                   (!aDate || m_leftBook->date1904 == m_rightBook->date1904);
        }
        case excel::CellKind::String:
            return text(*m_leftBook, *a) == text(*m_rightBook, *b);
        case excel::CellKind::Boolean:
            return a->boolean() == b->boolean();
        case excel::CellKind::Error:
            return a->error() == b->error();
        case excel::CellKind::Blank:
            break;
        }
        return true;
    }

private:
    // The stored cells of one row, sorted by column.
    struct Row
    {
        const excel::CellRow *cells = nullptr;

        const excel::Cell *find(int column) const
        {
            return cells ? cells->find(std::uint32_t(column)) : nullptr;
        }
    };

    static Row rowOf(const excel::SheetData &sheet, int row, int endRow)
    {
        // A row after the end row reads as empty, as the in-memory copy reads it.
        if (row < 1 || row > endRow || std::size_t(row) > sheet.rows.size()) return Row{};
        return Row{&sheet.rows[std::size_t(row) - 1]};
    }
    static bool isDate(const excel::WorkbookData &book, const excel::Cell &cell)
    {
        return cell.style < book.styles.size() && book.styles[cell.style].isDate;
    }
    static QStringView text(const excel::WorkbookData &book, const excel::Cell &cell)
    {
        return cell.string() < book.strings.size() ? book.strings.view(cell.string())
                                                   : QStringView();
    }

    std::shared_ptr<const excel::Workbook> m_leftOwner;
    std::shared_ptr<const excel::Workbook> m_rightOwner;
    const excel::WorkbookData *m_leftBook;
    const excel::WorkbookData *m_rightBook;
    const excel::SheetData *m_leftSheet;
    const excel::SheetData *m_rightSheet;
    int m_leftEndRow;
    int m_rightEndRow;
    Row m_left;
    Row m_right;
};

// The recorder exists before the first comparison, empty: a detail run without compare items
// shows its pairs uncompared, and the view reads their (empty) results.
ClsComparePair::ClsComparePair() : m_recorder(std::make_shared<ClsTxtCompareResult>()) {}

ClsComparePair::~ClsComparePair()
{
    ClearObjects();
    // The report stays open for the user after the pair is gone, until its application quits.
    static std::vector<AppRef> leftOpen;
    std::erase_if(leftOpen, [](const AppRef &app) { return app->hasQuit(); });
    if (m_reportApp && !m_reportApp->hasQuit()) leftOpen.push_back(m_reportApp);
}

qint64 ClsComparePair::tickCount()
{
    static QElapsedTimer clock;
    if (!clock.isValid()) clock.start();
    return clock.elapsed();
}

void ClsComparePair::SetAppendOpt(std::shared_ptr<ClsSessionOption> options)
{
    m_options = std::move(options);
}

bool ClsComparePair::bindSheet(const BookRef &workbook, const QString &name, SheetRef &sheet) const
{
    sheet = nullptr;
    if (!workbook)
        throw BasicError(BasicError::ObjectVariableNotSet,
                         QStringLiteral("工作表 %1 所在的工作簿没有打开").arg(name));
    if (!ModExcel::SheetExists(name, workbook))
        throw BasicError(
            BasicError::SubscriptOutOfRange,
            QStringLiteral("工作簿 %1 中没有工作表 %2").arg(fullNameOf(workbook), name));
    sheet = workbook->Worksheets()->Item(name);
    return true;
}

void ClsComparePair::InitLeft(BookRef workbook, const QString &sheetName)
{
    m_leftBook = std::move(workbook);
    if (sheetName.isEmpty() && !m_leftSheetName.isEmpty()) SetLeftSheet(m_leftSheetName);
}

void ClsComparePair::InitRight(BookRef workbook, const QString &sheetName)
{
    m_rightBook = std::move(workbook);
    if (sheetName.isEmpty() && !m_rightSheetName.isEmpty()) SetRightSheet(m_rightSheetName);
}

void ClsComparePair::SetLeftSheet(const QString &name)
{
    m_leftSheetName = name;
    bindSheet(m_leftBook, name, m_leftSheet);
}

void ClsComparePair::SetRightSheet(const QString &name)
{
    m_rightSheetName = name;
    bindSheet(m_rightBook, name, m_rightSheet);
}

int ClsComparePair::GetKeyCompareMethod() const
{
    return m_options && m_options->IgnoreCase_Key() ? 1 : 0;
}

bool ClsComparePair::DealMerge() const
{
    return m_options && m_options->DealMerge();
}

bool ClsComparePair::isEqual(const QString &leftText, const QString &rightText, bool ignoreCase)
{
    if (leftText == rightText) return true;
    if (m_options->UseScript() && m_userEqual) return m_userEqual(leftText, rightText);
    return ignoreCase && BasicText::equalsText(leftText, rightText);
}

bool ClsComparePair::IsEqua_Key(const QString &leftText, const QString &rightText)
{
    return isEqual(leftText, rightText, m_options->IgnoreCase_Key());
}

bool ClsComparePair::IsEqua_Data(const QString &leftText, const QString &rightText)
{
    return isEqual(leftText, rightText, m_options->IgnoreCase_Text());
}

void ClsComparePair::ClearObjects()
{
    m_probe.reset();
    m_recorder.reset();
    m_diffSheet.reset();
    m_leftSingleSheet.reset();
    m_rightSingleSheet.reset();
    if (m_logFile) m_logFile->CloseFile();
    m_logFile.reset();
    m_leftWrapped.reset();
    m_rightWrapped.reset();
}

bool ClsComparePair::refuseReportPath(const QString &path)
{
    const QString left = fullNameOf(m_leftBook);
    const QString right = fullNameOf(m_rightBook);
    if (!sameFile(path, left) && !sameFile(path, right)) return false;
    // The report is named after the left sheet and replaces any file of that name: here that
    // file is a workbook being compared, which must never be deleted.
    ModCommon::ShowMsg(QStringLiteral("报告文件 %1 就是正在比较的工作簿，不能删除或覆盖它。"
                                      "请换一个报告目录，或者给工作簿改名。")
                           .arg(path),
                       win::vbCritical, kTitle);
    return true;
}

void ClsComparePair::InitResultSheets()
{
    if (m_options->DiffSheetName().isEmpty()) m_options->setDiffSheetName(QStringLiteral("diff"));
    if (m_options->LeftSingleSheetName().isEmpty())
        m_options->setLeftSingleSheetName(QStringLiteral("LeftSingle"));
    if (m_options->RightSingleSheetName().isEmpty())
        m_options->setRightSingleSheetName(QStringLiteral("RightSingle"));
    // Equal names would share one sheet and overwrite each other's rows.
    const QStringList names = TXlsCompareResult::DistinctSheetNames(
        {m_options->DiffSheetName(), m_options->LeftSingleSheetName(),
         m_options->RightSingleSheetName()});
    m_diffSheet = std::make_unique<TXlsCompareResult>();
    m_leftSingleSheet = std::make_unique<TXlsCompareResult>();
    m_rightSingleSheet = std::make_unique<TXlsCompareResult>();
    m_diffSheet->Initialize(names.at(0));
    m_leftSingleSheet->Initialize(names.at(1));
    m_rightSingleSheet->Initialize(names.at(2));
}

void ClsComparePair::CreateOutSheet(TXlsCompareResult &sheet)
{
    if (!m_reportBook || !ModExcel::IsWorkbookAlive(m_reportBook)) {
        if (!ModExcel::NewWorkbook(m_reportApp, m_reportBook))
            throw BasicError(BasicError::ObjectVariableNotSet,
                             QStringLiteral("不能创建报告工作簿"));
    }
    sheet.m_OutSheet = ModExcel::GetOrAddSheet(m_reportBook, sheet.OutSheetName());
}

void ClsComparePair::PrepareXlsReport()
{
    m_reportOpen = false;
    if (!m_options->ShowXlsReport() || m_options->CompareInDetail()) return;
    // A previous report of this pair is replaced when the new one is saved (atomically), so
    // it is not deleted here: a failed save then still leaves the old report whole.
    ModExcel::QuitExcel(m_reportApp, m_reportBook);
    if (m_options->ShowDiffInXls()) CreateOutSheet(*m_diffSheet);
    if (m_options->ShowLeftSingleInXls()) CreateOutSheet(*m_leftSingleSheet);
    if (m_options->ShowRightSingleInXls()) CreateOutSheet(*m_rightSingleSheet);
    m_reportOpen = true;
    if (m_reportApp) m_reportApp->setScreenUpdating(true);
}

ClsComparePair::Prepared ClsComparePair::BeforeCompare()
{
    if (!m_leftSheet || !m_rightSheet) return Prepared::NoSheet;

    ClearObjects();
    m_recorder = std::make_shared<ClsTxtCompareResult>();
    m_leftWrapped = std::make_unique<ClsWrappedSheet>();
    m_rightWrapped = std::make_unique<ClsWrappedSheet>();
    m_unmatchedCount = 0;
    m_matchedCount = 0;
    m_diffRowCount = 0;
    m_endRowReached = 0;
    m_cancelled = false;
    m_lastPercent = -1;
    m_matchedRows.clear();
    m_keyWarnings.clear();

    // A comparison covers rows 1 to 65,536 and columns A to IV, as the reader warns when a
    // sheet holds more: a column past ZZ has no letter to record a difference under.
    m_leftEndRow = std::min(ModExcel::GetLastUsedRow(m_leftSheet), excel::CellAddress::GridRows);
    m_rightEndRow = std::min(ModExcel::GetLastUsedRow(m_rightSheet), excel::CellAddress::GridRows);
    m_leftEndCol =
        std::min(ModExcel::GetLastUsedColumn(m_leftSheet), excel::CellAddress::GridColumns);
    m_rightEndCol =
        std::min(ModExcel::GetLastUsedColumn(m_rightSheet), excel::CellAddress::GridColumns);

    InitResultSheets();

    // Both report names come from the LEFT sheet's name. Nothing is deleted or created before
    // they are known not to be one of the compared workbooks.
    const QString reportPath = m_options->ReportPath();
    const QString logPath = reportPath + reportBaseName(m_leftSheetName) + QStringLiteral(".txt");
    const QString reportFile =
        reportPath + reportBaseName(m_leftSheetName) + QStringLiteral(".xlsx");
    const bool makesWorkbook = m_options->ShowXlsReport() && !m_options->CompareInDetail();
    if (refuseReportPath(logPath) || (makesWorkbook && refuseReportPath(reportFile)))
        return Prepared::ReportRefused;

    PrepareXlsReport();

    m_diffSheet->setMaxCol(std::max(m_leftEndCol, m_rightEndCol) + 2);
    m_leftSingleSheet->setMaxCol(m_leftEndCol);
    m_rightSingleSheet->setMaxCol(m_rightEndCol);

    // "Compare all columns" covers the wider sheet: a column that holds values on one side
    // only is a difference (the other side reads as empty there), not something to pass over.
    if (m_options->CompareAllCol()) {
        const int columns = std::max(m_leftEndCol, m_rightEndCol);
        m_leftSide->InitAllDataCol(columns);
        m_rightSide->InitAllDataCol(columns);
    }

    m_logFile = std::make_unique<ClsLogFile>();
    const bool folderMade = ModFile::CreateFolderPath(reportPath);
    QFile::remove(logPath);
    m_logFileName = ModFile::GetUniqueFileName(logPath);
    m_reportExcelFileName = reportFile;

    bool ready = m_logFile->SetFileName(m_logFileName);
    if (!ready) {
        // The message's first line is the one users and scripts know; the second says why.
        QString why = folderMade ? QString() : folderFailure(reportPath);
        if (why.isEmpty())
            why = QFileInfo(m_logFileName).isDir()
                      ? QStringLiteral("%1 是文件夹。").arg(m_logFileName)
                      : m_logFile->errorString();
        ModCommon::ShowMsg(QStringLiteral("Can't Create log file ") + m_logFileName +
                               (why.isEmpty() ? QString() : QLatin1Char('\n') + why),
                           win::vbCritical, QString());
    }

    m_leftHasMerge = false;
    m_rightHasMerge = false;
    if (m_options->DealMerge()) {
        m_leftHasMerge = m_leftSide->IsHasMerge(m_leftSheet);
        m_rightHasMerge = m_rightSide->IsHasMerge(m_rightSheet);
    }

    m_diffSheet->InitInputSheet(m_leftSheet, m_rightSheet);
    m_diffSheet->setInputLastColumns(m_leftEndCol, m_rightEndCol);
    m_diffSheet->setLeftName(m_options->LeftName());
    m_diffSheet->setRightName(m_options->RightName());
    m_leftSingleSheet->InitInputSheet(m_leftSheet, m_rightSheet);
    m_leftSingleSheet->setInputLastColumns(m_leftEndCol, m_rightEndCol);
    m_rightSingleSheet->InitInputSheet(m_rightSheet, nullptr);
    m_rightSingleSheet->setInputLastColumns(m_rightEndCol, 0);

    auto prepare = [this](ClsWrappedSheet &wrapped, int endCol, const SideRef &side,
                          const SheetRef &sheet, int endRow) {
        wrapped.setEndCol(endCol);
        wrapped.SetAppendOpt(m_options);
        wrapped.SetUserConfigObj(*side);
        wrapped.Init(sheet, endRow);
    };
    prepare(*m_leftWrapped, m_leftEndCol, m_leftSide, m_leftSheet, m_leftEndRow);
    prepare(*m_rightWrapped, m_rightEndCol, m_rightSide, m_rightSheet, m_rightEndRow);
    if (m_leftWrapped->inMemory() && m_rightWrapped->inMemory())
        m_probe = std::make_unique<CellProbe>(*m_leftWrapped, *m_rightWrapped);

    return ready ? Prepared::Ready : Prepared::NoLogFile;
}

int ClsComparePair::BeginCompare()
{
    m_compared = false;
    if (m_options->IsCompareNone()) return Done;
    if (m_options->CompareMethod() == ClsSessionOption::CompareByKey) return BeginCompareByKeyCol();
    return BeginCompareRowByRow();
}

void ClsComparePair::markMatched(int leftRow, int rightRow)
{
    if (leftRow < 0) return;
    if (std::size_t(leftRow) >= m_matchedRows.size())
        m_matchedRows.resize(
            std::max<std::size_t>(std::size_t(leftRow) + 1, std::size_t(m_leftEndRow) + 2), 0);
    int &slot = m_matchedRows[std::size_t(leftRow)];
    if (slot == 0) slot = rightRow; // the first right row matched stays
}

int ClsComparePair::matchedRightRow(int leftRow) const
{
    if (leftRow < 0 || std::size_t(leftRow) >= m_matchedRows.size()) return 0;
    return m_matchedRows[std::size_t(leftRow)];
}

void ClsComparePair::setProgress(int row, int start, int end)
{
    if (!m_progressBar || end <= start) return;
    const int percent = int(qint64(row - start) * 100 / (end - start));
    if (percent == m_lastPercent) return;
    m_lastPercent = percent;
    m_progressBar->setValue(percent);
}

void ClsComparePair::writeMethodLine(const QString &line)
{
    if (m_logFile) m_logFile->WriteLine(line);
}

int ClsComparePair::BeginCompareByKeyCol()
{
    const qint64 start = tickCount();
    if (BeforeCompare() != Prepared::Ready) return Done;
    m_compared = true;

    // Held only while rows are matched: the reports that follow need the memory.
    auto keyMap = std::make_unique<KeyRowIndex>(GetKeyCompareMethod() != 0);
    keyMap->reserve(std::max(0, m_leftEndRow - m_leftSide->StartRow() + 1));
    const ModCompare::AddKeyRow addKey = [&keyMap](const QStringList &keyRow, int row) {
        keyMap->add(keyRow, row);
    };

    // Keys of a side with merged key cells are read from the live sheet, through their merged
    // areas; all others from the side's in-memory view (which reads the live sheet itself when
    // the view could not be taken). Both paths trim alike.
    const bool trim = m_options->UseTrimForKey();
    const ClsWrappedSheet &leftWrapped = *m_leftWrapped;
    const ClsWrappedSheet &rightWrapped = *m_rightWrapped;
    const ModCompare::BlockCellText leftKeys = [&leftWrapped](int row, int column) {
        return leftWrapped.GetCell(row, column);
    };
    const ModCompare::BlockCellText rightKeys = [&rightWrapped](int row, int column) {
        return rightWrapped.GetCell(row, column);
    };

    int firstLeftRow = m_leftSide->StartRow();
    if (m_leftHasMerge) {
        int rowCount = m_leftSheet->UsedRange().Rows().Count();
        ModCompare::LoadKeyRowsFromSheet(m_leftSheet, firstLeftRow, rowCount,
                                         m_leftSide->GetKeyCol(), addKey, DealMerge(), trim);
    } else {
        ModCompare::LoadKeyRowsFromArray(leftKeys, firstLeftRow, m_leftEndRow,
                                         m_leftSide->GetKeyCol(), addKey, trim);
    }

    QList<int> leftKeyCols, rightKeyCols, leftDataCols, rightDataCols;
    m_leftSide->GetKeyColArray(leftKeyCols);
    m_rightSide->GetKeyColArray(rightKeyCols);
    m_leftSide->GetDataColArray(leftDataCols);
    m_rightSide->GetDataColArray(rightDataCols);
    const int lastPairIndex = int(std::min(leftDataCols.size(), rightDataCols.size())) - 1;

    ThrottledYield yield;
    QStringList keyRow;
    const int first = m_rightSide->StartRow();
    m_recorder->reserve(std::max(0, m_rightEndRow - first + 1));
    int i = first;
    for (; i <= m_rightEndRow; ++i) {
        if (i > first) setProgress(i, first, m_rightEndRow);
        if (yield.cancelled()) {
            m_cancelled = true;
            break;
        }
        if (m_rightHasMerge)
            ModCompare::ReadSheetRowCells(m_rightSheet, i, rightKeyCols, keyRow, DealMerge(), trim);
        else
            ModCompare::ReadArrayRowCells(rightKeys, i, rightKeyCols, keyRow, trim);
        if (ModCommon::IsStrArrayEmpty(keyRow)) continue;
        if (const int leftRow = keyMap->find(keyRow)) {
            ++m_matchedCount;
            DealDiffRow(leftRow, i, lastPairIndex, leftDataCols, rightDataCols);
            markMatched(leftRow, i);
        } else {
            ++m_unmatchedCount;
            OnFoundRightSingle(i);
        }
    }
    m_endRowReached = i;
    keyMap.reset();
    checkKeyValues(true);
    checkKeyValues(false);

    CreateXlsReport(leftKeyCols);
    writeMethodLine(QStringLiteral("比较方法：基于关键列的比较"));
    EndWork(start);
    return Done;
}

int ClsComparePair::BeginCompareRowByRow()
{
    const qint64 start = tickCount();
    if (BeforeCompare() != Prepared::Ready) return Done;
    m_compared = true;

    // Pair k compares the k-th data column of each side. A listed pair whose column lies beyond
    // its sheet's last used column is dropped as a whole, so that the pairs after it keep their
    // partners; all columns run to the wider sheet's last one.
    QList<int> leftListed, rightListed;
    m_leftSide->GetDataColArray(leftListed);
    m_rightSide->GetDataColArray(rightListed);
    QList<int> leftDataCols, rightDataCols;
    const bool allColumns = m_options->CompareAllCol();
    const qsizetype pairs = std::min(leftListed.size(), rightListed.size());
    for (qsizetype k = 0; k < pairs; ++k) {
        const bool leftBeyond = leftListed.at(k) > m_leftEndCol;
        const bool rightBeyond = rightListed.at(k) > m_rightEndCol;
        if (allColumns ? leftBeyond && rightBeyond : leftBeyond || rightBeyond) continue;
        leftDataCols.append(leftListed.at(k));
        rightDataCols.append(rightListed.at(k));
    }
    const int n = int(rightDataCols.size()) - 1;
    if (n < 0) return NoDataColumn;

    // Emptiness is judged over each side's own columns within its sheet.
    QList<int> leftEmptyCols, rightEmptyCols;
    m_leftWrapped->GetDataColArray(leftEmptyCols);
    m_rightWrapped->GetDataColArray(rightEmptyCols);

    ThrottledYield yield;
    const int first = m_rightSide->StartRow();
    int i = first;
    int j = first;
    while (i <= m_rightEndRow) {
        if (first < m_rightEndRow) setProgress(i, first, m_rightEndRow);
        if (yield.cancelled()) {
            m_cancelled = true;
            break;
        }
        const bool rightEmpty = m_rightWrapped->IsEmptyRow(i, rightEmptyCols);
        if (j <= m_leftEndRow) {
            const bool leftEmpty = m_leftWrapped->IsEmptyRow(j, leftEmptyCols);
            if (!(leftEmpty && rightEmpty)) {
                j = m_leftWrapped->GetNotEmptyRowFrom(j);
                const QString leftKey = m_leftWrapped->GetCell(j, 1);
                const QString rightKey = m_rightWrapped->GetCell(i, 1);
                if (IsEqua_Key(leftKey, rightKey)) {
                    DealDiffRow(j, i, n, leftDataCols, rightDataCols);
                    markMatched(j, i);
                    ++m_matchedCount;
                } else if (m_leftWrapped->GetCell(j + 1, 1) == rightKey) {
                    --i; // row j was inserted on the left: the right row meets the next one
                } else {
                    OnFoundRightSingle(i);
                    ++m_unmatchedCount;
                }
            }
        } else if (!rightEmpty) {
            OnFoundRightSingle(i);
            ++m_unmatchedCount;
        }
        ++j;
        ++i;
    }
    m_endRowReached = i;

    FindLeftSingleRows(leftEmptyCols);
    writeMethodLine(QStringLiteral("比较方法：逐行比较"));
    EndWork(start);
    return Done;
}

bool ClsComparePair::DealDiffRow(int leftRow, int rightRow, int lastPairIndex,
                                 const QList<int> &leftDataCols, const QList<int> &rightDataCols)
{
    const bool values = m_options->IsCompareData();
    const bool formulas = m_options->IsCompareFormula();
    const bool comments = m_options->IsComparePostil();
    const int last =
        std::min<int>(lastPairIndex, int(std::min(leftDataCols.size(), rightDataCols.size())) - 1);

    // Cells whose raw values agree are equal without a text being made; texts are made (and
    // folded, and handed to a script) only for the cells whose raw values differ. A user script
    // may give the event loop a turn (a long script, its error message), in which a workbook can
    // be closed: the rows are then taken again before each cell.
    const bool probe = values && m_probe;
    const bool scriptYields = m_options->UseScript();
    if (probe) m_probe->setRows(leftRow, rightRow);
    bool rowDiffers = false;
    for (int k = 0; k <= last; ++k) {
        if (ModCompare::IsCancelCompare()) break;
        if (probe && scriptYields && k > 0) m_probe->setRows(leftRow, rightRow);
        const int lc = leftDataCols.at(k);
        const int rc = rightDataCols.at(k);
        bool differs = false;
        // The texts of the last item that differed: equal comments compared after differing
        // values must not make the record read "note<->note".
        QString leftText, rightText;
        const auto compareItem = [&](QString left, QString right) {
            if (IsEqua_Data(left, right)) return;
            differs = true;
            leftText = std::move(left);
            rightText = std::move(right);
        };
        if (values && !(probe && m_probe->identical(lc, rc)))
            compareItem(m_leftWrapped->GetCell(leftRow, lc), m_rightWrapped->GetCell(rightRow, rc));
        if (formulas || comments) {
            const excel::Range leftCell = m_leftSheet->Cells(leftRow, lc);
            const excel::Range rightCell = m_rightSheet->Cells(rightRow, rc);
            if (formulas) compareItem(leftCell.Formula(), rightCell.Formula());
            if (comments)
                compareItem(ModExcel::GetCellCommentText(leftCell),
                            ModExcel::GetCellCommentText(rightCell));
        }
        if (differs) {
            rowDiffers = true;
            m_recorder->addDifferingColumn(leftRow, rightRow, ModCommon::GetColumnLetter(rc),
                                           leftText + QStringLiteral("<->") + rightText);
        }
    }
    if (rowDiffers) {
        ++m_diffRowCount;
        if (m_reportOpen && m_options->ShowDiffInXls()) {
            const std::shared_ptr<ClsMap> fields = m_recorder->fieldsOf(leftRow, rightRow);
            saveDifferingRow(leftRow, rightRow, fields ? *fields : ClsMap());
        }
    } else {
        m_recorder->addEqualPair(leftRow, rightRow);
    }
    return rowDiffers;
}

void ClsComparePair::SaveOneRowResultInXlsReport(bool isDifferent, int leftRow, int rightRow,
                                                 const QString &pairKey)
{
    if (!m_reportOpen || !isDifferent || !m_options->ShowDiffInXls()) return;
    const std::shared_ptr<ClsMap> fields = m_recorder->GetClsMapByKey(pairKey);
    saveDifferingRow(leftRow, rightRow, fields ? *fields : ClsMap());
}

void ClsComparePair::saveDifferingRow(int leftRow, int rightRow, const ClsMap &fields)
{
    if (!m_reportOpen || !m_options->ShowDiffInXls()) return;
    const QString startColumn = QStringLiteral("C");
    m_diffSheet->CopyRowFrom(true, nullptr, m_leftSheet, leftRow, startColumn);
    m_diffSheet->CopyRowFrom(true, nullptr, m_rightSheet, rightRow, startColumn);
    if (m_options->ColorDiffCell()) m_diffSheet->SetForeColor(fields);
}

void ClsComparePair::CreateXlsReport(const QList<int> &leftKeyCols)
{
    // Searched whenever left-only rows are asked for, so that a detail run learns them too.
    FindLeftSingleRows(leftKeyCols);
}

void ClsComparePair::CopySingleRow(int row, TXlsCompareResult &resultSheet)
{
    const SheetRef side = resultSheet.GetleftInputSheet();
    const QString startColumn = QStringLiteral("A");
    if (side == m_leftSheet)
        resultSheet.CopyRowFrom(true, nullptr, m_leftSheet, row, startColumn);
    else if (side == m_rightSheet)
        resultSheet.CopyRowFrom(true, nullptr, m_rightSheet, row, startColumn);
}

void ClsComparePair::OnFoundRightSingle(int row)
{
    if (m_options->ShowRightSingleInXls() && m_reportOpen) CopySingleRow(row, *m_rightSingleSheet);
    m_recorder->AddRightSingleRow(row);
}

void ClsComparePair::OnFoundLeftSingle(int row)
{
    if (m_options->ShowLeftSingleInXls() && m_reportOpen) CopySingleRow(row, *m_leftSingleSheet);
    m_recorder->AddLeftSingleRow(row);
}

void ClsComparePair::checkKeyValues(bool left)
{
    const ClsWrappedSheet &wrapped = left ? *m_leftWrapped : *m_rightWrapped;
    const SheetRef &sheet = left ? m_leftSheet : m_rightSheet;
    const TSingleSideConfig &side = left ? *m_leftSide : *m_rightSide;
    const bool merged = left ? m_leftHasMerge : m_rightHasMerge;
    const int endRow = left ? m_leftEndRow : m_rightEndRow;
    const int endCol = left ? m_leftEndCol : m_rightEndCol;

    // Read as the comparison reads them; the first key value found ends the search.
    QList<int> keyCols;
    side.GetKeyColArray(keyCols);
    const bool trim = m_options->UseTrimForKey();
    const ModCompare::BlockCellText cells = [&wrapped](int row, int column) {
        return wrapped.GetCell(row, column);
    };
    QStringList keyRow;
    for (int r = side.StartRow(); r <= endRow; ++r) {
        if (merged)
            ModCompare::ReadSheetRowCells(sheet, r, keyCols, keyRow, DealMerge(), trim);
        else
            ModCompare::ReadArrayRowCells(cells, r, keyCols, keyRow, trim);
        if (!ModCommon::IsStrArrayEmpty(keyRow)) return;
    }
    QList<int> allCols;
    for (int c = 1; c <= endCol; ++c)
        allCols.append(c);
    bool hasRows = false;
    for (int r = side.StartRow(); r <= endRow && !hasRows; ++r)
        hasRows = !wrapped.IsEmptyRow(r, allCols);
    if (!hasRows) return;
    m_keyWarnings.append(
        QStringLiteral("注意：%1工作表 %2 的关键列 %3 中没有任何值，这一边的每一行都被当作"
                       "关键列为空的行跳过了，以上结果不能说明两边相同。")
            .arg(left ? QStringLiteral("左边") : QStringLiteral("右边"), sheet->Name(),
                 side.KeyCol()));
}

void ClsComparePair::FindLeftSingleRows(const QList<int> &columns)
{
    if (!m_options->ShowLeftSingleInXls()) return;
    ThrottledYield yield;
    for (int r = m_leftSide->StartRow(); r <= m_leftEndRow; ++r) {
        if (yield.cancelled()) {
            m_cancelled = true;
            break;
        }
        if (matchedRightRow(r) != 0) continue;
        if (m_leftWrapped->IsEmptyRow(r, columns)) continue;
        OnFoundLeftSingle(r);
    }
}

void ClsComparePair::SaveXlsReport()
{
    if (!m_reportBook) return;
    try {
        // Saved under a temporary name and renamed over the old report, so a failure leaves
        // the old one whole.
        m_reportBook->SaveAs(m_reportExcelFileName, excel::XlsxWriter::Link::Replace);
    } catch (const std::exception &e) {
        const QString why = BasicError::describe(e);
        ModCommon::ShowMsg(QStringLiteral("保存报告工作簿 %1 时出错：%2\n报告工作簿仍然打开着，"
                                          "可以另存到别处。")
                               .arg(m_reportExcelFileName, why),
                           win::vbExclamation, kTitle);
    }
}

void ClsComparePair::EndWork(qint64 startTick)
{
    if (ModCompare::IsCancelCompare()) m_cancelled = true;

    const SheetBlock *leftData = m_leftWrapped->inMemory() ? &m_leftWrapped->m_memData : nullptr;
    const SheetBlock *rightData = m_rightWrapped->inMemory() ? &m_rightWrapped->m_memData : nullptr;
    m_diffSheet->EndWrite(leftData, rightData);
    m_leftSingleSheet->EndWrite(leftData, rightData);
    m_rightSingleSheet->EndWrite(rightData, nullptr);

    ClsLogFile &log = *m_logFile;
    log.WriteLine(QStringLiteral("左边：") + fullNameOf(m_leftBook));
    log.WriteLine(QStringLiteral("工作表：") + m_leftSheet->Name());
    log.WriteLine(QStringLiteral("关键列：") + m_leftSide->KeyCol());
    log.WriteLine(QStringLiteral("右边：") + fullNameOf(m_rightBook));
    log.WriteLine(QStringLiteral("工作表：") + m_rightSheet->Name());
    log.WriteLine(QStringLiteral("关键列：") + m_rightSide->KeyCol());

    if (m_options->TxtReport()) {
        log.WriteLine(QStringLiteral("在匹配行内，详细的差异"));
        log.WriteLine(QString());
        m_recorder->Print2File(log);
    }

    log.WriteLine(QString(40, QLatin1Char('-')));
    log.WriteLine(QStringLiteral("完成比较任务，用时") + QString::number(tickCount() - startTick) +
                  QStringLiteral("毫秒"));
    log.WriteLine(QStringLiteral("开始行：") + QString::number(m_rightSide->StartRow()) +
                  QStringLiteral("，结束行：") + QString::number(m_endRowReached));
    log.WriteLine(QStringLiteral("不匹配的行数：") + QString::number(m_unmatchedCount));
    log.WriteLine(QStringLiteral("匹配行数：") + QString::number(m_matchedCount));
    log.WriteLine(QStringLiteral("在匹配行内，存在差异的行数") + QString::number(m_diffRowCount));
    for (const QString &warning : m_keyWarnings)
        log.WriteLine(warning);
    if (m_cancelled)
        log.WriteLine(QStringLiteral("比较已被取消：以上结果只包括取消之前比较过的行"));

    if (m_reportOpen && m_options->ShowDiffInXls() && m_options->ModifyRowHeight() &&
        m_options->RowHeight() > 0 && ModExcel::IsWorkbookAlive(m_reportBook) &&
        m_diffSheet->m_OutSheet)
        m_diffSheet->m_OutSheet->Rows().setRowHeight(std::min(m_options->RowHeight(), 409));

    log.CloseFile();
    if (log.lostLines() > 0)
        ModCommon::ShowMsg(QStringLiteral("写入文本报告 %1 时出错，报告不完整（%2 行没有写入）")
                               .arg(m_logFileName)
                               .arg(log.lostLines()),
                           win::vbExclamation, kTitle);
    SaveXlsReport();

    if (!m_keyWarnings.isEmpty())
        ModCommon::ShowMsg(m_keyWarnings.join(QLatin1Char('\n')) +
                               QStringLiteral("\n请检查关键列的设置；公式要在保存之前算出结果。"),
                           win::vbExclamation, kTitle);

    if (m_options->TxtReport() && !m_options->CompareInDetail()) {
        const QString report = m_logFileName;
        shell::ShellOpen(report, [report] {
            ClsLanguage language;
            CompareMainWindow::Tell(
                language
                    .ReadString(QStringLiteral("ClsComparePair"),
                                QStringLiteral("TxtReportNotOpened"),
                                QStringLiteral("桌面上没有能打开文本报告的程序，报告在：%1"))
                    .arg(report));
        });
    }

    // Shown only now that it is whole: a report window open during the run would let the user
    // look at, or save, a half-built report.
    if (m_reportOpen && m_reportApp) {
        m_reportApp->setVisible(true);
        m_reportApp->setScreenUpdating(true);
    }
}
