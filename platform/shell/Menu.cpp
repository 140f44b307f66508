#include "platform/shell/Menu.h"

#include <map>
#include <mutex>

namespace shell {

namespace {

// Far more than any context menu holds; a handler that loops cannot grow a menu without end.
constexpr int MaxItems = 4096;

struct MenuTable
{
    std::mutex mutex;
    std::map<HMENU, std::vector<MenuItem>> menus;
    HMENU next = 0x1000;
};

MenuTable &table()
{
    static MenuTable t;
    return t;
}

// The index of the item the position or identifier names; -1 when none.
int find(const std::vector<MenuItem> &items, UINT position, UINT flags)
{
    if (flags & MF_BYPOSITION) return position < items.size() ? int(position) : -1;
    for (size_t i = 0; i < items.size(); ++i)
        if (!items[i].separator && items[i].id == position) return int(i);
    return -1;
}

} // namespace

HMENU CreatePopupMenu()
{
    MenuTable &t = table();
    std::lock_guard<std::mutex> lock(t.mutex);
    const HMENU h = t.next++;
    t.menus[h];
    return h;
}

bool DestroyMenu(HMENU menu)
{
    MenuTable &t = table();
    std::lock_guard<std::mutex> lock(t.mutex);
    return t.menus.erase(menu) > 0;
}

bool InsertMenu(HMENU menu, UINT position, UINT flags, UINT idNewItem, const QString &text)
{
    MenuTable &t = table();
    std::lock_guard<std::mutex> lock(t.mutex);
    auto it = t.menus.find(menu);
    if (it == t.menus.end() || it->second.size() >= MaxItems) return false;
    std::vector<MenuItem> &items = it->second;
    MenuItem item;
    item.separator = flags & MF_SEPARATOR;
    item.flags = flags & ~(MF_BYPOSITION | MF_SEPARATOR);
    if (!item.separator) {
        item.id = idNewItem;
        // A deep copy: the text may live in a module that is unloaded before the menu ends.
        item.text = QString(text.constData(), text.size());
    }
    int at = find(items, position, flags);
    if (at < 0) {
        if (!(flags & MF_BYPOSITION)) return false;
        at = int(items.size());
    }
    items.insert(items.begin() + at, item);
    return true;
}

bool SetMenuItemBitmaps(HMENU menu, UINT position, UINT flags, HBITMAP unchecked, HBITMAP checked)
{
    MenuTable &t = table();
    std::lock_guard<std::mutex> lock(t.mutex);
    auto it = t.menus.find(menu);
    if (it == t.menus.end()) return false;
    const int at = find(it->second, position, flags);
    if (at < 0) return false;
    it->second[at].uncheckedBitmap = unchecked;
    it->second[at].checkedBitmap = checked;
    return true;
}

int GetMenuItemCount(HMENU menu)
{
    MenuTable &t = table();
    std::lock_guard<std::mutex> lock(t.mutex);
    auto it = t.menus.find(menu);
    return it == t.menus.end() ? -1 : int(it->second.size());
}

UINT GetMenuItemID(HMENU menu, int position)
{
    MenuItem item;
    if (!GetMenuItem(menu, position, &item) || item.separator) return 0xFFFFFFFFu;
    return item.id;
}

bool GetMenuItem(HMENU menu, int position, MenuItem *item)
{
    MenuTable &t = table();
    std::lock_guard<std::mutex> lock(t.mutex);
    auto it = t.menus.find(menu);
    if (it == t.menus.end() || position < 0 || size_t(position) >= it->second.size()) return false;
    if (item) *item = it->second[size_t(position)];
    return true;
}

} // namespace shell
