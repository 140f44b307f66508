#pragma once

#include "platform/shell/shellhost/ContextMenuHost.h"

#include <QPoint>
#include <memory>

class QMenu;

namespace shell {

// The one windowed piece of shellhost: the commands shown as a menu at the cursor, as a file
// manager would show them. Grayed commands show but cannot be chosen.
class ContextMenuPopup
{
public:
    // A menu of the commands; each action's data is its index into `commands`. Without any
    // command it holds one disabled item that says so.
    static std::unique_ptr<QMenu> buildMenu(const std::vector<ContextMenuHost::Command> &commands);
    // Shows the menu at the point and waits for the user; the index of the command chosen,
    // or -1.
    static int exec(const std::vector<ContextMenuHost::Command> &commands, const QPoint &at);
};

} // namespace shell
