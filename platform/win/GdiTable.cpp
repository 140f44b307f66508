#include "platform/win/GdiTable.h"

namespace win {

GdiTable &GdiTable::instance()
{
    static GdiTable table;
    return table;
}

HGDIOBJ GdiTable::add(std::shared_ptr<Object> object)
{
    const HGDIOBJ handle = m_next;
    m_next += 4;
    m_objects.emplace(handle, std::move(object));
    return handle;
}

std::shared_ptr<GdiTable::Object> GdiTable::find(HGDIOBJ handle) const
{
    auto it = m_objects.find(handle);
    return it == m_objects.end() ? nullptr : it->second;
}

std::shared_ptr<GdiTable::Object> GdiTable::find(HGDIOBJ handle, Kind kind) const
{
    std::shared_ptr<Object> o = find(handle);
    return o && o->kind == kind ? o : nullptr;
}

bool GdiTable::remove(HGDIOBJ handle)
{
    auto it = m_objects.find(handle);
    if (it == m_objects.end()) return false;
    if (it->second->stock) return true;
    m_objects.erase(it);
    return true;
}

HGDIOBJ GdiTable::stock(int which)
{
    auto known = m_stock.find(which);
    if (known != m_stock.end()) return known->second;
    auto o = std::make_shared<Object>();
    o->stock = true;
    switch (which) {
    case WHITE_BRUSH:
        o->kind = Kind::Brush;
        o->color = RGB(255, 255, 255);
        break;
    case BLACK_BRUSH:
        o->kind = Kind::Brush;
        o->color = RGB(0, 0, 0);
        break;
    case NULL_BRUSH:
        o->kind = Kind::Brush;
        o->style = 1;
        break;
    case WHITE_PEN:
        o->kind = Kind::Pen;
        o->color = RGB(255, 255, 255);
        break;
    case BLACK_PEN:
        o->kind = Kind::Pen;
        o->color = RGB(0, 0, 0);
        break;
    case NULL_PEN:
        o->kind = Kind::Pen;
        o->style = PS_NULL;
        break;
    default:
        return 0;
    }
    const HGDIOBJ handle = add(std::move(o));
    m_stock.emplace(which, handle);
    return handle;
}

} // namespace win
