#pragma once

#include "platform/win/WinTypes.h"

#include <QHash>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <map>
#include <mutex>
#include <vector>

namespace win {

class WindowHandler;

// The process-wide table of windows: which Qt widget each handle stands for, its class name,
// styles, window procedure and logical thread. Handles count up from a fixed start and are
// never given out twice. A widget leaves the table when it is destroyed.
//
// Everything runs on the thread that owns the widgets, except isWindow(), which other threads
// may call (PostMessage from a worker): the table is only written on the widgets' thread, and
// those writes hold the lock that foreign readers take.
class WindowTable
{
public:
    struct Record
    {
        HWND hwnd = 0;
        QPointer<QWidget> widget;
        const QWidget *key = nullptr; // the widget as the reverse map knows it
        QString className;
        LONG style = 0;
        LONG exStyle = 0;
        LONG id = 0;
        LONG_PTR userData = 0;
        WNDPROC proc = nullptr;
        WindowHandler *handler = nullptr;
        DWORD threadId = 0;
    };

    static WindowTable &instance();

    // The handle of the pseudo-window that stands for the desktop: the parent of every
    // top-level window as SetParent reports it.
    HWND desktop() const { return m_desktop; }
    DWORD mainThreadId() const { return kMainThread; }
    // A new logical thread: each spreadsheet application runs its windows on one of its own, so
    // that hooks set for its thread see its windows only.
    DWORD newThreadId() { return m_nextThread++; }
    // The id the next new thread will get: every id below it exists.
    DWORD newThreadIdPeek() const { return m_nextThread; }
    // The logical thread whose window procedure is running (the main thread outside any).
    DWORD currentThreadId() const
    {
        return m_threadStack.empty() ? kMainThread : m_threadStack.back();
    }
    void pushThread(DWORD threadId) { m_threadStack.push_back(threadId); }
    void popThread() { m_threadStack.pop_back(); }

    // Registers the widget (and its top-level window, when that has no handle yet). A widget
    // that has a handle keeps it and its class.
    HWND add(QWidget *widget, const QString &className, LONG style, DWORD threadId,
             WindowHandler *handler);
    // Unregisters a window: its handle is dead from now on.
    void remove(HWND hwnd);

    Record *find(HWND hwnd);
    HWND handleOf(const QWidget *widget) const { return m_byWidget.value(widget, 0); }
    QWidget *widget(HWND hwnd);
    bool isWindow(HWND hwnd) const; // any thread

    // The nearest registered ancestor; 0 for a top-level window.
    HWND parentOf(HWND hwnd);
    // The registered windows below `parent`: its children (the nearest registered widgets
    // under it) or all descendants in pre-order. Parent 0 or the desktop: top-level windows,
    // hidden ones included, in creation order (with their descendants when asked).
    std::vector<HWND> children(HWND parent, bool allDescendants);

private:
    WindowTable();
    void collect(QWidget *widget, std::vector<HWND> &out, bool recurse) const;

    static constexpr DWORD kMainThread = 1;
    HWND m_next = 0x00010010;
    HWND m_desktop = 0;
    DWORD m_nextThread = kMainThread + 1;
    std::vector<DWORD> m_threadStack;
    std::map<HWND, Record> m_records;
    QHash<const QWidget *, HWND> m_byWidget;
    mutable std::mutex m_foreignReaders;
};

} // namespace win
