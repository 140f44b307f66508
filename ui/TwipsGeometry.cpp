#include "ui/TwipsGeometry.h"

#include "core/Twips.h"

#include <QWidget>
#include <algorithm>

namespace TwipsGeometry {

namespace {

int px(double twips)
{
    return Twips::toPixels(twips);
}

int size(double twips)
{
    return std::max(0, px(twips));
}

} // namespace

int left(const QWidget *widget)
{
    return Twips::fromPixels(widget->geometry().x());
}

int top(const QWidget *widget)
{
    return Twips::fromPixels(widget->geometry().y());
}

int width(const QWidget *widget)
{
    return Twips::fromPixels(widget->width());
}

int height(const QWidget *widget)
{
    return Twips::fromPixels(widget->height());
}

void move(QWidget *widget, double left, double top, double width, double height)
{
    widget->setGeometry(px(left), px(top), size(width), size(height));
}

void move(QWidget *widget, double left, double top)
{
    widget->setGeometry(px(left), px(top), widget->width(), widget->height());
}

void setWidth(QWidget *widget, double width)
{
    const QRect g = widget->geometry();
    widget->setGeometry(g.x(), g.y(), size(width), g.height());
}

void setHeight(QWidget *widget, double height)
{
    const QRect g = widget->geometry();
    widget->setGeometry(g.x(), g.y(), g.width(), size(height));
}

int formWidth(const QWidget *window)
{
    return width(window) + 120;
}

int formHeight(const QWidget *window)
{
    return height(window) + 510;
}

} // namespace TwipsGeometry
