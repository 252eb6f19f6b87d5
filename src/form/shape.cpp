// Painting of the lamps and level boxes.
#include "form/shape.h"

#include <QPainter>

#include <algorithm>

Shape::Shape(Kind kind, QColor fill, QWidget* parent) : QWidget(parent), m_kind(kind), m_fill(fill) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void Shape::setFillColor(const QColor& colour) {
    if (colour == m_fill)
        return;
    m_fill = colour;
    update();
}

void Shape::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing, m_kind == Kind::Circle);
    p.setBrush(m_fill);
    p.setPen(QPen(palette().color(QPalette::WindowText), 1));
    if (m_kind == Kind::Rectangle) {
        p.drawRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
        return;
    }
    // A circle as wide as the box, centred in it (lamp boxes are taller than wide).
    const qreal d = std::min(width(), height()) - 1.0;
    const QPointF centre(width() / 2.0, height() / 2.0);
    p.drawEllipse(centre, d / 2.0, d / 2.0);
}
