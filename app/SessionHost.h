#pragma once

#include <QString>

class QWidget;
class frmSession;

// What a session window asks of the main window that holds it: the busy state of a comparison,
// the save dialog, the recent list and the project list. The main window registers itself as
// the host while it exists, so that a session window needs nothing else of it.
class SessionHost
{
public:
    // The main window while it exists, else null.
    static SessionHost *current();

    // Every activation of a session window.
    virtual void SubWindowActiveted(frmSession *frm) = 0;
    // The command line asked for an automatic comparison (" /A").
    virtual bool AutoRun() const = 0;
    // A comparison runs (in any window), or runs in that one.
    virtual bool IsBusy() const = 0;
    virtual bool IsRunning(const frmSession *frm) const = 0;
    // The close of a window whose comparison runs: asks whether to cancel the run.
    virtual bool QueryCloseWhileBusy(QWidget *closing) = 0;
    // Asks for a name for the window's project and saves it there; "" when not saved.
    virtual QString SaveFileOf(frmSession *frm) = 0;
    virtual void AddToRecentFile(const QString &path) = 0;
    // A session window's project closed (or was renamed away from that path).
    virtual void FileClosed(const QString &path) = 0;
    // A text of the main window's language section.
    virtual QString MainWindowText(const QString &key, const QString &defaultText) = 0;

protected:
    SessionHost() = default;
    ~SessionHost() = default;
    static void setCurrent(SessionHost *host);
};
