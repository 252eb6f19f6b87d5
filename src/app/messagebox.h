// The message-box seam: the window shows every notice through it, so that tests record the
// boxes instead of blocking on a modal dialog.
#pragma once

#include <QMap>
#include <QString>

class QMessageBox;
class QWidget;

class MessageBox {
public:
    enum class Icon { None, Critical, Information };

    virtual ~MessageBox() = default;
    // Shows a modal box with one OK button; returns when the operator dismisses it, or when the
    // console takes it down (close()). An empty caption shows the application's title.
    virtual void show(const QString& text, Icon icon, const QString& caption) = 0;
    // Boxes are numbered from 1 in the order shown: the number of the box shown last.
    virtual quint64 shownCount() const = 0;
    // Takes box number `number` down as if the operator had pressed OK, so that its show()
    // returns: for a notice whose matter is over (the lost port is open again). A box already
    // dismissed, or not shown yet, is left alone, and so is every other box.
    virtual void close(quint64 number) = 0;

    static QString applicationTitle() { return QStringLiteral("Quillory"); }
};

// The product's boxes: QMessageBox, modal to the window.
class QtMessageBox final : public MessageBox {
public:
    explicit QtMessageBox(QWidget* parent = nullptr) : m_parent(parent) {}
    void setParent(QWidget* parent) { m_parent = parent; }
    void show(const QString& text, Icon icon, const QString& caption) override;
    quint64 shownCount() const override { return m_shown; }
    void close(quint64 number) override;

private:
    QWidget* m_parent;
    quint64 m_shown = 0;
    // The boxes up now, by number: one inside another's modal loop when several are.
    QMap<quint64, QMessageBox*> m_up;
};
