#include "app/StatusProgressBar.h"

#include <QProgressBar>
#include <algorithm>

void StatusProgressBar::setVisible(bool visible)
{
    if (m_bar) m_bar->setVisible(visible);
    m_shown.invalidate();
}

void StatusProgressBar::setValue(int percent)
{
    if (!m_bar) return;
    percent = std::clamp(percent, 0, 100);
    // A run's start and end always show; the values between only now and then.
    if (percent != 0 && percent != 100 && m_shown.isValid() && m_shown.elapsed() < IntervalMs)
        return;
    m_shown.start();
    m_bar->setValue(percent);
}
