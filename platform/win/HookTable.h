#pragma once

#include "platform/win/WinTypes.h"

#include <memory>
#include <vector>

namespace win {

// The hooks set on logical threads, and the chains being run. A chain runs the hooks of one
// kind on one thread, newest first; each hook passes the call on with CallNextHookEx, which
// finds its place through the chain being run (callers pass no usable hook handle).
class HookTable
{
public:
    static HookTable &instance();

    HHOOK add(int kind, HOOKPROC proc, DWORD threadId);
    bool remove(HHOOK hook);
    bool has(int kind, DWORD threadId) const;

    // Runs the chain; *ran tells whether there was any hook. The result is the chain's.
    LRESULT run(DWORD threadId, int kind, int code, WPARAM wParam, LPARAM lParam,
                bool *ran = nullptr);
    // The next hook of the chain being run, or 0 at its end (and outside any chain).
    LRESULT callNext(int code, WPARAM wParam, LPARAM lParam);

private:
    struct Hook
    {
        HHOOK handle = 0;
        int kind = 0;
        HOOKPROC proc = nullptr;
        DWORD threadId = 0;
        bool removed = false;
    };
    struct Frame
    {
        std::vector<std::shared_ptr<Hook>> chain;
        std::size_t next = 0;
    };

    HookTable() = default;

    std::vector<std::shared_ptr<Hook>> m_hooks; // in the order they were set
    std::vector<Frame> m_frames;
    HHOOK m_next = 0x1000;
};

} // namespace win
