#pragma once

#include <memory>

namespace excel {

// View settings of a workbook window; the window layer draws it.
class Window
{
public:
    int Zoom() const { return m_zoom; }
    // 10 to 400 percent; other values raise.
    void setZoom(int percent);

private:
    int m_zoom = 100;
};

} // namespace excel
