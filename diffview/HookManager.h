#pragma once

#include <functional>

// The scroll linkage as the difference view uses it: a manager that keeps pairs of spreadsheet
// main windows scrolling together and tells of every scroll and repaint of a linked window.
// The view registers both directions (left spies on right, right on left) and switches the hooks
// on; releasing the manager removes every hook it set.
class HookManager
{
public:
    virtual ~HookManager() = default;

    virtual void RemoveAllPairs() = 0;
    // The spied window is watched; the follower is moved after it.
    virtual bool AddPair(int hWndSpy, int hWndCtrl) = 0;
    // True: installs the hooks of every pair; false when any could not be set.
    virtual bool SetSpyHook(bool fSet) = 0;

    // Events, raised on the user-interface thread. hAppWnd: the spied main window (OnPaint) or
    // the worksheet window that scrolled (OnScrolled).
    std::function<void(int hAppWnd, int hWnd)> OnPaint;
    std::function<void(int hAppWnd, int msgId, int nPos)> OnScrolled;
};
