#pragma once

#include "engine/CompareMainWindow.h"
#include "engine/CompareProgressBar.h"
#include "engine/CompareViewSeam.h"

#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

// Helpers for the end-to-end comparison tests: workbooks written by openpyxl, report workbooks
// read back by openpyxl, text reports read as lines, and fakes of the main window and the
// difference view.
namespace CompareRunSupport {

// Runs python3 with openpyxl on `body`, after a prelude that defines
//   book(name, sheets, extra=None)
// where sheets is a list of (title, rows[, first_row]) and rows a list of lists (None = no
// cell); extra(wb) runs before the save. The files land in `folder` (sys.argv[1]). Returns the
// writer's output on failure, "" on success.
QString makeBooks(const QString &folder, const QString &body);

// A workbook read back with openpyxl.
struct ReadBack
{
    QStringList sheetNames;
    QJsonObject json; // per sheet: rows (texts joined by "|"), colors, comments, defaultHeight
    QString error;
    // The rows of a sheet, each as its cell texts joined by "|" (trailing empty cells dropped).
    QStringList rows(const QString &sheet) const;
    // The font colour of a cell: "indexed:3", "rgb:FFFF0000" or "" for none.
    QString color(const QString &sheet, const QString &cell) const;
    QString comment(const QString &sheet, const QString &cell) const;
    double defaultRowHeight(const QString &sheet) const;
};
ReadBack readBook(const QString &path);

// The lines of a text report (CR LF), with the time of the time line replaced by "N".
QStringList reportLines(const QString &path, QString *error = nullptr);

// The main window: busy states and progress values are recorded; Cancel is pressed when the
// progress reaches cancelAtPercent (never when negative).
class FakeMainWindow : public CompareMainWindow, public CompareProgressBar
{
public:
    void InCompare(bool busy) override { busyStates.push_back(busy); }
    CompareProgressBar *ProgressBar1() override { return this; }
    void setVisible(bool visible) override { visibleStates.push_back(visible); }
    void setValue(int percent) override;
    void ShowStatusText(const QString &text) override { statusTexts << text; }

    std::vector<bool> busyStates;
    QStringList statusTexts;
    std::vector<bool> visibleStates;
    std::vector<int> values;
    int cancelAtPercent = -1;
    // Called with every progress value.
    std::function<void(int)> onValue;

private:
    CompareMainWindow::Scope m_installed{this};
};

// The difference view: records the pairs shown (left and right sheet names).
class FakeView : public CompareViewSeam
{
public:
    void ShowPairDetail(ClsCompareCore &core, std::shared_ptr<ClsComparePair> pair) override;

    QStringList pairsShown;
    QList<QList<int>> leftSingles; // left-only rows known to each pair shown

private:
    CompareViewSeam::Scope m_installed{this};
};

} // namespace CompareRunSupport
