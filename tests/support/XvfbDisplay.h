#pragma once

#include <QString>
#include <sys/types.h>

// A private X display for one test process: an Xvfb server chosen race-free through -displayfd,
// and a small window manager on it, so that window tests meet real geometry, focus and mapping.
// Both children die with the test process (a crashed test leaves no server behind).
class XvfbDisplay
{
public:
    XvfbDisplay() = default;
    ~XvfbDisplay();
    XvfbDisplay(const XvfbDisplay &) = delete;
    XvfbDisplay &operator=(const XvfbDisplay &) = delete;

    // Starts the server (and the window manager unless withWindowManager is false) and points
    // DISPLAY and QT_QPA_PLATFORM at it. On failure returns false and says why in error().
    bool start(bool withWindowManager);
    QString error() const { return m_error; }
    QString display() const { return m_display; }

private:
    bool waitForWindowManager();
    void stop();

    pid_t m_server = -1;
    pid_t m_windowManager = -1;
    QString m_display;
    QString m_error;
};
