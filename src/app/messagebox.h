// The message-box seam: the window shows every notice through it, so that tests record the
// boxes instead of blocking on a modal dialog.
#pragma once

#include <QString>

class QWidget;

class MessageBox {
public:
    enum class Icon { None, Critical, Information };

    virtual ~MessageBox() = default;
    // Shows a modal box with one OK button; returns when the operator dismisses it.
    // An empty caption shows the application's title.
    virtual void show(const QString& text, Icon icon, const QString& caption) = 0;

    static QString applicationTitle() { return QStringLiteral("Quillory"); }
};

// The product's boxes: QMessageBox, modal to the window.
class QtMessageBox final : public MessageBox {
public:
    explicit QtMessageBox(QWidget* parent = nullptr) : m_parent(parent) {}
    void setParent(QWidget* parent) { m_parent = parent; }
    void show(const QString& text, Icon icon, const QString& caption) override;

private:
    QWidget* m_parent;
};
