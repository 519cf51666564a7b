#include "gui/Icon.h"

#include <QPainter>

namespace quillary::gui {

QImage applicationIconImage(int size) {
    QImage icon(size, size, QImage::Format_ARGB32_Premultiplied);
    icon.fill(Qt::transparent);
    QPainter painter(&icon);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 64.0, size / 64.0);  // the SVG's own grid
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x2b, 0x4c, 0x7e));
    painter.drawRoundedRect(QRectF(10, 6, 44, 52), 4, 4);
    painter.setBrush(QColor(0xf4, 0xef, 0xe1));
    painter.drawRect(QRectF(16, 12, 32, 40));
    painter.setPen(QPen(QColor(0xc0, 0x8b, 0x2c), 3, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(22, 46), QPointF(42, 18));
    return icon;
}

}  // namespace quillary::gui
