#include "platform/win/WindowTable.h"

#include "platform/win/Messages.h"

namespace win {

WindowTable &WindowTable::instance()
{
    static WindowTable table;
    return table;
}

WindowTable::WindowTable()
{
    // The desktop has a handle but no widget.
    Record desk;
    desk.hwnd = m_desktop = m_next;
    m_next += 2;
    desk.className = QStringLiteral("#32769");
    desk.style = WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
    desk.threadId = kMainThread;
    desk.proc = &DefWindowProc;
    m_records.emplace(desk.hwnd, desk);
}

HWND WindowTable::add(QWidget *widget, const QString &className, LONG style, DWORD threadId,
                      WindowHandler *handler)
{
    if (!widget) return 0;
    if (HWND known = m_byWidget.value(widget, 0)) return known;
    // A window's top-level ancestor gets a handle first, so that every registered window has a
    // registered top-level window above it.
    QWidget *top = widget->window();
    if (top != widget && !m_byWidget.contains(top))
        add(top, QString::fromLatin1(top->metaObject()->className()), WS_OVERLAPPEDWINDOW, threadId,
            nullptr);

    Record r;
    r.hwnd = m_next;
    m_next += 2;
    r.widget = widget;
    r.key = widget;
    r.className = className;
    r.style = style;
    r.threadId = threadId ? threadId : kMainThread;
    r.handler = handler;
    r.proc = &ClassWindowProc;
    {
        std::lock_guard<std::mutex> lock(m_foreignReaders);
        m_records.emplace(r.hwnd, r);
    }
    m_byWidget.insert(widget, r.hwnd);
    const HWND hwnd = r.hwnd;
    QObject::connect(widget, &QObject::destroyed, [hwnd] { WindowTable::instance().remove(hwnd); });
    return hwnd;
}

void WindowTable::remove(HWND hwnd)
{
    auto it = m_records.find(hwnd);
    if (it == m_records.end() || hwnd == m_desktop) return;
    // The widget may be half destroyed: its address is only a key here.
    if (m_byWidget.value(it->second.key, 0) == hwnd) m_byWidget.remove(it->second.key);
    std::lock_guard<std::mutex> lock(m_foreignReaders);
    m_records.erase(it);
}

WindowTable::Record *WindowTable::find(HWND hwnd)
{
    auto it = m_records.find(hwnd);
    if (it == m_records.end()) return nullptr;
    // A widget can go without its destroyed signal having reached us yet (during its own
    // destructor); it counts as gone.
    if (hwnd != m_desktop && !it->second.widget) return nullptr;
    return &it->second;
}

QWidget *WindowTable::widget(HWND hwnd)
{
    Record *r = find(hwnd);
    return r ? r->widget.data() : nullptr;
}

bool WindowTable::isWindow(HWND hwnd) const
{
    std::lock_guard<std::mutex> lock(m_foreignReaders);
    return m_records.count(hwnd) > 0;
}

HWND WindowTable::parentOf(HWND hwnd)
{
    QWidget *w = widget(hwnd);
    if (!w || w->isWindow()) return 0;
    for (QWidget *p = w->parentWidget(); p; p = p->parentWidget()) {
        if (HWND h = m_byWidget.value(p, 0)) return h;
        if (p->isWindow()) break;
    }
    return 0;
}

void WindowTable::collect(QWidget *widget, std::vector<HWND> &out, bool recurse) const
{
    for (QObject *child : widget->children()) {
        QWidget *w = qobject_cast<QWidget *>(child);
        // Windows parented to a widget but shown on their own (dialogs) are owned, not children.
        if (!w || w->isWindow()) continue;
        if (HWND h = m_byWidget.value(w, 0)) {
            out.push_back(h);
            if (recurse) collect(w, out, true);
        } else {
            collect(w, out, recurse); // unregistered widgets are transparent
        }
    }
}

std::vector<HWND> WindowTable::children(HWND parent, bool allDescendants)
{
    std::vector<HWND> out;
    if (parent == 0 || parent == m_desktop) {
        std::vector<HWND> tops;
        for (auto &[h, r] : m_records)
            if (h != m_desktop && r.widget && r.widget->isWindow()) tops.push_back(h);
        for (HWND top : tops) {
            out.push_back(top);
            if (allDescendants) collect(widget(top), out, true);
        }
        return out;
    }
    if (QWidget *w = widget(parent)) collect(w, out, allDescendants);
    return out;
}

} // namespace win
