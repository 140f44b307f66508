#include "diffview/LeftRightViewSeam.h"

#include "diffview/frmLeftRight.h"

#include <QEventLoop>
#include <QGuiApplication>
#include <QScreen>

void LeftRightViewSeam::ShowPairDetail(ClsCompareCore &core, std::shared_ptr<ClsComparePair> pair)
{
    auto view = std::make_unique<frmLeftRight>();
    view->SetOpt(&core);
    view->SetPair(std::move(pair));
    view->setWindowModality(Qt::ApplicationModal);
    if (QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect room = screen->availableGeometry();
        view->resize(room.width() * 9 / 10, room.height() * 9 / 10);
        view->move(room.center() - view->rect().center());
    }
    view->show();
    view->raise();
    view->activateWindow();
    // A window manager may keep the focus elsewhere; the view is set up all the same.
    view->Form_Activate();
    if (m_runner) m_runner(*view);
    if (!view->isUnloaded()) {
        // The core's run goes on once the user has closed the view.
        QEventLoop loop;
        QObject::connect(view.get(), &frmLeftRight::unloaded, &loop, &QEventLoop::quit);
        if (!view->isUnloaded()) loop.exec();
    }
    view->hide();
}
