#include "ui/ProductIcon.h"

#include <QPainter>
#include <QPixmap>

namespace ProductIcon {

namespace {

// One sheet in the unit square's coordinates: a white page with a coloured header row and
// grid lines.
void drawSheet(QPainter &p, const QRectF &r, const QColor &header)
{
    p.setPen(QPen(QColor(90, 90, 90), 0.02));
    p.setBrush(Qt::white);
    p.drawRect(r);
    const double rowHeight = r.height() / 5;
    p.fillRect(QRectF(r.left(), r.top(), r.width(), rowHeight), header);
    p.setPen(QPen(QColor(170, 170, 170), 0.012));
    for (int i = 2; i < 5; ++i)
        p.drawLine(QPointF(r.left(), r.top() + i * rowHeight),
                   QPointF(r.right(), r.top() + i * rowHeight));
    p.drawLine(QPointF(r.center().x(), r.top() + rowHeight), QPointF(r.center().x(), r.bottom()));
}

} // namespace

QPixmap pixmap(int size)
{
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size, size);
    drawSheet(p, QRectF(0.05, 0.12, 0.42, 0.76), QColor(52, 101, 164));
    drawSheet(p, QRectF(0.53, 0.12, 0.42, 0.76), QColor(78, 154, 6));
    // The differing cell, circled.
    p.setPen(QPen(QColor(204, 0, 0), 0.06));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRectF(0.6, 0.42, 0.3, 0.22));
    return pm;
}

QIcon icon()
{
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addPixmap(pixmap(size));
    return icon;
}

} // namespace ProductIcon
