#include "platform/shell/shellhost/ContextMenuPopup.h"

#include <QAction>
#include <QIcon>
#include <QImage>
#include <QMenu>
#include <QPixmap>

namespace shell {

namespace {

QIcon iconOf(HBITMAP bitmap)
{
    int w = 0, h = 0;
    std::vector<quint32> pixels;
    if (!GetBitmapPixels(bitmap, &w, &h, &pixels)) return QIcon();
    QImage image(w, h, QImage::Format_ARGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, pixels[size_t(y) * size_t(w) + size_t(x)]);
    return QIcon(QPixmap::fromImage(image));
}

} // namespace

std::unique_ptr<QMenu>
ContextMenuPopup::buildMenu(const std::vector<ContextMenuHost::Command> &commands)
{
    auto menu = std::make_unique<QMenu>();
    bool any = false;
    for (size_t i = 0; i < commands.size(); ++i) {
        const ContextMenuHost::Command &c = commands[i];
        // Leading, trailing and doubled separators carry nothing on screen.
        if (c.separator) {
            const QList<QAction *> actions = menu->actions();
            if (!actions.isEmpty() && !actions.last()->isSeparator()) menu->addSeparator();
            continue;
        }
        // A menu reads "&" as a mnemonic mark; a file name in a caption may hold one.
        QString caption = c.caption;
        caption.replace(QLatin1Char('&'), QStringLiteral("&&"));
        QAction *a = menu->addAction(iconOf(c.bitmap), caption);
        a->setData(int(i));
        a->setEnabled(!c.grayed && c.handler >= 0);
        if (!c.help.isEmpty()) a->setToolTip(c.help);
        any = true;
    }
    const QList<QAction *> actions = menu->actions();
    if (!actions.isEmpty() && actions.last()->isSeparator()) menu->removeAction(actions.last());
    if (!any) {
        menu->clear();
        menu->addAction(QStringLiteral("No commands are registered for these files"))
            ->setEnabled(false);
    }
    return menu;
}

int ContextMenuPopup::exec(const std::vector<ContextMenuHost::Command> &commands, const QPoint &at)
{
    std::unique_ptr<QMenu> menu = buildMenu(commands);
    QAction *chosen = menu->exec(at);
    if (!chosen || !chosen->data().isValid()) return -1;
    return chosen->data().toInt();
}

} // namespace shell
