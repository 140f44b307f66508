#include "platform/win/HookTable.h"

#include <algorithm>

namespace win {

HookTable &HookTable::instance()
{
    static HookTable table;
    return table;
}

HHOOK HookTable::add(int kind, HOOKPROC proc, DWORD threadId)
{
    auto hook = std::make_shared<Hook>();
    hook->handle = m_next++;
    hook->kind = kind;
    hook->proc = proc;
    hook->threadId = threadId;
    m_hooks.push_back(hook);
    return hook->handle;
}

bool HookTable::remove(HHOOK handle)
{
    auto it = std::find_if(m_hooks.begin(), m_hooks.end(),
                           [handle](const auto &h) { return h->handle == handle; });
    if (it == m_hooks.end()) return false;
    (*it)->removed = true; // a chain being run skips it from now on
    m_hooks.erase(it);
    return true;
}

bool HookTable::has(int kind, DWORD threadId) const
{
    return std::any_of(m_hooks.begin(), m_hooks.end(),
                       [&](const auto &h) { return h->kind == kind && h->threadId == threadId; });
}

LRESULT HookTable::run(DWORD threadId, int kind, int code, WPARAM wParam, LPARAM lParam, bool *ran)
{
    Frame frame;
    for (auto it = m_hooks.rbegin(); it != m_hooks.rend(); ++it)
        if ((*it)->kind == kind && (*it)->threadId == threadId) frame.chain.push_back(*it);
    if (ran) *ran = !frame.chain.empty();
    if (frame.chain.empty()) return 0;
    m_frames.push_back(std::move(frame));
    // The frame goes when the chain ends, also when a hook throws.
    struct Pop
    {
        std::vector<Frame> &frames;
        std::size_t depth;
        ~Pop() { frames.resize(depth - 1); }
    } pop{m_frames, m_frames.size()};
    return callNext(code, wParam, lParam);
}

LRESULT HookTable::callNext(int code, WPARAM wParam, LPARAM lParam)
{
    if (m_frames.empty()) return 0;
    const std::size_t index = m_frames.size() - 1;
    while (m_frames[index].next < m_frames[index].chain.size()) {
        std::shared_ptr<Hook> hook = m_frames[index].chain[m_frames[index].next++];
        if (!hook->removed) return hook->proc(code, wParam, lParam);
    }
    return 0;
}

} // namespace win
