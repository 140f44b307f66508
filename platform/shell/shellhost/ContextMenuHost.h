#pragma once

#include "platform/com/ComPtr.h"
#include "platform/shell/IContextMenu.h"
#include "platform/shell/IDataObject.h"

#include <QString>
#include <QStringList>
#include <vector>

namespace shell {

// Plays the file manager's part of the context-menu contract, with no window: loads the
// handlers registered under HKCR *\shellex\ContextMenuHandlers (in the order of their names),
// initialises each with a data object holding the selected files, lets each add its commands
// to one menu with an identifier range of its own, reads the commands back, and invokes at most
// one. Everything is released when the host ends.
class ContextMenuHost
{
public:
    static const char HandlersKey[]; // "*\shellex\ContextMenuHandlers"
    static constexpr UINT DefaultIdFirst = 1;
    static constexpr UINT DefaultIdLast = 0x7FFF;

    struct Handler
    {
        QString name; // the handler's key name
        com::CLSID clsid{};
        com::ComPtr<IContextMenu> menu;
        UINT idFirst = 0;
        UINT idCount = 0;  // identifiers it said it used
        int firstItem = 0; // menu position from which it added its items
    };
    struct Command
    {
        bool separator = false;
        int handler = -1; // index into handlers(); -1 for an item outside every handler's range
        UINT offset = 0;  // from the handler's idFirst
        QString caption;
        bool grayed = false;
        HBITMAP bitmap = 0;
        QString verb;
        QString help;
    };

    ContextMenuHost();
    ~ContextMenuHost();
    ContextMenuHost(const ContextMenuHost &) = delete;
    ContextMenuHost &operator=(const ContextMenuHost &) = delete;

    // Handlers that cannot be loaded, initialised or asked are left out and reported in
    // errors(), each naming the handler and what failed.
    void build(const QStringList &files, UINT flags = CMF_NORMAL, UINT idFirst = DefaultIdFirst,
               UINT idLast = DefaultIdLast);

    const std::vector<Handler> &handlers() const { return m_handlers; }
    std::vector<Command> commands() const;
    QStringList errors() const { return m_errors; }
    HMENU menu() const { return m_menu; }

    // The command at `offset` of the handler: InvokeCommand with that offset.
    HRESULT invoke(int handler, UINT offset);

    // One line per item: "handler<TAB>name<TAB>{clsid}" before a handler's items, then
    // "separator", or "command<TAB>offset<TAB>enabled|grayed<TAB>image WxH|-<TAB>verb<TAB>
    // caption". Tabs, line breaks and backslashes in texts are written as \t, \n and \\.
    QString listing() const;

private:
    QString commandString(const Handler &h, UINT offset, UINT type) const;

    HMENU m_menu = 0;
    IDataObject *m_data = nullptr;
    std::vector<Handler> m_handlers;
    QStringList m_errors;
};

} // namespace shell
