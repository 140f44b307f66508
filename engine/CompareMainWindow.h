#pragma once

#include "platform/Seam.h"

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
};

extern template class Seam<CompareMainWindow>;
