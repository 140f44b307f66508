#pragma once

#include "diffview/ViewDiffList.h"
#include "ui/FormControls.h"
#include "ui/LanguageWindow.h"

#include <QList>
#include <QString>
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

class ClsCompareCore;
class ClsComparePair;
class ClsSessionOption;
class ClsSplitWnd;
class HookManager;
class QComboBox;
class QFrame;
class QLineEdit;
class QPushButton;
class QTimer;
class QToolButton;
class TSingleSideConfig;
class ViewAligner;
class ViewDiffMarks;
class ViewSideSaver;

namespace excel {
class Application;
class Range;
class Workbook;
class Worksheet;
} // namespace excel

// The difference view: both sides' spreadsheet main windows of one sheet pair, hosted side by
// side in one window, their rows lined up, scrolling together, differing cells marked. The user
// steps from difference to difference, zooms, edits either side, saves either workbook (a copy
// for a read-only one), compares again and changes the session options; closing offers to save
// the changed sides and gives both windows back to their applications.
//
// The view hosts, scrolls and zooms; the rows to visit (ViewDiffList), the marks
// (ViewDiffMarks) and saving a side (ViewSideSaver) are classes of their own.
//
// The comparison core shows it modally (SetOpt, SetPair, show, activate) and waits for
// `unloaded`. Nothing in the view waits inside a nested event loop: the save prompt and the
// session options dialog return at once and go on in their callbacks.
class frmLeftRight : public QWidget
{
    Q_OBJECT

public:
    explicit frmLeftRight(QWidget *owner = nullptr);
    ~frmLeftRight() override;

    void NeedReDraw();
    void NeedNotReDraw();
    // Both must come before the view is shown.
    void SetOpt(ClsCompareCore *core);
    void SetPair(std::shared_ptr<ClsComparePair> pair);

    // --- event handlers, public so that the core and tests reach them as the window does ---
    // The first activation hosts both windows, lines the rows up and goes to the first
    // difference; later activations do nothing.
    void Form_Activate();
    // Whenever the view is activated again, the focus goes to Compare again.
    void Form_GotFocus();
    void Form_Resize();
    // The two-second tick: Save buttons follow the workbooks' state; pending marks are drawn.
    void Timer1_Timer();
    void CmdQuit_Click();
    // 1 next difference, 2 previous, 3 copy the row left to right, 4 right to left.
    void Toolbar1_ButtonClick(int index);
    void CboSize_Click();
    void CmdLeftSave_Click();
    void CmdRightSave_Click();
    void CmdCompareAgain_Click();
    void CmdAdvanceOption_Click();

    // --- state, for the core and for tests ---
    std::shared_ptr<ClsComparePair> pair() const { return m_Pair; }
    bool isUnloaded() const { return m_Unloaded; }
    bool redrawPending() const { return m_ReDraw; }
    const QList<int> &diffRows() const { return m_DiffList.rows(); }
    int diffUBound() const { return m_DiffList.upperBound(); }
    int currentIndex() const { return m_DiffList.index(); }
    double zoomPercent() const { return m_Zoom; }
    // True while Compare again compares; commands wait.
    bool comparing() const { return m_Comparing; }
    // True while marks are being drawn.
    bool drawing() const;
    // How often drawing red marks lets the event loop run, in milliseconds (0: after every
    // cell, as tests use it to reach the view in the middle of a drawing).
    void setDrawYieldInterval(int ms);

