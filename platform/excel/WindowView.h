#pragma once

#include <QPoint>
#include <QSize>
#include <functional>
#include <memory>

namespace excel {

class Application;

// An application's main window as the object model sees it. The window library installs a
// factory; without one (windowless programs, tests of the model) applications have no window:
// Hwnd is 0, Visible shows nothing, and window geometry is worked out for a nominal window of
// NominalArea pixels at 96 dots per inch whose cells start at the screen's corner.
class WindowView
{
public:
    static constexpr QSize NominalArea{1200, 800};
    using Factory = std::function<std::unique_ptr<WindowView>(std::shared_ptr<Application>)>;

    virtual ~WindowView() = default;
    virtual int hwnd() const = 0;
    virtual void setVisible(bool visible) = 0;
    // The scroll position, zoom or selection changed: redraw now.
    virtual void viewChanged() = 0;
    // Cells, formats or sheets changed: redraw soon, once for many changes.
    virtual void contentChanged() = 0;
    // The cell area (without headers and scroll bars) in pixels, its top-left corner on the
    // screen, and the screen's resolution.
    virtual QSize cellArea() const = 0;
    virtual QPoint cellAreaOnScreen() const = 0;
    virtual int dpi() const = 0;

    static void setFactory(Factory factory);
    static const Factory &factory();
};

} // namespace excel
