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
    box.exec();
}