    // Controls (their object names are the language file's keys).
    QWidget *Toolbar1 = nullptr;
    QList<QToolButton *> ToolbarButtons; // buttons 1 to 4 at indexes 0 to 3
    QComboBox *CboSize = nullptr;
    QPushButton *CmdCompareAgain = nullptr;
    QPushButton *CmdAdvanceOption = nullptr;
    QPushButton *CmdQuit = nullptr;
    QLineEdit *txtResult = nullptr;
    QLineEdit *txtNoMoreDiff = nullptr;
    QWidget *LeftPane = nullptr;
    QWidget *RightPane = nullptr;
    QLineEdit *TxtLeftFileName = nullptr;
    QLineEdit *txtRightFileName = nullptr;
    QPushButton *CmdLeftSave = nullptr;
    QPushButton *CmdRightSave = nullptr;
    QFrame *frameLeft = nullptr;
    QFrame *frameRight = nullptr;
    QWidget *Splitter = nullptr;
    QTimer *Timer1 = nullptr;

signals:
    // The view has closed and given both windows back; the core goes on.
    void unloaded();

protected:
    bool event(QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    using SheetRef = std::shared_ptr<excel::Worksheet>;
    using AppRef = std::shared_ptr<excel::Application>;
    using BookRef = std::shared_ptr<excel::Workbook>;

    void Form_Load();
    // True lets the view close; false keeps it open (a question is under way or was refused).
    bool Form_QueryUnload();
    void Form_Unload();

    bool EmbedExcelWindows();
    void BindSheetEvents();
    void StartScrollSync();
    void InitToolbar();
    void UpdateSaveButtons();
    // The file-name strip of a side names the workbook its application shows.
    void showFileName(bool left);

    void BuildDiffList();
    void GotoCurrentDiff();
    void DrawDiffMarks();
    void CopyDiffRowToOtherSide(int direction);
    void ApplyZoom();
    // Enter in the zoom box, or an entry picked from its list.
    void zoomEntered();
    int SaveLeftSide();
    int SaveRightSide();
    int saveSide(bool left);
    // Asks which changed sides to save, saves them and calls `then` with 2 (saved what was
    // ticked), 1 (don't save) or 0 (cancelled, or a save failed: stop).
    void PromptSaveChanges(std::function<void(int)> then);
    void compareAgain();

    // Sheet events.
    void sheetChanged(bool left, const excel::Range &target);
    void sheetSelectionChanged(bool left);
    void disconnectSheetEvents();

    // Commands wait while Compare again compares; the hosted windows take no input then.
    void setBusy(bool busy);

    // The visible rows of the left window: first row and count.
    bool visibleRows(int *first, int *count) const;

    TSingleSideConfig *side(bool left) const;
    AppRef app(bool left) const;
    BookRef book(bool left) const;
    // A side whose workbook is gone counts as saved.
    bool saved(bool left) const;
    QString text(const QString &key, const QString &defaultText);
    void showNoMoreDiff(bool show);

    FormControls m_Controls;
    LanguageWindow m_Language{this, m_Controls};
    ClsCompareCore *m_Core = nullptr;
    std::shared_ptr<ClsSessionOption> m_Option;
    std::shared_ptr<ClsComparePair> m_Pair;
    std::shared_ptr<TSingleSideConfig> m_LeftObj, m_RightObj;
    AppRef m_LeftApp, m_RightApp;
    SheetRef m_LeftSheet, m_RightSheet;
    int m_LeftChangeId = 0, m_LeftSelectId = 0, m_RightChangeId = 0, m_RightSelectId = 0;
    std::unique_ptr<HookManager> m_hooker;
    std::unique_ptr<ClsSplitWnd> m_SplitWnd;
    std::unique_ptr<ViewAligner> m_Aligner;

    ViewDiffList m_DiffList;
    std::unique_ptr<ViewDiffMarks> m_Marks;
    std::unique_ptr<ViewSideSaver> m_Saver;
    double m_Zoom = 100;
    bool m_ReDraw = false;

    bool m_Loaded = false;
    bool m_Activated = false;
    bool m_Unloaded = false;
    bool m_Closing = false;       // the close question was answered: close without asking
    bool m_Comparing = false;     // Compare again is comparing
    bool m_CloseWhenIdle = false; // a close waits for Compare again to end
    bool m_Prompting = false;     // the save prompt is open
    bool m_LeftAlerts = true, m_RightAlerts = true; // DisplayAlerts before the view turned it off
};
