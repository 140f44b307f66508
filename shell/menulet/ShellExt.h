#pragma once

#include "core/ClsIni.h"
#include "platform/com/ComObject.h"
#include "platform/com/ServerModule.h"
#include "platform/shell/IContextMenu.h"
#include "platform/shell/IShellExtInit.h"
#include "shell/menulet/ShellExtIds.h"

#include <QString>
#include <vector>

namespace menulet {

// The context-menu extension: three commands on the selected files. Compare the two selected
// files; remember one selected file as the left file; compare the remembered left file with
// the selected one. The file manager creates one object per menu, initialises it with the
// selection, asks it for its commands and invokes at most one.
class ShellExt final : public com::ComObject<_ShellExt, shell::IShellExtInit, shell::IContextMenu>
{
public:
    // Holds the module while it lives. Starts with no reference.
    explicit ShellExt(com::ServerModule &module);
    ShellExt(const ShellExt &) = delete;
    ShellExt &operator=(const ShellExt &) = delete;

    com::HRESULT Initialize(const void *folder, shell::IDataObject *data,
                            win::HKEY progIdKey) override;

    com::HRESULT QueryContextMenu(shell::HMENU menu, shell::UINT indexMenu, shell::UINT idCmdFirst,
                                  shell::UINT idCmdLast, shell::UINT uFlags) override;
    com::HRESULT InvokeCommand(const shell::CMINVOKECOMMANDINFO *info) override;
    com::HRESULT GetCommandString(com::UINT_PTR idCmd, shell::UINT uType, shell::UINT *reserved,
                                  char *pszName, shell::UINT cchMax) override;

    // The commands, by number.
    enum Command { BeginCompare = 0, SelLeft = 1, CompareWithLeft = 2 };

private:
    ~ShellExt() override;
    void *interfaceFor(const com::IID &riid) override;
    // The command at an offset of the latest menu (the offset itself before any menu).
    int commandAt(com::UINT_PTR offset) const;

    com::ServerModule &m_module;

    QString m_FirstFile;
    QString m_SecondFile;
    int m_SelectedCount = 0;
    QString m_MainProgramPath;
    QString m_LibraryFolder; // with a trailing "/"
    ClsIni m_SettingsIni;
    ClsIni m_LangIni;
    QString m_BeginCompare;
    QString m_SelLeft;
    QString m_CompareWithPrefix;
    QString m_CompareWithPostfix;

    // The pictures of this object's menus: its own, deleted when it ends and not before, so
    // that no other object's end can take them from under a menu on screen.
    std::vector<shell::HBITMAP> m_Bitmaps;
    std::vector<int> m_CommandOfOffset;
};

} // namespace menulet
