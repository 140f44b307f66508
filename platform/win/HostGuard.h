#pragma once

#include <QList>
#include <QPointer>
#include <QWidget>

namespace win {

// An invisible first child of a widget that hosts windows given to it by SetParent. Qt deletes
// a widget's children in order when the widget goes, so this child goes first and takes the
// hosted windows out (hidden, top-level) before Qt would delete them with their host.
class HostGuard : public QWidget
{
public:
    // The guard of `host`, made when missing; it is moved to the front of the host's children.
    static HostGuard *of(QWidget *host);
    void guard(QWidget *hosted);
    ~HostGuard() override;

private:
    explicit HostGuard(QWidget *host);
    QList<QPointer<QWidget>> m_hosted;
};

} // namespace win
