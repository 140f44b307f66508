#include "engine/ThrottledYield.h"

#include "engine/ModCompare.h"

#include <QCoreApplication>

ThrottledYield::ThrottledYield(int intervalMs) : m_intervalMs(intervalMs)
{
    m_timer.start();
}

bool ThrottledYield::cancelled()
{
    if (m_timer.elapsed() >= m_intervalMs) now();
    return ModCompare::IsCancelCompare();
}

void ThrottledYield::now()
{
    if (QCoreApplication::instance()) QCoreApplication::processEvents();
    m_timer.restart();
}
