#pragma once

#include <QPoint>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionSlider>

// The centre of a part of a scroll bar (an arrow, a page area, the thumb), where a user clicks
// it, as the bar's style lays it out.
inline QPoint scrollBarPart(QScrollBar *bar, QStyle::SubControl which)
{
    QStyleOptionSlider opt;
    opt.initFrom(bar);
    opt.subControls = QStyle::SC_All;
    opt.orientation = bar->orientation();
    opt.minimum = bar->minimum();
    opt.maximum = bar->maximum();
    opt.sliderPosition = bar->sliderPosition();
    opt.sliderValue = bar->value();
    opt.pageStep = bar->pageStep();
    opt.singleStep = bar->singleStep();
    return bar->style()->subControlRect(QStyle::CC_ScrollBar, &opt, which, bar).center();
}
