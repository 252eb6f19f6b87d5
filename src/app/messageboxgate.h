// A message box in front of another: boxes show through it, except while a catcher is set, which
// takes every box instead and lets show() return at once, so that whatever drives the window (a
// recording job) learns what the window had to say and is never held up by a modal box.
#pragma once

#include "app/messagebox.h"

#include <QMap>

#include <functional>
#include <memory>

class MessageBoxGate final : public MessageBox {
public:
    struct Box {
        QString text;
        Icon icon;
        QString caption;
    };
    using Catcher = std::function<void(const Box&)>;

    explicit MessageBoxGate(std::unique_ptr<MessageBox> inner);

    // An empty catcher lets boxes show again.
    void setCatcher(Catcher catcher) { m_catcher = std::move(catcher); }
    bool catching() const { return bool(m_catcher); }
    MessageBox& inner() const { return *m_inner; }

    void show(const QString& text, Icon icon, const QString& caption) override;
    // Caught boxes are numbered too, so that a number stays the box it was given to.
    quint64 shownCount() const override { return m_shown; }
    void close(quint64 number) override;

private:
    std::unique_ptr<MessageBox> m_inner;
    Catcher m_catcher;
    quint64 m_shown = 0;
    // The boxes shown through and up now: our number, the inner box's number.
    QMap<quint64, quint64> m_up;
};
