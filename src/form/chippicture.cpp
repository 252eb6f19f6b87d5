// Draws the chip picture: two 28-pin DIP packages side by side on a light board.
#include "form/chippicture.h"

#include <QPainter>

namespace {

void drawDip28(QPainter& p, const QRect& body, const QString& marking) {
    // 14 legs on each long side, 0.1" apart at this scale.
    const int legs = 14;
    const qreal pitch = qreal(body.height()) / legs;
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xB8, 0xB8, 0xC0));
    for (int i = 0; i < legs; ++i) {
        const qreal y = body.top() + pitch * i + pitch * 0.3;
        p.drawRect(QRectF(body.left() - 5, y, 5, pitch * 0.4));
        p.drawRect(QRectF(body.right() + 1, y, 5, pitch * 0.4));
    }
    p.setBrush(QColor(0x22, 0x22, 0x26));
    p.setPen(QPen(QColor(0x55, 0x55, 0x5A), 1));
    p.drawRoundedRect(body, 2, 2);
    // Pin-1 notch at the top edge and a dot beside pin 1.
    p.setBrush(QColor(0x3A, 0x3A, 0x40));
    p.drawPie(QRect(body.center().x() - 5, body.top() - 5, 10, 10), 180 * 16, 180 * 16);
    p.drawEllipse(QPoint(body.left() + 6, body.top() + 8), 2, 2);
    p.save();
    p.translate(body.center());
    p.rotate(-90);
    p.setPen(QColor(0xE8, 0xE8, 0xE8));
    QFont font = p.font();
    font.setPixelSize(9);
    font.setBold(true);
    p.setFont(font);
    p.drawText(QRect(-body.height() / 2, -8, body.height(), 16), Qt::AlignCenter, marking);
    p.restore();
}

} // namespace

QPixmap chipPicture() {
    QPixmap pixmap(178, 99);
    pixmap.fill(QColor(0xE6, 0xEE, 0xE2));
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    drawDip28(p, QRect(22, 6, 34, 86), QStringLiteral("ISD1760"));
    drawDip28(p, QRect(90, 6, 34, 86), QStringLiteral("ISD17240"));
    return pixmap;
}
