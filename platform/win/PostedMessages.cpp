#include "platform/win/PostedMessages.h"

#include "platform/win/HookTable.h"
#include "platform/win/WindowTable.h"

#include <QCoreApplication>
#include <QEvent>

namespace win {

namespace {

const QEvent::Type kPosted = QEvent::Type(QEvent::registerEventType());

class PostedEvent : public QEvent
{
public:
    explicit PostedEvent(const MSG &m) : QEvent(kPosted), msg(m) {}
    MSG msg;
};

} // namespace

PostedMessages &PostedMessages::instance()
{
    // Made by the first window registration, on the windows' thread.
    static PostedMessages *queue = [] {
        auto *q = new PostedMessages;
        if (QCoreApplication *app = QCoreApplication::instance()) q->moveToThread(app->thread());
        return q;
    }();
    return *queue;
}

void PostedMessages::post(const MSG &msg)
{
    QCoreApplication::postEvent(this, new PostedEvent(msg));
}

void PostedMessages::customEvent(QEvent *event)
{
    if (event->type() != kPosted) return;
    MSG msg = static_cast<PostedEvent *>(event)->msg;
    WindowTable &table = WindowTable::instance();
    WindowTable::Record *r = table.find(msg.hwnd);
    if (!r) return; // the window went while the message waited
    const DWORD thread = r->threadId;
    table.pushThread(thread);
    struct Pop
    {
        ~Pop() { WindowTable::instance().popThread(); }
    } pop;
    // A get-message hook may change the message before it is dispatched.
    HookTable::instance().run(thread, WH_GETMESSAGE, HC_ACTION, PM_REMOVE,
                              reinterpret_cast<LPARAM>(&msg));
    r = table.find(msg.hwnd);
    if (!r || !r->proc) return;
    r->proc(msg.hwnd, msg.message, msg.wParam, msg.lParam);
}

} // namespace win
