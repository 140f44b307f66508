#pragma once

#include "platform/shell/MenuBitmap.h"

#include <QString>
#include <QtGlobal>
#include <vector>

// Popup menus as the shell's context-menu contract fills them: a host creates a menu, each
// handler inserts its items by position with identifiers from the range it was given, and the
// host shows the menu and invokes the item chosen. Handles are 32-bit and never reused.
namespace shell {

using HMENU = quint32;
using UINT = quint32;

constexpr UINT MF_STRING = 0x0000;
constexpr UINT MF_BYCOMMAND = 0x0000;
constexpr UINT MF_GRAYED = 0x0001;
constexpr UINT MF_DISABLED = 0x0002;
constexpr UINT MF_BITMAP = 0x0004;
constexpr UINT MF_CHECKED = 0x0008;
constexpr UINT MF_USECHECKBITMAPS = 0x0200;
constexpr UINT MF_BYPOSITION = 0x0400;
constexpr UINT MF_SEPARATOR = 0x0800;

// One item as a host reads it back.
struct MenuItem
{
    bool separator = false;
    UINT id = 0;
    UINT flags = 0; // the state flags it was inserted with (MF_GRAYED, MF_CHECKED...)
    QString text;
    HBITMAP uncheckedBitmap = 0;
    HBITMAP checkedBitmap = 0;

    bool grayed() const { return flags & (MF_GRAYED | MF_DISABLED); }
};

HMENU CreatePopupMenu();
bool DestroyMenu(HMENU menu);
// Inserts before the item at `position` (MF_BYPOSITION) or before the item with that
// identifier; a position past the end appends. A separator takes no identifier or text.
bool InsertMenu(HMENU menu, UINT position, UINT flags, UINT idNewItem, const QString &text);
// The pictures drawn beside an item in its unchecked and checked states (0 for none).
bool SetMenuItemBitmaps(HMENU menu, UINT position, UINT flags, HBITMAP unchecked, HBITMAP checked);
// -1 for a handle that is no menu.
int GetMenuItemCount(HMENU menu);
// The identifier of the item at the position; 0xFFFFFFFF for a separator or no item.
UINT GetMenuItemID(HMENU menu, int position);
bool GetMenuItem(HMENU menu, int position, MenuItem *item);

} // namespace shell
