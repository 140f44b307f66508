#include "diffview/ViewSideSaver.h"

#include "core/ModCommon.h"
#include "diffview/ViewAligner.h"
#include "engine/TSingleSideConfig.h"
#include "platform/excel/Workbook.h"
#include "platform/excel/WorkbookData.h"
#include "platform/text/BasicError.h"
#include "platform/win/MessageBox.h"
#include "ui/ModDialog.h"

#include <exception>

namespace {

const QString kTitle = QStringLiteral("Quorva");

template <typename F> void ignoringErrors(F &&f)
{
    try {
        f();
    } catch (const std::exception &) {
    }
}

} // namespace

ViewSideSaver::ViewSideSaver(QWidget *dialogOwner, TextFn text)
    : m_DialogOwner(dialogOwner), m_Text(std::move(text))
{
}

bool ViewSideSaver::isSaved(const BookRef &book)
{
    if (!book || book->isClosed()) return true;
    try {
        return book->Saved();
    } catch (const std::exception &) {
        return true;
    }
}

int ViewSideSaver::saveSide(bool left, TSingleSideConfig &side, const QString &sheetName,
                            ViewAligner &aligner)
{
    const BookRef book = side.GetDoc();
    if (!book) return NotSaved;
    ignoringErrors([&] { aligner.deleteAddedRows(left); });
    ignoringErrors([&] { side.OnBeforeSave(); });
    const int r = SaveWorkbook(book);
    ignoringErrors([&] {
        if (!sheetName.isEmpty()) side.ShowOneSheet(sheetName);
    });
    // The file holds only the user's rows; the view gets its empty rows back, so that both
    // sides still face each other and the marks and steps find their rows.
    ignoringErrors([&] { aligner.putBackAddedRows(left); });
    if (r == SavedInPlace || r == SavedAsCopy) ignoringErrors([&] { book->setSaved(true); });
    return r;
}

int ViewSideSaver::SaveWorkbook(const BookRef &book)
{
    bool asCopy = false;
    QString fullName, name, path;
    try {
        // A read-only workbook, and one read from a legacy .xls file (never overwritten), are
        // saved as a copy under a new .xlsx name.
        asCopy = book->ReadOnly() || book->data().format == excel::WorkbookData::Format::Xls;
        fullName = book->FullName();
        name = book->Name();
        path = book->Path();
    } catch (const std::exception &e) {
        ModCommon::ShowMsg(BasicError::numbered(e), win::vbCritical, kTitle);
        return NotSaved;
    }
    const QString failed = m_Text(QStringLiteral("SaveFailedPrompt"),
                                  QStringLiteral("保存文件失败，文件可能是只读或者被打开! "));
    if (!asCopy) {
        try {
            book->Save();
            return SavedInPlace;
        } catch (const std::exception &e) {
            ModCommon::ShowMsg(failed + QStringLiteral("\r\nFilename=") + fullName +
                                   QStringLiteral("\r\n") + BasicError::describe(e),
                               win::vbCritical, kTitle);
            return NotSaved;
        }
    }
    if (name.endsWith(QLatin1String(".xls"), Qt::CaseInsensitive)) name += QLatin1Char('x');
    // The copy is always an .xlsx: a name typed without it gets it, and the overwrite question
    // is asked for the name actually written.
    QString folder = path;
    const QString chosen = ModDialog::ShowSaveFileDialog(
        m_DialogOwner, name, QStringLiteral("保存副本"), folder, QStringLiteral("*.xlsx|*.xlsx"),
        ModDialog::OFN_OVERWRITEPROMPT, QStringLiteral("xlsx"));
    if (chosen.isEmpty()) return NotSaved;
    QString why;
    if (SaveWorkbookAs(book, chosen, &why)) return SavedAsCopy;
    ModCommon::ShowMsg(failed + QStringLiteral("\r\nFilename=") + chosen +
                           (why.isEmpty() ? QString() : QStringLiteral("\r\n") + why),
                       win::vbCritical, kTitle);
    return NotSaved;
}

bool ViewSideSaver::SaveWorkbookAs(const BookRef &book, const QString &fileName, QString *why)
{
    try {
        book->SaveAs(fileName);
        return true;
    } catch (const std::exception &e) {
        *why = BasicError::describe(e);
        return false;
    }
}
