#pragma once

#include <QElapsedTimer>

// Lets the event loop run from inside a long comparison loop, but only every few tens of
// milliseconds: yielding per cell costs seconds on a large sheet, while the progress bar and
// the Cancel button only need to stay live.
class ThrottledYield
{
public:
    explicit ThrottledYield(int intervalMs = 30);

    // Runs pending events when the interval has passed; then answers the cancel flag.
    bool cancelled();
    // Runs pending events now.
    void now();

private:
    QElapsedTimer m_timer;
    int m_intervalMs;
};
