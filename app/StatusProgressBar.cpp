#include "app/StatusProgressBar.h"

#include <QProgressBar>
#include <algorithm>

void StatusProgressBar::setVisible(bool visible)
{
    if (m_bar) m_bar->setVisible(visible);
}

void StatusProgressBar::setValue(int percent)
{
    if (m_bar) m_bar->setValue(std::clamp(percent, 0, 100));
}
