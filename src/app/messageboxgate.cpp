// The message box in front of another.
#include "app/messageboxgate.h"

MessageBoxGate::MessageBoxGate(std::unique_ptr<MessageBox> inner) : m_inner(std::move(inner)) {}

void MessageBoxGate::show(const QString& text, Icon icon, const QString& caption) {
    const quint64 number = ++m_shown;
    if (m_catcher) {
        // A copy: the catcher may set another catcher, or none.
        const Catcher catcher = m_catcher;
        catcher(Box{text, icon, caption});
        return;
    }
    m_up.insert(number, m_inner->shownCount() + 1);
    m_inner->show(text, icon, caption);
    m_up.remove(number);
}

void MessageBoxGate::close(quint64 number) {
    if (m_up.contains(number))
        m_inner->close(m_up.value(number));
}
