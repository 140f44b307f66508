#pragma once

class QWidget;

// A widget's place and size in twips, as the windows' layout rules give them. Every conversion
// goes through core/Twips.h. For a top-level window the values are its client area on the
// screen (the window system draws the frame); for a child they are relative to its parent.
namespace TwipsGeometry {

int left(const QWidget *widget);
int top(const QWidget *widget);
int width(const QWidget *widget);
int height(const QWidget *widget);

// Moves and sizes the widget; negative sizes become 0.
void move(QWidget *widget, double left, double top, double width, double height);
// Moves the widget, keeping its size.
void move(QWidget *widget, double left, double top);
void setWidth(QWidget *widget, double width);
void setHeight(QWidget *widget, double height);

// A dialog's outer width and height as its layout rules count them: the inner area plus the
// border and caption of a sizable window (fixed allowances of 120 and 510 twips, since each
// window manager draws a frame of its own size), so that rules which leave room for the frame
// leave the same room inside.
int formWidth(const QWidget *window);
int formHeight(const QWidget *window);

} // namespace TwipsGeometry
