#pragma once

#include "platform/win/WinTypes.h"

#include <QObject>

namespace win {

// The queue of posted messages: each one travels as a Qt event to this object, which lives on
// the windows' thread, so posted messages keep their order and may come from any thread.
class PostedMessages : public QObject
{
public:
    static PostedMessages &instance();
    void post(const MSG &msg);

protected:
    void customEvent(QEvent *event) override;

private:
    PostedMessages() = default;
};

} // namespace win
