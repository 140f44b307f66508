#pragma once

#include "platform/Seam.h"

#include <QString>

class CompareProgressBar;

// What the comparison needs of the main window: its busy state (while busy it shows its Cancel
// button and refuses to start a second run) and its progress bar. The main window installs
// itself; without one a run has no progress bar and no busy state.
class CompareMainWindow : public Seam<CompareMainWindow>
{
public:
    virtual ~CompareMainWindow() = default;
    virtual void InCompare(bool busy) = 0;
    // The main window's progress bar; null when it has none.
    virtual CompareProgressBar *ProgressBar1() = 0;
    // A line for the user that must not wait for an answer (an unattended run goes on): the
    // main window shows it in its status bar; by default it goes to the log output.
    virtual void ShowStatusText(const QString &text);

    // Through the installed main window, else to the log output.
    static void Tell(const QString &text);
};

extern template class Seam<CompareMainWindow>;
