#pragma once

#include "platform/win/Gdi.h"
#include "platform/win/WinTypes.h"

#include <QImage>
#include <map>
#include <memory>
#include <utility>
#include <vector>

namespace win {

// The drawing objects behind the GDI handles: device contexts, pens, brushes and bitmaps.
class GdiTable
{
public:
    enum class Kind { Dc, Pen, Brush, Bitmap };
    enum class DcKind { Screen, Window, Memory };

    struct Object
    {
        Kind kind = Kind::Pen;
        bool stock = false;
        // pens and brushes
        int style = 0; // pen style; brushes: 0 solid, 1 none
        int width = 1;
        COLORREF color = 0;
        // bitmaps
        QImage image;
        // device contexts
        DcKind dc = DcKind::Screen;
        HWND window = 0; // a window context's window; a memory context's source window
        HGDIOBJ pen = 0, brush = 0, bitmap = 0;
        std::shared_ptr<Object> penObject, brushObject, bitmapObject;
    };

    static GdiTable &instance();

    HGDIOBJ add(std::shared_ptr<Object> object);
    std::shared_ptr<Object> find(HGDIOBJ handle) const;
    std::shared_ptr<Object> find(HGDIOBJ handle, Kind kind) const;
    bool remove(HGDIOBJ handle);
    HGDIOBJ stock(int which);

    int dpiOverride = 0;
    bool logging = false;
    // Pictures of windows beneath their overlays, as the last copies from them took them (a few
    // at most): the copy back onto a window compares with its picture rather than drawing the
    // window again.
    std::vector<std::pair<HWND, QImage>> beneath;
    std::vector<EllipseCall> log;

private:
    GdiTable() = default;
    std::map<HGDIOBJ, std::shared_ptr<Object>> m_objects;
    std::map<int, HGDIOBJ> m_stock;
    HGDIOBJ m_next = 0x2000;
};

} // namespace win
