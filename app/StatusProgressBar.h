#pragma once

#include "engine/CompareProgressBar.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QProgressBar>

// The main window's progress bar as the comparison moves it. A progress bar repaints itself at
// once on every new value; the comparison sets up to a hundred values per sheet pair, so new
// values reach the bar at most every tenth of a second (the first one at once).
class StatusProgressBar : public CompareProgressBar
{
public:
    explicit StatusProgressBar(QProgressBar *bar) : m_bar(bar) {}
    void setVisible(bool visible) override;
    void setValue(int percent) override;

    static constexpr int IntervalMs = 100;

private:
    QPointer<QProgressBar> m_bar;
    QElapsedTimer m_shown;
};
