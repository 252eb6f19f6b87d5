// Filled shapes: the lamps, the port lamp and the level boxes. A shape is shown or hidden and
// carries a fill colour; it has no behaviour of its own.
#pragma once

#include <QColor>
#include <QWidget>

#include <map>

class Shape : public QWidget {
    Q_OBJECT
public:
    enum class Kind { Circle, Rectangle };

    Shape(Kind kind, QColor fill, QWidget* parent);

    Kind kind() const { return m_kind; }
    QColor fillColor() const { return m_fill; }
    void setFillColor(const QColor& colour);
    // The lamp's own visibility, whether or not its window is on screen.
    bool Visible() const { return !isHidden(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Kind m_kind;
    QColor m_fill;
};

// A control array of shapes, addressed by index like Lift(3); indices may have gaps (Bottmp has
// no element 2). Asking for an element that does not exist throws std::out_of_range.
class ShapeArray {
public:
    void add(int index, Shape* shape) { m_items[index] = shape; }
    Shape& operator()(int index) const { return *m_items.at(index); }
    bool contains(int index) const { return m_items.count(index) != 0; }
    const std::map<int, Shape*>& items() const { return m_items; }

private:
    std::map<int, Shape*> m_items;
};
