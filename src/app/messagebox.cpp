// QMessageBox behind the message-box seam.
#include "app/messagebox.h"

#include <QMessageBox>

void QtMessageBox::show(const QString& text, Icon icon, const QString& caption) {
    QMessageBox::Icon qtIcon = QMessageBox::NoIcon;
    if (icon == Icon::Critical)
        qtIcon = QMessageBox::Critical;
    else if (icon == Icon::Information)
        qtIcon = QMessageBox::Information;
    QMessageBox box(qtIcon, caption.isEmpty() ? applicationTitle() : caption, text, QMessageBox::Ok,
                    m_parent);
    const quint64 number = ++m_shown;
    m_up.insert(number, &box);
    box.exec();
    m_up.remove(number);
}

void QtMessageBox::close(quint64 number) {
    // Called from inside the box's own modal loop (a timer's tick): its exec() returns once the
    // caller has. A box with another one up inside it returns after that one.
    if (QMessageBox* box = m_up.value(number))
        box->done(QMessageBox::Ok);
}
