#pragma once

#include "diffview/HookManagerSeam.h"
#include "diffview/LeftRightViewSeam.h"
#include "diffview/frmLeftRight.h"
#include "engine/ClsCompareCore.h"
#include "engine/ClsSessionOption.h"
#include "engine/CompareMainWindow.h"
#include "engine/CompareProgressBar.h"
#include "tests/support/FakeDialogs.h"
#include "tests/support/FakeMessageBox.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

class QWidget;

namespace excel {
class SheetGridWindow;
}

// Failures print texts as texts.
inline void PrintTo(const QString &text, std::ostream *os)
{
    *os << '"' << text.toStdString() << '"';
}

// The scroll linkage, recorded: every call in order ("RemoveAllPairs", "AddPair a b",
// "SetSpyHook 1", "released"), with what the view's windows looked like at the release.
class FakeHooks : public HookManagerSeam
{
public:
    class Manager : public HookManager
    {
    public:
        explicit Manager(FakeHooks &owner) : m_owner(owner) {}
        ~Manager() override;
        void RemoveAllPairs() override { m_owner.calls.append(QStringLiteral("RemoveAllPairs")); }
        bool AddPair(int spy, int follower) override;
        bool SetSpyHook(bool on) override;

    private:
        FakeHooks &m_owner;
    };

    std::unique_ptr<HookManager> create() override;

    QStringList calls;
    bool createFails = false;
    bool hookResult = true;
    Manager *current = nullptr;
    // Runs when a manager is released.
    std::function<void()> onRelease;

private:
    HookManagerSeam::Scope m_installed{this};
};

// The main window's busy state and progress bar; `onValue` runs inside the comparison.
class FakeBusyWindow : public CompareMainWindow, public CompareProgressBar
{
public:
    void InCompare(bool busy) override { busyStates.push_back(busy); }
    CompareProgressBar *ProgressBar1() override { return this; }
    void setVisible(bool) override {}
    void setValue(int percent) override
    {
        if (onValue) onValue(percent);
    }
    std::vector<bool> busyStates;
    std::function<void(int)> onValue;

private:
    CompareMainWindow::Scope m_installed{this};
};

// A detail run of two workbooks made by openpyxl ("L.xlsx" and "R.xlsx", sheet "Data", key
// column A), through the comparison core into the difference view, over a temporary program
// folder, at 96 DPI, with message boxes, file dialogs and the scroll linkage faked. The test's
// body drives the shown view; the view is closed afterwards if the body left it open.
class ViewFixture : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes the workbooks with openpyxl: `body` runs after a prelude with
    //   book(name, rows, sheet="Data")   rows: lists of cell values (None = no cell)
    // in the fixture's folder (the variable `out`).
    void makeBooks(const QString &body);
    // The default pair: 12 keyed rows on the left; on the right row 4's B and row 9's C
    // differ, a row "k99" follows k6 and k11 is missing.
    void makeDefaultBooks();
    QString file(const QString &name) const { return m_dir.path() + QLatin1Char('/') + name; }

    // Runs the detail comparison; `body` gets the shown, activated view.
    void run(const std::function<void(frmLeftRight &view)> &body);

    // The hosted sheet window of a side.
    excel::SheetGridWindow *grid(frmLeftRight &view, bool left) const;
    // Clicks the cell and types the text, then Enter, as a user does.
    void typeInto(frmLeftRight &view, bool left, int row, int column, const QString &text) const;
    // The rows of a workbook's sheet read back by openpyxl, each "A|B|C" (values as text).
    QStringList readBack(const QString &path, const QString &sheet = QStringLiteral("Data"));
    // The save prompt shown now; null (and a failure) when there is none.
    static class frmPromptSave *prompt();
    static void settle();

    QTemporaryDir m_dir;
    FakeMessageBox boxes;
    FakeFileDialog dialogs;
    FakeHooks hooks;
    FakeBusyWindow busy;
    std::shared_ptr<ClsSessionOption> options;
    std::unique_ptr<ClsCompareCore> core;
    LeftRightViewSeam viewSeam;
    frmLeftRight *shownView = nullptr;
};
