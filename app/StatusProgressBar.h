#pragma once

#include "engine/CompareProgressBar.h"

#include <QPointer>
#include <QProgressBar>

// The main window's progress bar as the comparison moves it.
class StatusProgressBar : public CompareProgressBar
{
public:
    explicit StatusProgressBar(QProgressBar *bar) : m_bar(bar) {}
    void setVisible(bool visible) override;
    void setValue(int percent) override;

private:
    QPointer<QProgressBar> m_bar;
};
