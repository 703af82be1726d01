#include "ui/app_icon.h"

#include <QPainter>
#include <QPainterPath>

namespace quellbox::ui {

QPixmap app_icon_pixmap() {
    QPixmap pixmap(icon_size, icon_size);
    pixmap.fill(Qt::transparent);

    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);

    // Tile.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x1f, 0x3a, 0x5f));
    p.drawRoundedRect(QRectF(0.5, 0.5, 31, 31), 5, 5);

    // Coil: a box with the diagonal of a relay symbol, leads up and down.
    QPen wire(QColor(0xf2, 0xf2, 0xf2), 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(wire);
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(5, 11, 9, 10));
    p.drawLine(QPointF(5, 21), QPointF(14, 11));
    p.drawLine(QPointF(9.5, 4), QPointF(9.5, 11));
    p.drawLine(QPointF(9.5, 21), QPointF(9.5, 28));

    // Contact: fixed terminal at the bottom, lever hinged at the top, slightly open.
    p.drawLine(QPointF(23, 4), QPointF(23, 10));
    p.drawLine(QPointF(23, 10), QPointF(27, 20));
    p.drawLine(QPointF(23, 22), QPointF(23, 28));
    p.drawLine(QPointF(20, 22), QPointF(26, 22));

    // Dashed link: the coil works the contact.
    QPen link(QColor(0xff, 0xd0, 0x40), 1.5, Qt::DashLine);
    p.setPen(link);
    p.drawLine(QPointF(14, 16), QPointF(24.5, 16));

    // Green dot: the relay's state lamp.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x30, 0xd0, 0x50));
    p.drawEllipse(QPointF(27.5, 27.5), 2.5, 2.5);

    return pixmap;
}

QIcon app_icon() {
    return QIcon(app_icon_pixmap());
}

}  // namespace quellbox::ui
