#pragma once

#include "diffview/HookManager.h"
#include "platform/com/ComPtr.h"
#include "platform/com/typelib/IHookExcelManager.h"

#include <QString>
#include <memory>

namespace com {
class DispatchEventSink;
}

// The scroll linkage of the pairing library: its ClsHookExcelManager, bound early, with the
// manager's OnPaint and OnScrolled events passed on. Releasing it removes every hook.
class PairwinHookManager : public HookManager
{
public:
    // Creates the manager by its registration, else from "Pairwin.so" in the program folder (a
    // program run where it was built, never installed). Raises error 429 naming what failed.
    static std::unique_ptr<PairwinHookManager> create(const QString &programFolder);

    ~PairwinHookManager() override;

    void RemoveAllPairs() override;
    bool AddPair(int hWndSpy, int hWndCtrl) override;
    bool SetSpyHook(bool fSet) override;

private:
    explicit PairwinHookManager(com::ComPtr<pairwin::_ClsHookExcelManager> manager);

    com::ComPtr<pairwin::_ClsHookExcelManager> m_manager;
    com::DispatchEventSink *m_sink = nullptr;
};
