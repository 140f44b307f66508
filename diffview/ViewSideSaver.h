#pragma once

#include <QString>
#include <functional>
#include <memory>

class QWidget;
class TSingleSideConfig;
class ViewAligner;

namespace excel {
class Workbook;
}

// Saving one side of the difference view. The rows the alignment inserted leave the file and
// come back into the view once it is written, so the file holds only the user's rows while both
// sides go on facing each other. A read-only workbook, or one read from a legacy .xls file, is
// saved as an .xlsx copy under a name the user picks. A failed save says why and leaves the file
// as it was.
class ViewSideSaver
{
public:
    using BookRef = std::shared_ptr<excel::Workbook>;
    using TextFn = std::function<QString(const QString &key, const QString &defaultText)>;

    enum SaveResult { NotSaved = 0, SavedInPlace = 3, SavedAsCopy = 4 };

    // `dialogOwner` owns the copy's save dialog; `text` gives the messages in the program's
    // language.
    ViewSideSaver(QWidget *dialogOwner, TextFn text);

    // A workbook that is gone counts as saved: nothing of it can be lost.
    static bool isSaved(const BookRef &book);

    // Saves the side's workbook and shows its compared sheet alone again.
    int saveSide(bool left, TSingleSideConfig &side, const QString &sheetName,
                 ViewAligner &aligner);
    int SaveWorkbook(const BookRef &book);
    static bool SaveWorkbookAs(const BookRef &book, const QString &fileName, QString *why);

private:
    QWidget *m_DialogOwner;
    TextFn m_Text;
};
