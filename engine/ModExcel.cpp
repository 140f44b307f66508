#include "engine/ModExcel.h"

#include "core/ClsLanguage.h"
#include "core/ModCommon.h"
#include "core/ModFile.h"
#include "platform/excel/CellAddress.h"
#include "platform/excel/Sheets.h"
#include "platform/excel/WorkbookFile.h"
#include "platform/excel/Workbooks.h"
#include "platform/text/BasicError.h"
#include "platform/win/MessageBox.h"

#include <QFileInfo>
#include <QStringList>

namespace ModExcel {

namespace {

const QString kOpenTitle = QStringLiteral("输入有效性检查");

// Two paths name the same file (symbolic links and "..", resolved when the file exists).
bool sameFile(const QString &a, const QString &b)
{
    QFileInfo fa(a), fb(b);
    QString ca = fa.canonicalFilePath(), cb = fb.canonicalFilePath();
    if (!ca.isEmpty() && !cb.isEmpty()) return ca == cb;
    return fa.absoluteFilePath() == fb.absoluteFilePath();
}

template <typename F> void ignoringErrors(F &&f)
{
    try {
        f();
    } catch (const std::exception &) {
    }
}

bool hasText(const com::Variant &v)
{
    return !v.toText().isEmpty();
}

// The workbook open for the file still shows the file: another program did not write it since.
bool showsFile(const BookRef &book, const QString &file)
{
    return sameFile(book->FullName(), file) && !book->changedOnDisk();
}

} // namespace

bool WouldReadWorkbook(const QString &file, const BookRef &book)
{
    try {
        if (IsWorkbookAlive(book) && showsFile(book, file)) return false;
    } catch (const std::exception &) {
        // A workbook that cannot tell its name is reopened.
    }
    return ModFile::FileExists(file);
}

bool OpenWorkbook(const QString &file, AppRef &app, BookRef &book, bool readOnly,
                  excel::WorkbookPrefetch *prefetch)
{
    QString failure;
    try {
        if (!app) app = excel::Application::create();
        if (IsWorkbookAlive(book)) {
            if (showsFile(book, file)) return true;
            // Another file is asked for, or the file changed since it was read: never compare
            // the old one.
            CloseWorkbook(book);
        }
        book = nullptr;
        if (!ModFile::FileExists(file)) return true;
        book = app->Workbooks()->Open(file, readOnly, prefetch);
        std::vector<QString> warnings = book->warnings();
        if (!warnings.empty())
            ModCommon::ShowMsg(
                QStringList(warnings.begin(), warnings.end()).join(QLatin1Char('\n')),
                win::vbExclamation, QStringLiteral("Quorva"));
        return true;
    } catch (const std::exception &e) {
        failure = BasicError::describe(e);
    }
    ModCommon::ShowMsg(OpenFailureText(file, failure), win::vbCritical, kOpenTitle);
    return false;
}

QString OpenFailureText(const QString &file, const QString &failure)
{
    ClsLanguage language;
    auto text = [&language](const char *key, const char *defaultText) {
        return language.ReadString(QStringLiteral("ModExcel"), QLatin1String(key),
                                   QString::fromUtf8(defaultText));
    };
    using Content = excel::WorkbookFile::Content;
    const Content content = excel::WorkbookFile::contentOf(file);
    if (content == Content::Folder)
        return text("IsFolder", "%1 是文件夹，不是工作簿文件。").arg(file);
    if (content == Content::Special)
        return text("IsDevice", "%1 是设备或管道，不是普通文件，不能当作工作簿读取。").arg(file);
    if (content == Content::Unreadable)
        return text("Unreadable", "不能读取文件 %1：没有读取它的权限，或者它不是普通文件。")
            .arg(file);
    QString message =
        text("NotAWorkbook", "文件 %1 不是 Quorva 能读取的工作簿。").arg(file) + QLatin1Char('\n');
    switch (content) {
    case Content::Package:
        message += text("DamagedPackage", "它是 .xlsx / .xlsm 格式的压缩包，但已损坏或不完整。");
        break;
    case Content::Compound:
        message += text("DamagedLegacy",
                        "它是 .xls 格式的文件，但已损坏、已加密，或者来自 Excel 97 之前的版本。");
        break;
    default:
        // The content itself says all: the technical line would add nothing.
        return message + text("NotWorkbookContent",
                              "它的内容既不是 .xlsx / .xlsm 格式，也不是 .xls "
                              "格式（例如一个改了扩展名的文本文件）。");
    }
    return message + QLatin1Char('\n') + text("Details", "详细信息：") + failure;
}

bool NewWorkbook(AppRef &app, BookRef &book)
{
    QString failure;
    try {
        if (!app) app = excel::Application::create();
        if (book && !IsWorkbookAlive(book)) book = nullptr;
        if (!book) book = app->Workbooks()->Add(com::Variant(QStringLiteral("工作簿")));
        return true;
    } catch (const std::exception &e) {
        failure = BasicError::describe(e);
    }
    ModCommon::ShowMsg(QStringLiteral("不能创建新的工作簿：") + failure, win::vbCritical,
                       kOpenTitle);
    return false;
}

SheetRef GetOrAddSheet(const BookRef &book, const QString &name)
{
    auto worksheets = book->Worksheets();
    if (SheetExists(name, book)) return worksheets->Item(name);
    SheetRef sheet;
    for (const char *standard : {"Sheet1", "Sheet2", "Sheet3"}) {
        if (SheetExists(QLatin1String(standard), book)) {
            sheet = worksheets->Item(QLatin1String(standard));
            break;
        }
    }
    if (!sheet) {
        auto sheets = book->Sheets();
        sheet = sheets->Add(com::Variant(QStringLiteral("工作表")));
        sheet->Select();
        sheet->Move(nullptr, sheets->Item(sheets->Count()));
    }
    sheet->setName(name);
    return sheet;
}

bool IsWorkbookAlive(const BookRef &book)
{
    if (!book) return false;
    try {
        book->Name();
        return true;
    } catch (const std::exception &) {
        return false;
    }
}

void CloseWorkbook(BookRef &book)
{
    if (!book) return;
    if (IsWorkbookAlive(book)) ignoringErrors([&] { book->Close(); });
    book = nullptr;
}

void QuitExcel(AppRef &app, BookRef &book)
{
    CloseWorkbook(book);
    if (app) {
        ignoringErrors([&] { app->Workbooks()->Close(); });
        ignoringErrors([&] { app->Quit(); });
    }
    app = nullptr;
}

QString GetCellText(const SheetRef &sheet, int row, int column)
{
    excel::Range cell = sheet->Cells(row, column);
    QString text = cell.Value().toText();
    if (text.isEmpty()) {
        com::Variant merged = cell.MergeCells();
        if (merged.isBoolean() && merged.boolValue())
            text = cell.MergeArea().Cells(1, 1).Value().toText();
    }
    return text;
}

void CopyRowValues(const SheetRef &target, int targetRow, const SheetRef &source, int sourceRow)
{
    const int n = source->UsedRange().Columns().Count();
    for (int c = 1; c <= n; ++c)
        target->Cells(targetRow, c).setValue(source->Cells(sourceRow, c).Value());
}

void CopyRowCells(const SheetRef &target, int targetRow, const QString &firstTargetColumn,
                  const SheetRef &source, int sourceRow, int count)
{
    const int first = ModCommon::ParseColumn(firstTargetColumn);
    if (target) target->Activate();
    for (int i = 1; i <= count; ++i) {
        const int column = first + i - 1;
        if (column > excel::CellAddress::GridColumns) break;
        excel::Range from = source->Cells(sourceRow, i);
        excel::Range to = target->Cells(targetRow, column);
        to.setValue(from.Value());
        to.setFormula(from.Formula());
        QString comment = GetCellCommentText(from);
        if (!comment.isEmpty()) to.AddComment()->Text(comment);
    }
}

bool IsSheetRowEmpty(const SheetRef &sheet, int row)
{
    // Up to the used range's last column (not its column count: a used range that starts right
    // of column A would leave its last columns untested).
    const int last = GetLastUsedColumn(sheet);
    for (int c = 1; c <= last; ++c)
        if (hasText(sheet->Cells(row, c).Value())) return false;
    return true;
}

bool IsSheetRowEmptyInCols(const SheetRef &sheet, int row, const QList<int> &columns)
{
    for (int c : columns)
        if (hasText(sheet->Cells(row, c).Value())) return false;
    return true;
}

bool IsArrayRowEmptyInCols(const com::VariantArray &block, int row, const QList<int> &columns)
{
    for (int c : columns)
        if (hasText(block.at(row, c))) return false;
    return true;
}

int GetNextNonEmptySheetRow(const SheetRef &sheet, int firstRow)
{
    const int last = GetLastUsedRow(sheet);
    for (int r = firstRow; r <= last; ++r)
        if (!IsSheetRowEmpty(sheet, r)) return r;
    return firstRow;
}

int GetNextNonEmptyArrayRow(const com::VariantArray &block, int firstRow, int lastRow,
                            int lastColumn)
{
    for (int r = firstRow; r <= lastRow; ++r)
        for (int c = 1; c <= lastColumn; ++c)
            if (hasText(block.at(r, c))) return r;
    return firstRow;
}

int FillSequence(int first, int last, QList<int> &array)
{
    array.clear();
    for (int v = first; v <= last; ++v)
        array.append(v);
    return last - first;
}

void KeepMin(int &value, int limit)
{
    if (limit < value) value = limit;
}

bool HasMergedCells(const excel::Range &range)
{
    com::Variant merged = range.MergeCells();
    return merged.isNull() || merged.toBool();
}

namespace {

// "$C$5" -> {"", "C", "5"}, as the extent procedures split the used range's first cell.
QStringList firstCellPieces(const excel::Range &used)
{
    return used.Cells(1, 1).Address().split(QLatin1Char('$'));
}

QStringList firstCellPieces(const SheetRef &sheet)
{
    return firstCellPieces(sheet->UsedRange());
}

} // namespace

// The used range is taken once: finding it walks the whole sheet.
int GetLastUsedRow(const SheetRef &sheet)
{
    const excel::Range used = sheet->UsedRange();
    const QStringList pieces = firstCellPieces(used);
    return pieces.value(2).toInt() + used.EntireRow().Count() - 1;
}

int GetLastUsedColumn(const SheetRef &sheet)
{
    const excel::Range used = sheet->UsedRange();
    const QStringList pieces = firstCellPieces(used);
    // three-letter columns of wide .xlsx sheets are read too
    return excel::CellAddress::columnNumber(pieces.value(1)) + used.EntireColumn().Count() - 1;
}

void GetUsedColumnSpan(const SheetRef &sheet, int &firstColumn, int &lastColumn)
{
    firstColumn = excel::CellAddress::columnNumber(firstCellPieces(sheet).value(1));
    lastColumn = GetLastUsedColumn(sheet);
}

void SaveVisibleSheets(const BookRef &book, ClsMap &map)
{
    auto sheets = book->Worksheets();
    for (int i = 1; i <= sheets->Count(); ++i) {
        SheetRef ws = sheets->Item(i);
        map.Add(ws->Name(), QString::number(ws->Visible()));
    }
}

void RestoreVisibleSheets(const BookRef &book, ClsMap &map)
{
    QStringList names;
    map.ToArray_String(names);
    auto sheets = book->Worksheets();
    auto stateOf = [&](const QString &name) {
        QString value = map.Exists(name) ? map.GetValue(name) : QString();
        return value.isEmpty() ? -1 : value.toInt();
    };
    // shown sheets first, then the hidden ones, so that one sheet always stays visible
    for (const QString &name : names)
        if (stateOf(name) == -1) sheets->Item(name)->setVisible(-1);
    for (const QString &name : names)
        if (stateOf(name) != -1) sheets->Item(name)->setVisible(stateOf(name));
}

bool SheetExists(const QString &name, const BookRef &book)
{
    try {
        return book && !book->Worksheets()->Item(name)->Name().isEmpty();
    } catch (const std::exception &) {
        return false;
    }
}

QString GetCellCommentText(const excel::Range &cell)
{
    std::shared_ptr<excel::Comment> comment = cell.Comment();
    return comment ? comment->Text() : QString();
}

} // namespace ModExcel
