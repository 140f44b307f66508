#pragma once

#include <QEvent>
#include <QObject>
#include <QtGlobal>

// The copy thread's reports to the wizard window, with the numbers of the window messages they
// stand for (the first user message number, 0x400, + 1011 to 1014). They are posted as events,
// which Qt delivers in order on the window's thread.
constexpr int WM_COPYFILE_BEGIN = 0x0400 + 1011; // wParam: index of the [Files] line
constexpr int WM_COPYFILE_STEP = 0x0400 + 1012;  // wParam: bytes of the line's source file
constexpr int WM_COPYFILE_DONE = 0x0400 + 1013;  // wParam: 0
constexpr int WM_COPYFILE_ABORT = 0x0400 + 1014; // wParam: index of the failed line

class SetupMessage : public QEvent
{
public:
    SetupMessage(int message, quint64 wParam, qint64 lParam = 0)
        : QEvent(QEvent::Type(message)), m_wParam(wParam), m_lParam(lParam)
    {
    }

    int message() const { return int(type()); }
    quint64 wParam() const { return m_wParam; }
    qint64 lParam() const { return m_lParam; }

    // The event a handler gets for one of the four messages, or null for any other event.
    static const SetupMessage *from(const QEvent *event);

private:
    quint64 m_wParam;
    qint64 m_lParam;
};

// Posts a message to the window from any thread; the window must outlive the call.
void PostSetupMessage(QObject *window, int message, quint64 wParam, qint64 lParam = 0);
