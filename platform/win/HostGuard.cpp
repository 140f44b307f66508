#include "platform/win/HostGuard.h"

namespace win {

HostGuard::HostGuard(QWidget *host) : QWidget(host)
{
    setObjectName(QStringLiteral("qx_host_guard"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFixedSize(0, 0);
    hide();
}

HostGuard *HostGuard::of(QWidget *host)
{
    HostGuard *guard = nullptr;
    for (QObject *child : host->children())
        if ((guard = dynamic_cast<HostGuard *>(child))) break;
    if (!guard) guard = new HostGuard(host);
    guard->lower(); // first among the host's children
    return guard;
}

void HostGuard::guard(QWidget *hosted)
{
    m_hosted.removeAll(nullptr);
    if (!m_hosted.contains(hosted)) m_hosted.append(hosted);
    lower();
}

HostGuard::~HostGuard()
{
    QWidget *host = parentWidget();
    for (const QPointer<QWidget> &w : m_hosted)
        if (w && w->parentWidget() == host) {
            w->hide();
            w->setParent(nullptr, w->windowFlags() | Qt::Window);
        }
}

} // namespace win
